// OpenJPEG objects owned by smart pointers, the library's streams over memory, and message
// handlers that keep its messages off the console.
#pragma once

#include <openjpeg.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace opjglue {

struct CodecRelease {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamRelease {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageRelease {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using Codec = std::unique_ptr<opj_codec_t, CodecRelease>;
using Stream = std::unique_ptr<opj_stream_t, StreamRelease>;
using Image = std::unique_ptr<opj_image_t, ImageRelease>;

// A codec whose info, warning and error messages go nowhere.
Codec SilentCodec(opj_codec_t* codec);

// A reading position over bytes that outlive the stream.
struct InputBytes {
  std::span<const uint8_t> Data;
  uint64_t Position = 0;
};
Stream InputStream(InputBytes& source);

// Bytes the encoder writes, with seeks back and skips forward (past the end fills zeros).
struct OutputBytes {
  std::vector<uint8_t> Data;
  uint64_t Position = 0;
};
Stream OutputStream(OutputBytes& target);

}  // namespace opjglue
