// The filter chain of a stream: its data through the decoders that its "Filter" entry names,
// each with its own decode parameters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/core/filters/output_limit.h"

class TPDFStream;

// What one filter of a chain reads from its decode parameters; absent keys keep these defaults.
class TPDFDictionary;

struct StreamFilterParams {
  bool Present = false;  // the filter has a parameter dictionary
  int Predictor = 1;
  int Colors = 1;
  int BitsPerComponent = 8;
  int Columns = 1;
  int EarlyChange = 1;
  // The output size the caller expects (0 when unknown): a hint for the first allocation,
  // never taken beyond what the input could decompress to.
  int64_t ExpectedOutput = 0;
};

// The parameters of one filter from its parameter dictionary (nullptr: the defaults, not Present).
StreamFilterParams ReadStreamFilterParams(const TPDFDictionary* dict);

// Applies one filter to data in place: FlateDecode (Fl), LZWDecode (LZW), ASCII85Decode (A85)
// and ASCIIHexDecode (AHx) with their predictors, RunLengthDecode (RL); Crypt passes the data
// as they are (the security handler has decrypted them). Any other name (the
// image codecs DCTDecode, CCITTFaxDecode, JBIG2Decode, JPXDecode, which only the image decoder
// reads, and names no reader knows) leaves data as it is and fails. No stage produces more
// than maxOutput bytes. Returns false when the stage got nothing out of non-empty data, when
// its parameters were unusable, or when its output reached maxOutput; data holds what could be
// decoded either way.
bool ApplyStreamFilter(std::string_view name, std::string& data, const StreamFilterParams& params,
                       int64_t maxOutput = kDefaultFilterOutputLimit);
// Whether ApplyStreamFilter decodes the filter of that name.
bool StreamFilterDecodable(std::string_view name);
// The first name of the stream's chain that ApplyStreamFilter cannot decode; empty when it
// decodes every one.
std::string FirstUndecodableFilter(const TPDFStream& stream);

// The output of the LZWDecode stage of ApplyStreamFilter (its predictor undone) without a copy
// of the input.
std::string LZWDecodeStage(std::string_view data, const StreamFilterParams& params,
                           int64_t maxOutput = kDefaultFilterOutputLimit);

// The stream's data through the chain named by its dictionary's "Filter" (one name or an array
// of names) with the parameters of "DecodeParms" (or "DP"): a dictionary for the first filter or
// an array with one entry per filter. The stream is not changed. The result is false when a
// stage failed as ApplyStreamFilter says; out holds what could be decoded either way.
bool DecodeStreamData(const TPDFStream& stream, std::string& out, int64_t maxOutput = kDefaultFilterOutputLimit);
