#include "pdf/fonts/formats/type1/type1_decoder.h"

#include <cmath>

#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/objects/pdf_structure.h"
#include "pdf/render/canvas/generic_canvas.h"

namespace {
constexpr uint16_t kCharstringKey = 4330;
}

TPDFType1Decoder::TPDFType1Decoder() : ObjectStore(std::make_unique<TPDFStructure>()) {
  FontDict = ObjectStore->NewDictionary();
}

TPDFType1Decoder::~TPDFType1Decoder() = default;

void TPDFType1Decoder::ReleaseFontDict() {
  if (FontDict != nullptr) ObjectStore->ReleaseObject(FontDict);
  FontDict = nullptr;
  FontBBox = nullptr;
}

void TPDFType1Decoder::ClearCharStrings() {
  CharStringNames.clear();
  CharStrings.clear();
  nameIndex_.clear();
}

void TPDFType1Decoder::AddCharString(std::string name, std::string charstring) {
  nameIndex_.emplace(name, int32_t(CharStringNames.size()));
  CharStringNames.push_back(std::move(name));
  CharStrings.push_back(std::move(charstring));
}

int TPDFType1Decoder::CharStringIndex(std::string_view key) const {
  return FindCharStringIndex(
      key,
      [this](std::string_view name) {
        const auto it = nameIndex_.find(std::string(name));
        return it != nameIndex_.end() ? int(it->second) : -1;
      },
      CharStrings.size(), IsCIDFont);
}

std::optional<double> TPDFType1Decoder::MatrixScale(const TPDFObject* matrix) {
  const auto* array = PDFCast<TPDFArray>(matrix);
  const auto* first = array != nullptr ? PDFCast<TPDFNumeric>(array->GetItem(0)) : nullptr;
  if (first == nullptr || !std::isfinite(first->AsDouble())) return std::nullopt;
  return first->AsDouble();
}

double TPDFType1Decoder::GlyphScaleOf(double first) {
  const double scale = first * 1000;
  return scale == 0 || !std::isfinite(scale) ? 1.0 : scale;
}

double TPDFType1Decoder::GlyphScale(std::string_view key) const {
  if (FDScales.empty()) return Scale;
  const int index = CharStringIndex(key);
  if (index < 0 || size_t(index) >= FDSelect.size()) return Scale;
  const int32_t fd = FDSelect[size_t(index)];
  return fd >= 0 && size_t(fd) < FDScales.size() ? FDScales[size_t(fd)] : Scale;
}

std::string TPDFType1Decoder::FindCharString(std::string_view key) {
  CurrentFD = -1;
  const int index = CharStringIndex(key);
  if (index < 0) return {};
  if (size_t(index) < FDSelect.size()) CurrentFD = FDSelect[size_t(index)];
  return CharStrings[size_t(index)];
}

std::string TPDFType1Decoder::DecryptCharstring(std::string_view data) const {
  if (LenIV < 0) return std::string(data);
  std::string out;
  DecryptEexec(kCharstringKey, LenIV, out, data);
  return out;
}

std::string TPDFType1Decoder::GetSubr(int64_t number) const {
  if (subrsIndexed_ > Subrs.size()) {
    subrIndex_.clear();
    subrsIndexed_ = 0;
  }
  for (; subrsIndexed_ < Subrs.size(); ++subrsIndexed_) {
    const size_t i = subrsIndexed_;
    subrIndex_.emplace(i < SubrNumbers.size() ? SubrNumbers[i] : int32_t(i), i);
  }
  if (number < INT32_MIN || number > INT32_MAX) return {};
  const auto it = subrIndex_.find(int32_t(number));
  if (it == subrIndex_.end() || it->second >= Subrs.size()) return {};
  return DecryptCharstring(Subrs[it->second]);
}

int64_t TPDFType1Decoder::LocalSubrCount() const {
  if (CurrentFD >= 0) {
    return size_t(CurrentFD) < LocalSubrsByFD.size() ? int64_t(LocalSubrsByFD[size_t(CurrentFD)].size()) : 0;
  }
  return int64_t(Subrs.size());
}

std::string_view TPDFType1Decoder::GetLocalSubr(int64_t number) const {
  const std::vector<std::string>* list = &Subrs;
  if (CurrentFD >= 0) {
    if (size_t(CurrentFD) >= LocalSubrsByFD.size()) return {};
    list = &LocalSubrsByFD[size_t(CurrentFD)];
  }
  if (number < 0 || number >= int64_t(list->size())) return {};
  return (*list)[size_t(number)];
}

std::string_view TPDFType1Decoder::GetGlobalSubr(int64_t number) const {
  if (number < 0 || number >= int64_t(GlobalSubrs.size())) return {};
  return GlobalSubrs[size_t(number)];
}

bool TPDFType1Decoder::GetGlyphCommands(const std::string& key) {
  if (CommandCache.Find(key, GlyphCommands)) return true;
  const bool found = FontKind != kType2Charstrings ? ConvertType1Glyph(key) : ConvertType2Glyph(key);
  size_t bytes = key.size();
  for (const std::string& entry : GlyphCommands) bytes += entry.size() + sizeof(std::string);
  if (cachedCommandBytes_ + bytes > kMaxCachedCommandBytes) {
    CommandCache.Clear();
    cachedCommandBytes_ = 0;
  }
  cachedCommandBytes_ += bytes;
  CommandCache.Store(key, GlyphCommands);
  return found;
}

bool TPDFType1Decoder::DrawGlyph(double& x, double& y, uint8_t flag, const std::string& key,
                                 const TPDFMatrix& matrix, TPDFGenericCanvas* canvas) {
  const bool cached = ShapeCache.Find(key) != nullptr;
  if (!cached && cachedShapeItems_ > kMaxCachedShapeItems) {
    ShapeCache.Clear();
    cachedShapeItems_ = 0;
  }
  // A Font DICT with a matrix of its own scales its glyphs' outlines; their places along the
  // line stay in the font's units.
  const double scale = GlyphScale(key);
  const double gx = x * Scale / scale, gy = y * Scale / scale;
  const bool drawn = DrawCommandGlyph(
      gx, gy, key, matrix, scale, ShapeCache,
      [this](const std::string& glyphKey, TGlyphCommandList& commands) {
        const bool found = GetGlyphCommands(glyphKey);
        commands = GlyphCommands;
        return found;
      },
      canvas);
  if (!cached) {
    const TPDFCachedGlyph* glyph = ShapeCache.Find(key);
    if (glyph != nullptr && glyph->Shape != nullptr) cachedShapeItems_ += glyph->Shape->Capacity() + 1;
  }
  return drawn;
}
