#include "pdf/core/filters/filter_chain.h"

#include <algorithm>
#include <vector>

#include "pdf/codecs/runlength/run_length.h"
#include "pdf/core/filters/ascii85.h"
#include "pdf/core/filters/flate.h"
#include "pdf/core/filters/lzw.h"
#include "pdf/core/object_parser.h"
#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_stream.h"
#include "pdf/core/objects/stream_codec.h"

namespace {

FlatePredictorParams PredictorOf(const StreamFilterParams& p) {
  return FlatePredictorParams{p.Predictor, p.Colors, p.BitsPerComponent, p.Columns};
}

// Deflate cannot expand data by more than this.
constexpr int64_t kMaxDeflateRatio = 1032;
// Room past the expected output, so that the stream's end is read without another allocation.
constexpr int64_t kExpectedOutputSlack = 1024;

bool FlateStage(std::string& data, const StreamFilterParams& params, int64_t maxOutput) {
  std::string out;
  bool ok = true;
  const int64_t estimate =
      params.ExpectedOutput > 0
          ? std::min(params.ExpectedOutput, static_cast<int64_t>(data.size()) * kMaxDeflateRatio) + kExpectedOutputSlack
          : 0;
  try {
    ok = FlateDecompressBuffer(data, out, estimate, maxOutput) != FlateEnd::OutputLimit;
  } catch (...) {
    out.clear();
  }
  if (params.Present && params.Predictor >= 2) {
    const FlatePredictorParams predictor = PredictorOf(params);
    ok = ok && PredictorParamsUsable(predictor);
    UndoPredictorInPlace(out, predictor, maxOutput);
  }
  const bool gotSomething = !out.empty() || data.empty();
  data = std::move(out);
  return ok && gotSomething;
}

bool LzwStage(std::string& data, const StreamFilterParams& params, int64_t maxOutput) {
  std::string out = LZWDecodeStage(data, params, maxOutput);
  FlatePredictorParams predictor;
  if (params.Present) predictor = PredictorOf(params);
  const bool ok = PredictorParamsUsable(predictor) && static_cast<int64_t>(out.size()) < maxOutput &&
                  (!out.empty() || data.empty());
  data = std::move(out);
  return ok;
}

// The stage's own result cut to the ceiling, for decoders that have none of their own.
bool Bounded(std::string& data, std::string out, bool hadData, int64_t maxOutput) {
  bool ok = !out.empty() || !hadData;
  if (static_cast<int64_t>(out.size()) > maxOutput) {
    out.resize(static_cast<size_t>(std::max<int64_t>(maxOutput, 0)));
    ok = false;
  }
  data = std::move(out);
  return ok;
}

TPDFObject* Resolved(TPDFObject* o) {
  if (auto* ref = PDFCast<TPDFIndRef>(o)) return ref->Resolve();
  return o;
}

std::vector<std::string> FilterNames(const TPDFDictionary& dict) {
  std::vector<std::string> names;
  TPDFObject* filter = dict.GetValue("Filter", true);
  if (const auto* name = PDFCast<TPDFName>(filter)) {
    names.push_back(name->Name());
  } else if (const auto* array = PDFCast<TPDFArray>(filter)) {
    for (int i = 0; i < array->Count(); ++i)
      if (const auto* item = PDFCast<TPDFName>(array->GetItem(i))) names.push_back(item->Name());
  }
  return names;
}

// One parameter set per filter; a filter without a dictionary keeps the defaults.
std::vector<StreamFilterParams> FilterParams(const TPDFDictionary& dict, size_t count) {
  std::vector<StreamFilterParams> params(count);
  TPDFObject* parms = dict.IndexOfKey("DecodeParms") >= 0 ? dict.GetValue("DecodeParms", true)
                                                           : dict.GetValue("DP", true);
  if (const auto* one = PDFCast<TPDFDictionary>(parms)) {
    if (count > 0) params[0] = ReadStreamFilterParams(one);
  } else if (const auto* array = PDFCast<TPDFArray>(parms)) {
    for (size_t i = 0; i < count && static_cast<int>(i) < array->Count(); ++i)
      params[i] = ReadStreamFilterParams(PDFCast<TPDFDictionary>(Resolved(array->GetItem(static_cast<int>(i)))));
  }
  return params;
}

}  // namespace

