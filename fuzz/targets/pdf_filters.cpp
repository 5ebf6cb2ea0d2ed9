// Fuzz entry point for the stream filters: Flate (with and without predictors), the predictor
// stage alone, LZW in its PDF and GIF forms, ASCII85, the encoders' round trips, single named
// stages of a stream's chain (ASCIIHex and RunLength among them, and names the chain cannot
// decode) and whole chains through TPDFStream::Decode.
//
// Input layout: byte 0 picks the operation, bytes 1 to 5 the predictor parameters, byte 6 the
// LZW settings, the rest is the data.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pdf/core/filters/ascii85.h"
#include "pdf/core/filters/filter_chain.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/filters/lzw.h"
#include "pdf/core/filters/predictors.h"
#include "pdf/core/objects/pdf_objects.h"

namespace {

// Small enough that a bomb costs the fuzzer little, large enough to reach every code path.
constexpr int64_t kFuzzLimit = 1 << 20;

void Check(bool ok) {
  if (!ok) std::abort();
}

FlatePredictorParams Params(const uint8_t* p) {
  static constexpr int kPredictors[] = {1, 2, 10, 11, 12, 13, 14, 15, 5, 0};
  FlatePredictorParams params;
  params.Predictor = p[0] < 250 ? kPredictors[p[0] % 10] : static_cast<int8_t>(p[0]) * 1000;
  params.Colors = static_cast<int8_t>(p[1]);
  params.BitsPerComponent = static_cast<int8_t>(p[2]);
  params.Columns = static_cast<int16_t>(p[3] | p[4] << 8);
  return params;
}

constexpr const char* kFilterNames[] = {"FlateDecode", "Fl",  "LZWDecode",       "ASCII85Decode", "A85",
                                       "ASCIIHexDecode", "DCTDecode", "RunLengthDecode", "RL", "AHx",
                                       "LZW",         "NoSuchFilter"};
constexpr int kFilterCount = sizeof(kFilterNames) / sizeof(kFilterNames[0]);

StreamFilterParams ChainParams(const FlatePredictorParams& p, uint8_t flags) {
  StreamFilterParams params;
  params.Present = flags & 0x80;
  params.Predictor = p.Predictor;
  params.Colors = p.Colors;
  params.BitsPerComponent = p.BitsPerComponent;
  params.Columns = p.Columns;
  params.EarlyChange = (flags >> 6) & 1;
  return params;
}

// A stream whose "Filter" array names two filters picked by flags, with decode parameters for
// the second one.
void DecodeThroughStream(std::string_view body, const FlatePredictorParams& p, uint8_t flags) {
  TPDFStructure store;
  TPDFStream* stream = store.NewStream(body, false);
  TPDFArray* names = store.NewArray();
  names->Add(store.NewName(kFilterNames[flags % kFilterCount]));
  names->Add(store.NewName(kFilterNames[(flags / kFilterCount) % kFilterCount]));
  stream->Dictionary()->SetValue("Filter", names);
  TPDFDictionary* parms = store.NewDictionary();
  parms->SetValue("Predictor", store.NewNumeric(p.Predictor));
  parms->SetValue("Colors", store.NewNumeric(p.Colors));
  parms->SetValue("BitsPerComponent", store.NewNumeric(p.BitsPerComponent));
  parms->SetValue("Columns", store.NewNumeric(p.Columns));
  TPDFArray* parmsArray = store.NewArray();
  parmsArray->Add(store.NewNull());
  parmsArray->Add(parms);
  stream->Dictionary()->SetValue("DecodeParms", parmsArray);
  std::string out;
  const bool decoded = DecodeStreamData(*stream, out, kFuzzLimit);
  Check(static_cast<int64_t>(out.size()) <= std::max<int64_t>(kFuzzLimit, static_cast<int64_t>(body.size())));
  // A chain that names a filter it cannot decode never counts as decoded.
  Check(!decoded || FirstUndecodableFilter(*stream).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  const uint8_t op = data[0];
  const FlatePredictorParams params = Params(data + 1);
  const uint8_t lzwFlags = data[6];
  const std::string_view body(reinterpret_cast<const char*>(data + 7), size - 7);

  switch (op % 10) {
    case 0: {
      std::string out;
      FlateDecompressBuffer(body, out, lzwFlags, kFuzzLimit);
      Check(static_cast<int64_t>(out.size()) <= kFuzzLimit);
      Check(FlateDecompressString(body, kFuzzLimit) == out);
      // Read a piece at a time, and by a copy made halfway, the stream gives the same bytes.
      TFlateReader reader(body, kFuzzLimit);
      std::string pieces(out.size() + 1, '\0');
      const int64_t step = 1 + lzwFlags * 97;
      int64_t got = 0;
      while (got < static_cast<int64_t>(out.size()) / 2) {
        const int64_t n = reader.Read(reinterpret_cast<uint8_t*>(pieces.data() + got), 1);
        if (n == 0) break;
        got += n;
      }
      TFlateReader copy(reader);
      for (TFlateReader* r : {&reader, &copy}) {
        int64_t at = got;
        for (int64_t n = 1; n > 0 && at < static_cast<int64_t>(pieces.size()); at += n)
          n = r->Read(reinterpret_cast<uint8_t*>(pieces.data() + at),
                      std::min<int64_t>(step, static_cast<int64_t>(pieces.size()) - at));
        Check(at == static_cast<int64_t>(out.size()) && r->Exhausted() && pieces.compare(0, out.size(), out) == 0);
      }
      break;
    }
    case 1:
      Check(static_cast<int64_t>(FlatePredictorDecode(body, params, kFuzzLimit).size()) <= kFuzzLimit);
      break;
    case 2:
      Check(static_cast<int64_t>(UndoPredictor(body, params, kFuzzLimit).size()) <= kFuzzLimit);
      break;
    case 3:
    case 4: {
      TPDFLZWDecompressor lzw;
      lzw.MSBFirst = op % 8 == 3;
      lzw.EarlyChange = lzwFlags & 1;
      lzw.InitialCodeWidth = lzw.MSBFirst ? 9 : (lzwFlags >> 1) % 16;
      lzw.MaxOutput = kFuzzLimit;
      Check(static_cast<int64_t>(lzw.Decode(body, params).size()) <= kFuzzLimit);
      break;
    }
    case 5:
      Check(ASCII85Decode(body).size() <= 4 * body.size());  // "z" is four bytes
      break;
    case 6: {
      const std::string text = ASCII85EncodeString(body);
      Check(ASCII85Decode(text) == body);
      break;
    }
    case 7: {
      const std::string packed = FlateCompressToString(body, lzwFlags % 4);
      Check(FlateDecompressString(packed) == body);
      Check(FlateDecompressString(FlateStoreString(body)) == body);
      break;
    }
    case 8: {
      std::string stage(body);
      ApplyStreamFilter(kFilterNames[lzwFlags % kFilterCount], stage, ChainParams(params, lzwFlags), kFuzzLimit);
      Check(static_cast<int64_t>(stage.size()) <= std::max<int64_t>(kFuzzLimit, static_cast<int64_t>(body.size())));
      break;
    }
    case 9:
      DecodeThroughStream(body, params, lzwFlags);
      break;
  }
  return 0;
}
