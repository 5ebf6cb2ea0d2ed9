// The filter chain of an image: the general filters run here on Data, each under a ceiling
// that the image's own size sets; an image codec named in the chain takes the result.
#include <algorithm>

#include "pdf/codecs/image_decoder/decoder_internal.h"
#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/codecs/image_decoder/sample_rows.h"
#include "pdf/codecs/runlength/run_length.h"
#include "pdf/core/filters/filter_chain.h"
#include "pdf/core/objects/pdf_objects.h"

namespace {

enum class Stage { None, General, RunLength, Codec };

struct FilterName {
  Stage stage = Stage::None;
  std::string name;  // the general filter's full name, or the codec's
};

FilterName Classify(std::string_view n) {
  if (n == "LZWDecode" || n == "LZW") return {Stage::General, "LZWDecode"};
  if (n == "FlateDecode" || n == "Fl") return {Stage::General, "FlateDecode"};
  if (n == "ASCIIHexDecode" || n == "AHx") return {Stage::General, "ASCIIHexDecode"};
  if (n == "ASCII85Decode" || n == "A85") return {Stage::General, "ASCII85Decode"};
  if (n == "RunLengthDecode" || n == "RL") return {Stage::RunLength, "RunLengthDecode"};
  if (n == "DCTDecode" || n == "DCT" || n == "JPEGDecode") return {Stage::Codec, "DCTDecode"};
  if (n == "CCITTFaxDecode" || n == "CCF") return {Stage::Codec, "CCITTFaxDecode"};
  if (n == "JBIG2Decode") return {Stage::Codec, "JBIG2Decode"};
  if (n == "JPXDecode") return {Stage::Codec, "JPXDecode"};
  // The security handler decrypted the data already; the name only says which crypt filter.
  if (n == "Crypt") return {Stage::General, "Crypt"};
  return {};
}

bool ParseInteger(std::string_view text, int32_t& value) {
  if (text.empty() || text.size() > 11) return false;
  size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
  if (i >= text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  if (text[0] == '-') v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = int32_t(v);
  return true;
}

}  // namespace

bool TPDFImageDecoder::DeferRowsFor(bool pendingSamples, bool stored, bool inflated, bool lzw, bool jpeg,
                                    bool runLength, const StreamFilterParams& p, int64_t ceiling) {
  using namespace imgdec;
  TDeferredRows rows;
  rows.PendingSamples = pendingSamples;
  if (pendingSamples || stored) return DeferRows(rows);
  if (jpeg) {
    // Pictures as libjpeg gives them, where the image's colour is theirs or their data carry a
    // profile (DeferRows looks); CMYK samples through the image's Decode array.
    if (!PlainEightBit() && !(ColorSpace == "DeviceCMYK" && BitsPerComponent == 8)) return false;
    rows.JPEG = true;
    return DeferRows(rows);
  }
  if (runLength) {
    // Run-length data under Flate (TIFF PackBits pages): no predictor applies.
    rows.Inflate = true;
    rows.RunLength = true;
    return DeferRows(rows);
  }
  if (!inflated && !lzw) return false;
  // The predictor applies only with a parameter dictionary, as in the whole decode; rows past
  // the decode's ceiling would be cut there.
  const FlatePredictorParams predictor =
      p.Present ? FlatePredictorParams{p.Predictor, p.Colors, p.BitsPerComponent, p.Columns} : FlatePredictorParams{};
  const int64_t rowBytes = SampleRowBytes();
  const int64_t stride = rowBytes + (predictor.Predictor >= 10 ? 1 : 0);
  if (lzw) {
    rows.LZW = true;
    rows.LZWParams = p;
    // As the whole decode expects of its last stage.
    rows.LZWParams.ExpectedOutput = rowBytes * Height + (p.Predictor >= 10 ? int64_t(Height) : 0);
    rows.Ceiling = ceiling;
    rows.LZWPiecewise = stride * Height <= ceiling && TSampleRows::Supported(TSampleRows::kLZW, predictor, rowBytes);
    rows.Predictor = predictor;
    return DeferRows(rows);
  }
  if (stride * Height > ceiling || !TSampleRows::Supported(TSampleRows::kInflate, predictor, rowBytes)) return false;
  rows.Inflate = true;
  rows.Predictor = predictor;
  return DeferRows(rows);
}

void TPDFImageDecoder::ApplyFilters() {
  using namespace imgdec;
  // Nothing the size does not allow is decoded at all.
  if (!ImageSizeAccepted(Width, Height)) return Fail();

  const bool fromStream = Stream && Data.empty();
  // Samples a source makes when needed: read a row at a time where drawn pixel for pixel, else
  // made now (stored as they are, or waiting for their deflate) and decoded whole.
  if (fromStream && Stream->PendingSource()) {
    TDeferredRows rows;
    rows.Source = true;
    if (RowsCanWait() && DeferRows(rows)) return;
    Stream->MakePendingSamples();
  }
  const std::string* pending = fromStream ? Stream->PendingDeflate() : nullptr;
  borrowed_ = {};
  // A Filter that is neither a name nor an array names no filter.
  std::string filterText = Filter.find('[') != std::string::npos ? Filter
                           : Filter.starts_with('/')             ? "[ " + Filter + " ]"
                                                                 : std::string("[ ]");
  TPDFStructure scratch;
  if (Owner) scratch.OnResolve = Owner->OnResolve;
  auto* filters = PDFCast<TPDFArray>(scratch.ParseObject(filterText));
  std::string codec;
  TPDFObject* codecParms = nullptr;
  TPDFObject* globals = nullptr;
  if (filters) {
    TPDFArray* parms = DecodeParms.empty() ? nullptr : PDFCast<TPDFArray>(scratch.ParseObject(DecodeParms));
    std::vector<FilterName> names;
    for (int i = 0; i < filters->Count(); ++i) {
      const auto* n = PDFCast<TPDFName>(filters->GetItem(i));
      names.push_back(n ? Classify(n->Name()) : FilterName{});
      // Data that a filter of the chain cannot decode are no samples: the image is not drawn
      // at all, rather than drawn from bytes still encoded.
      if (names.back().stage == Stage::None) return Fail();
    }
    // Ceiling: twice the samples an image of this size has, and a megabyte more (room for
    // predictor tags and for compressed data before the last stage), however large the
    // samples of a picture the size cap admits are. Data for a codec may outgrow the samples
    // (metadata, noise a codec cannot shrink): twice four bytes a pixel and 16 MiB, so that
    // stages before it cannot expand a few bytes into gigabytes.
    const bool hasCodec = std::any_of(names.begin(), names.end(), [](auto& f) { return f.stage == Stage::Codec; });
    const int components = MaskKind == kMaskStencil ? 1 : ComponentsOf(ColorSpace, DeviceNComponents());
    const int64_t expected = RowBytesFor(Width, components, std::max(BitsPerComponent, 1)) * Height;
    // Samples the ceiling cannot hold would come out cut: refused before any work instead.
    if (!hasCodec && expected > kMaxImageSampleBytes) return Fail();
    const int64_t codecRoom = 8 * int64_t(Width) * Height + (int64_t{16} << 20);
    const int64_t ceiling = expected <= 0 ? kDefaultFilterOutputLimit
                            : hasCodec    ? std::min(kDefaultFilterOutputLimit, codecRoom)
                                          : ImageOutputLimit(expected);
    // The last stage before the samples expects their size (with PNG predictors, a tag a row).
    int lastStage = -1;
    for (int i = 0; i < int(names.size()); ++i)
      if (names[size_t(i)].stage == Stage::General || names[size_t(i)].stage == Stage::RunLength) lastStage = i;
    // Inflating samples whose deflate is still pending gives them back as they are, however
    // large: they are held already, and the ceiling, which stops data from expanding, would
    // only cut them.
    const bool onlyFlate = names.size() == 1 && names[0].name == "FlateDecode";
    const bool borrow = pending && onlyFlate && DecodeParms.empty();
    if (fromStream && RowsCanWait()) {
      TPDFObject* firstParms = ResolveReference(parms ? parms->GetItem(0) : nullptr);
      const StreamFilterParams first = ReadStreamFilterParams(PDFCast<TPDFDictionary>(firstParms));
      const bool onlyLZW = names.size() == 1 && names[0].name == "LZWDecode";
      const bool onlyDCT = names.size() == 1 && names[0].name == "DCTDecode";
      const bool flateRunLength = names.size() == 2 && names[0].name == "FlateDecode" &&
                                  names[1].stage == Stage::RunLength && !first.Present;
      if (DeferRowsFor(borrow, !pending && names.empty(), !pending && onlyFlate, !pending && onlyLZW,
                       !pending && onlyDCT, !pending && flateRunLength, first, ceiling))
        return;
    }
    if (borrow) {
      borrowed_ = *pending;
    } else if (fromStream) {
      // Bytes that go straight to the samples need no copy.
      const bool staged = std::any_of(names.begin(), names.end(), [](auto& f) { return f.stage != Stage::None; });
      if (staged) Data = Stream->Data();
      else borrowed_ = Stream->Data();
    }
    FilterChainBudget budget(ceiling, int64_t(borrow ? borrowed_.size() : Data.size()));
    for (int i = borrow ? 1 : 0; i < int(names.size()); ++i) {
      const FilterName& f = names[size_t(i)];
      TPDFObject* entry = parms ? parms->GetItem(i) : nullptr;
      auto* dict = PDFCast<TPDFDictionary>(ResolveReference(entry));
      switch (f.stage) {
        case Stage::General: {
          StreamFilterParams p = ReadStreamFilterParams(dict);
          if (i == lastStage && !hasCodec && expected > 0)
            p.ExpectedOutput = expected + (p.Predictor >= 10 ? int64_t(Height) : 0);
          ApplyStreamFilter(f.name, Data, p, budget.NextStage());
          budget.Spent(int64_t(Data.size()));
          break;
        }
        case Stage::RunLength: {
          std::string out;
          RunLengthDecode(Data, out, budget.NextStage());
          Data = std::move(out);
          budget.Spent(int64_t(Data.size()));
          break;
        }
        case Stage::Codec:
          codec = f.name;
          codecParms = dict;
          globals = nullptr;
          if (f.name == "JBIG2Decode") {
            codecParms = nullptr;
            if (dict && PDFCast<TPDFIndRef>(dict->GetValue("JBIG2Globals"))) globals = dict->GetValue("JBIG2Globals");
          }
          break;
        case Stage::None:
          break;
      }
    }
    // The codec's parameters as name=value pairs, values as PDF text.
    CodecParams.clear();
    if (const auto* p = PDFCast<TPDFDictionary>(codecParms)) {
      for (const auto& [key, val] : p->Pairs()) {
        if (!key) continue;
        std::string text;
        if (TPDFObject* v = ResolveReference(val)) v->WriteToString(text);
        CodecParams.emplace_back(key->Name(), text);
      }
    }
  }

  if (fromStream && !filters) borrowed_ = Stream->Data();

  if (codec.empty())
    UnpackSamples();
  else if (codec == "DCTDecode")
    DecodeDCT();
  else if (codec == "CCITTFaxDecode")
    DecodeCCITT();
  else if (codec == "JPXDecode")
    DecodeJPX();
  else
    DecodeJBIG2(globals);
}

std::string TPDFImageDecoder::GetParam(std::string_view key) const {
  for (const auto& [k, v] : CodecParams)
    if (k == key) return v;
  return {};
}

int32_t TPDFImageDecoder::GetIntParam(std::string_view key, int32_t def) const {
  for (const auto& [k, v] : CodecParams) {
    if (k != key) continue;
    int32_t value = 0;
    return ParseInteger(v, value) ? value : def;
  }
  return def;
}
