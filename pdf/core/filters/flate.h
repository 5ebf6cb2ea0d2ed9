// Flate (zlib) compression and decompression of byte strings.
//
// Every use of zlib in the library goes through these functions and TFlateReader: stream data,
// the compressed embedded resources, PNG data, the rows of pictures and the stamp appearances.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/core/filters/flate_reader.h"
#include "pdf/core/filters/output_limit.h"
#include "pdf/core/filters/predictors.h"

// Raise Exception with an empty message for a negative zlib result. The inflate check lets a
// data error (-3) and a buffer error (-5) pass: the caller keeps what was decoded before them.
void ZlibCompressCheck(int code);
void ZlibDecompressCheck(int code);
void ZlibInflateCheck(int code);

// Deflates input at a zlib level (-1 default, 0 none to 9 best) into output. Raises Exception
// when zlib fails.
void FlateCompressBuffer(std::string_view input, std::string& output, int zlibLevel = -1);

// Inflates input into output, starting with room for outEstimate bytes (0: the default growth
// step) and never holding more than maxOutput bytes. Raises Exception when zlib itself fails
// (bad state, out of memory).
FlateEnd FlateDecompressBuffer(std::string_view input, std::string& output, int64_t outEstimate = 0,
                               int64_t maxOutput = kDefaultFilterOutputLimit);

// Deflate at zlib's default level. Empty input or any failure gives the empty string.
std::string FlateCompressString(std::string_view data);
// Level 0 none, 1 fastest, 2 default, 3 best; other values take the default.
std::string FlateCompressToString(std::string_view data, int level);

// Deflates data handed over a piece at a time, at zlib's default level: what a writer makes
// piece by piece is compressed as it comes instead of being held whole first. The deflated
// bytes are those FlateCompressString gives for all the pieces joined. Raises Exception when
// zlib fails.
class TFlateWriter {
 public:
  // About how many bytes will come (0: not known), for the room of the deflated data.
  explicit TFlateWriter(int64_t expected = 0);
  ~TFlateWriter();
  TFlateWriter(const TFlateWriter&) = delete;
  TFlateWriter& operator=(const TFlateWriter&) = delete;

  void Write(std::string_view data);
  // Ends the stream and hands its bytes over; nothing may be written after.
  std::string Finish();

 private:
  struct TState;
  void Deflate(std::string_view data, bool last);
  std::unique_ptr<TState> state_;
};

// Inflate. Empty input or any failure gives the empty string; truncated or damaged data gives
// what was decoded before the break; at most maxOutput bytes come back.
std::string FlateDecompressString(std::string_view data, int64_t maxOutput = kDefaultFilterOutputLimit);

// A zlib stream without compression: one stored block for up to 65,535 bytes, zlib's level 0
// beyond that.
std::string FlateStoreString(std::string_view data);

// Inflate, then undo the predictor that params describe.
std::string FlatePredictorDecode(std::string_view data, const FlatePredictorParams& params,
                                 int64_t maxOutput = kDefaultFilterOutputLimit);