std::string LZWDecodeStage(std::string_view data, const StreamFilterParams& params, int64_t maxOutput) {
  TPDFLZWDecompressor lzw;
  lzw.MSBFirst = true;
  lzw.InitialCodeWidth = 9;
  lzw.EarlyChange = params.EarlyChange == 1;
  lzw.MaxOutput = maxOutput;
  lzw.ExpectedOutput = params.ExpectedOutput;
  FlatePredictorParams predictor;  // no predictor without a parameter dictionary
  if (params.Present) predictor = PredictorOf(params);
  return lzw.Decode(data, predictor);
}

namespace {

// The filters the chain decodes, each by its long and its short name.
enum class ChainStage { None, Flate, Lzw, Ascii85, AsciiHex, RunLength, Crypt };

ChainStage ChainStageOf(std::string_view name) {
  if (name == "FlateDecode" || name == "Fl") return ChainStage::Flate;
  if (name == "LZWDecode" || name == "LZW") return ChainStage::Lzw;
  if (name == "ASCII85Decode" || name == "A85") return ChainStage::Ascii85;
  if (name == "ASCIIHexDecode" || name == "AHx") return ChainStage::AsciiHex;
  if (name == "RunLengthDecode" || name == "RL") return ChainStage::RunLength;
  if (name == "Crypt") return ChainStage::Crypt;
  return ChainStage::None;
}

}  // namespace

bool ApplyStreamFilter(std::string_view name, std::string& data, const StreamFilterParams& params,
                       int64_t maxOutput) {
  switch (ChainStageOf(name)) {
    case ChainStage::Flate: return FlateStage(data, params, maxOutput);
    case ChainStage::Lzw: return LzwStage(data, params, maxOutput);
    case ChainStage::Ascii85: return Bounded(data, ASCII85Decode(data), !data.empty(), maxOutput);
    case ChainStage::AsciiHex: {
      std::string token;
      token.reserve(data.size() + 2);
      token.append("<").append(data).append(">");
      return Bounded(data, DecodeHexString(token), !data.empty(), maxOutput);
    }
    case ChainStage::RunLength: {
      std::string out;
      const bool whole = RunLengthDecode(data, out, maxOutput);
      data = std::move(out);
      return whole;
    }
    // The document's security handler decrypts stream data before any filter runs; the
    // filter only names which crypt filter that is (Identity when none), so the bytes pass.
    case ChainStage::Crypt: return true;
    case ChainStage::None: break;
  }
  return false;
}

bool StreamFilterDecodable(std::string_view name) { return ChainStageOf(name) != ChainStage::None; }

std::string FirstUndecodableFilter(const TPDFStream& stream) {
  const TPDFDictionary* dict = stream.Dictionary();
  if (dict == nullptr) return {};
  for (const std::string& name : FilterNames(*dict))
    if (!StreamFilterDecodable(name)) return name;
  return {};
}

StreamFilterParams ReadStreamFilterParams(const TPDFDictionary* d) {
  StreamFilterParams p;
  if (d == nullptr) return p;
  p.Present = true;
  p.Predictor = d->GetInteger("Predictor", 1);
  p.Colors = d->GetInteger("Colors", 1);
  p.BitsPerComponent = d->GetInteger("BitsPerComponent", 8);
  p.Columns = d->GetInteger("Columns", 1);
  p.EarlyChange = d->GetInteger("EarlyChange", 1);
  return p;
}

bool DecodeStreamData(const TPDFStream& stream, std::string& out, int64_t maxOutput) {
  out = stream.Data();
  const TPDFDictionary* dict = stream.Dictionary();
  if (dict == nullptr) return true;
  const std::vector<std::string> names = FilterNames(*dict);
  if (names.empty()) return true;
  const std::vector<StreamFilterParams> params = FilterParams(*dict, names.size());
  bool ok = true;
  FilterChainBudget budget(maxOutput, int64_t(out.size()));
  for (size_t i = 0; i < names.size(); ++i) {
    ok = ApplyStreamFilter(names[i], out, params[i], budget.NextStage()) && ok;
    budget.Spent(int64_t(out.size()));
  }
  return ok;
}

bool TPDFStream::Decode(std::string& out) const { return DecodeStreamData(*this, out); }

std::string CompressStreamData(std::string_view data) { return FlateCompressString(data); }

std::string StoreStreamData(std::string_view data) { return FlateStoreString(data); }
