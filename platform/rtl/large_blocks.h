// Blocks of a megabyte and more (pictures, pages, decoded samples, file copies), each a mapping
// of its own on a huge-page boundary.
//
// Kept in the heap, a freed picture leaves a hole that the next file's smaller blocks split,
// and the heap grows by another picture; mapped afresh each time, every picture is faulted in
// page by page. Here the largest released block keeps its pages and the next large request
// takes it, whole or grown to its size (a file's copy given back becomes the page its picture
// is drawn on), until the owner gives it back (ReleaseKept): the program does so between
// files, since a block kept for the next file's page would stand idle beside whatever that
// file needs first from elsewhere.
#pragma once

#include <cstddef>

// Not under AddressSanitizer, which must see every block to check its bounds: callers then
// leave large requests to the heap.
#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_LARGE_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_LARGE_BLOCKS 0
#endif
#endif
#ifndef VELMORA_LARGE_BLOCKS
#define VELMORA_LARGE_BLOCKS 1
#endif

namespace LargeBlocks {

// Requests below this size belong to the heap.
inline constexpr size_t kMinimum = size_t(1) << 20;

// How a request uses the kept block: any request needing half of it or more takes it; a page
// of pixels takes it whatever its size (it would otherwise map and fault in its pages afresh),
// other small requests leave it alone.
enum class Use { Buffer, Pixels };

// Nothing when no memory can be mapped (or too many blocks are alive to be told apart).
void* Allocate(size_t bytes, Use use = Use::Buffer) noexcept;
// Frees the block when Allocate made it; false, doing nothing, for any other address.
bool FreeIfOwned(void* block) noexcept;
// Gives the pages of the released block kept for the next request back to the system.
void ReleaseKept() noexcept;

}  // namespace LargeBlocks
