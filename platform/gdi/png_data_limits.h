// libpng over bytes held in memory, with what it may allocate bounded by those bytes: a chunk
// is read only when the data hold it (libpng buffers an ancillary chunk whole at the length it
// states, and only warns when that length passes its own limit), decompressed chunks, the
// picture's sides and its rows stay within what deflate can make of the data. Header-only, for the graphics
// layer and the GDI+ provider alike.
#pragma once

#include <png.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace pngdata {

// Deflate makes at most about 1032 bytes of one.
inline constexpr uint64_t kMaxInflateRatio = 1032;
// Room beyond that ratio for the small allocations of any file (palette, row buffers, zlib).
inline constexpr uint64_t kSmallAllowance = uint64_t(1) << 16;
// Decompressed chunks (profiles, texts) never take more than this, whatever the data.
inline constexpr uint64_t kMaxChunkAllocation = uint64_t(64) << 20;

// The length of data up to the first chunk whose data and CRC it does not hold (all of it
// when every chunk up to the end chunk is there). libpng fails at the end of the data either way; cut there, it
// fails before making room for what is not there.
inline size_t ChunksHeld(std::span<const uint8_t> data) {
  size_t pos = 8;
  while (pos + 8 <= data.size()) {
    const uint8_t* p = data.data() + pos;
    const uint64_t length = uint64_t(p[0]) << 24 | uint64_t(p[1]) << 16 | uint64_t(p[2]) << 8 | p[3];
    if (length > data.size() - pos - 8 || data.size() - pos - 8 - length < 4) return pos;
    // Nothing after the end of the picture is read.
    if (p[4] == 'I' && p[5] == 'E' && p[6] == 'N' && p[7] == 'D') break;
    pos += 12 + size_t(length);
  }
  return data.size();
}

// Limits of a libpng reader over `size` bytes: sides no longer than deflate could fill (a row
// of one-bit samples takes at least an eighth of a byte a pixel, a row at least its filter
// byte) and decompressed chunks no larger than the data could inflate to.
inline void LimitToData(png_structp png, uint64_t size) {
  const uint64_t inflated = kMaxInflateRatio * size + kSmallAllowance;
  const uint64_t side = std::min<uint64_t>(8 * inflated, PNG_UINT_31_MAX);
  png_set_user_limits(png, png_uint_32(side), png_uint_32(std::min<uint64_t>(inflated, PNG_UINT_31_MAX)));
  png_set_chunk_malloc_max(png, png_alloc_size_t(std::min(inflated, kMaxChunkAllocation)));
}

// Whether the image data of a file of `size` bytes can fill the rows (each with its filter
// byte) of the picture libpng has read the header of: beyond a megabyte of rows, deflate must
// be able to make them of the data.
inline bool PictureBackedByData(png_structp png, png_infop info, uint64_t size) {
  const uint64_t rows = (uint64_t(png_get_rowbytes(png, info)) + 1) * png_get_image_height(png, info);
  return rows <= kMaxInflateRatio * size + (uint64_t(1) << 20);
}

}  // namespace pngdata
