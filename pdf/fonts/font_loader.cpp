#include "pdf/fonts/font_loader.h"

#include <algorithm>
#include <cmath>

#include "pdf/core/cmaps/cmap_parser.h"
#include "pdf/core/encodings/dingbats_font.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/builtin_cid_widths.h"
#include "pdf/fonts/formats/truetype/simple_truetype_rasterizer.h"
#include "pdf/fonts/formats/truetype/truetype_rasterizer.h"
#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "pdf/fonts/tounicode.h"
#include "pdf/fonts/type3_rasterizer.h"
#include "platform/gdi/canvas.h"

namespace {

constexpr size_t kMaxCIDToGID = 65536;
// Font descriptor flag: the font uses characters outside the standard Latin set.
constexpr int32_t kSymbolicFlag = 4;

uint8_t EncodingKind(std::string_view name, bool& known) {
  known = true;
  if (name == "StandardEncoding") return kStandardEncoding;
  if (name == "MacRomanEncoding") return kMacRomanEncoding;
  if (name == "WinAnsiEncoding") return kWinAnsiEncoding;
  if (name == "PDFDocEncoding") return kPDFDocEncoding;
  if (name == "MacExpertEncoding") return kMacExpertEncoding;
  known = false;
  return kStandardEncoding;
}

bool IsCIDFont(std::string_view subtype) { return subtype == "CIDFontType0" || subtype == "CIDFontType2"; }

// Names a CFF program knows: "U+" keys of the Symbol font become glyph names.
void UnicodeKeysToNames(TGlyphNames& names) {
  for (std::string& name : names) {
    if (const auto u = GlyphKeyHex4(name, kGlyphKeyUnicode)) UnicodeToGlyphName(uint16_t(*u), name);
  }
}

}  // namespace

TPDFFontLoader::TPDFFontLoader(TPDFFontCollection& fonts, TPDFDictionary* font, TPDFDictionary* parent)
    : fonts_(fonts), font_(font), parent_(parent), entry_(std::make_unique<TPDFFontCollectionData>()) {}

TPDFObject* TPDFFontLoader::Get(TPDFDictionary* dict, std::string_view key) const {
  return dict == nullptr ? nullptr : fonts_.Resolve(dict->GetValue(key));
}

double TPDFFontLoader::Number(TPDFDictionary* dict, std::string_view key, double def) const {
  const auto* n = PDFCast<TPDFNumeric>(Get(dict, key));
  return n != nullptr && std::isfinite(n->Value()) ? n->Value() : def;
}

void TPDFFontLoader::Run() {
  TPDFFontCollectionData& e = *entry_;
  GetStandardEncoding(kStandardEncoding, e.GlyphNames);
  e.BaseFont = "Arial";
  descriptor_ = PDFCast<TPDFDictionary>(Get(font_, "FontDescriptor"));
  e.Widths.fill(Number(descriptor_, "MissingWidth", 0));
  if (auto* base = PDFCast<TPDFName>(Get(font_, "BaseFont"))) e.BaseFont = StripSubsetTag(base->Name());
  if (auto* subtype = PDFCast<TPDFName>(Get(font_, "Subtype"))) e.Subtype = subtype->Name();
  e.Flags = int32_t(std::clamp(Number(descriptor_, "Flags", 0), -2147483648.0, 2147483647.0));
  ReadEncoding();
  if (auto* box = PDFCast<TPDFArray>(Get(font_, "FontBBox")); box != nullptr && box->Count() == 4) {
    for (size_t i = 0; i < 4; ++i)
      if (auto* n = PDFCast<TPDFNumeric>(fonts_.Resolve(box->Items()[i]))) e.FontBBox[i] = n->Value();
  }
  if (IsCIDFont(e.Subtype)) {
    // A CIDFont stands only below a Type0 font.
    if (parent_ == nullptr) return;
    ReadCIDSystem();
  }
  if (e.Subtype == "Type0") {
    LoadType0();
    return;
  }
  if (e.Subtype == "Type1" || e.Subtype == "MMType1" || e.Subtype == "CIDFontType0") {
    Type1Road();
  } else if (e.Subtype == "TrueType" || e.Subtype == "CIDFontType2") {
    TrueTypeRoad();
  } else if (e.Subtype == "Type3") {
    e.IsType3 = true;
    ApplyPendingDifferences();
    if (fonts_.FontPrograms()) {
      auto type3 = std::make_unique<TPDFType3Rasterizer>();
      type3->OnResolve = fonts_.OnResolve;
      type3->OnBeforeRead = fonts_.OnBeforeRead;
      type3->OnAfterRead = fonts_.OnAfterRead;
      type3->LoadFont(font_);
      e.Rasterizer = std::move(type3);
    }
  }
  ReadSimpleWidths();
  ReadCIDMetrics();
  FinishEntry();
}

void TPDFFontLoader::ReadEncoding() {
  TPDFFontCollectionData& e = *entry_;
  TPDFObject* encoding = Get(font_, "Encoding");
  bool known = false;
  if (auto* name = PDFCast<TPDFName>(encoding)) {
    hasBaseEncoding_ = true;
    const uint8_t kind = EncodingKind(name->Name(), known);
    if (known) GetStandardEncoding(kind, e.GlyphNames);
    standardEncoding_ = known;
    encodingNamed_ = kind == kMacRomanEncoding || kind == kWinAnsiEncoding;
  } else if (auto* dict = PDFCast<TPDFDictionary>(encoding)) {
    encodingNamed_ = true;
    // Differences without a BaseEncoding change an embedded program's own encoding, which
    // the program loader puts in place before they are applied.
    if (auto* base = PDFCast<TPDFName>(Get(dict, "BaseEncoding"))) {
      hasBaseEncoding_ = true;
      const uint8_t kind = EncodingKind(base->Name(), known);
      if (known) GetStandardEncoding(kind, e.GlyphNames);
      standardEncoding_ = known;
    }
    pendingDifferences_ = PDFCast<TPDFArray>(Get(dict, "Differences"));
  }
}

void TPDFFontLoader::ApplyPendingDifferences() {
  ApplyDifferences(entry_->GlyphNames, pendingDifferences_);
  pendingDifferences_ = nullptr;
}

void TPDFFontLoader::ReadCIDSystem() {
  TPDFFontCollectionData& e = *entry_;
  cidSystemInfo_ = fonts_.GetCIDSystemInfo(font_->GetValue("CIDSystemInfo"));
  TPDFObject* encoding = Get(parent_, "Encoding");
  if (auto* name = PDFCast<TPDFName>(encoding)) {
    e.EncodingCMapName = name->Name();
    charSet_ = fonts_.GetPredefinedCMapName(name->Name(), cidSystemInfo_, e.CMapIndex, e.CodePageTable);
  } else if (auto* stream = PDFCast<TPDFStream>(encoding)) {
    const std::string text = fonts_.DecodeStream(stream, parent_->GetValue("Encoding"));
    std::string cmapName;
    if (auto* n = PDFCast<TPDFName>(Get(stream->Dictionary(), "CMapName"))) cmapName = n->Name();
    e.EncodingCMapName = cmapName.empty() ? "Embedded" : cmapName;
    e.CMapIndex = fonts_.AddCMap(cmapName, text);
    const std::string use = fonts_.CachedCMap(e.CMapIndex)->UseCMapName;
    if (!use.empty() && use != cmapName) {
      // The embedded CMap's parent is a predefined CMap (with its own chain).
      const int parent = fonts_.LoadPredefinedCMap(use);
      if (parent != e.CMapIndex) fonts_.cmaps_[size_t(e.CMapIndex)]->ParentIndex = parent;
    }
    int ignored = -1;
    charSet_ = fonts_.GetPredefinedCMapName("Identity-H", cidSystemInfo_, ignored, e.CodePageTable);
  }
  if (auto* style = PDFCast<TPDFDictionary>(Get(descriptor_, "Style"))) {
    if (auto* panose = PDFCast<TPDFString>(Get(style, "Panose"))) panose_ = panose->Value();
  }
}

void TPDFFontLoader::LoadType0() {
  auto* descendants = PDFCast<TPDFArray>(Get(font_, "DescendantFonts"));
  if (descendants == nullptr || descendants->Count() != 1 || fonts_.loadDepth_ >= kMaxDepth) return;
  auto* child = PDFCast<TPDFDictionary>(fonts_.Resolve(descendants->Items()[0]));
  // A descendant that is the Type0 font itself, or no CIDFont, is refused.
  if (child == nullptr || child == font_) return;
  auto* subtype = PDFCast<TPDFName>(Get(child, "Subtype"));
  if (subtype == nullptr || !IsCIDFont(subtype->Name())) return;
  const int before = fonts_.FontCount();
  ++fonts_.loadDepth_;
  fonts_.LoadFont(child, font_);
  --fonts_.loadDepth_;
  if (fonts_.FontCount() == before) return;
  TPDFFontCollectionData& loaded = *fonts_.entries_.back();
  loaded.Composite = 1;
  loaded.SplitCMapName = loaded.EncodingCMapName.empty() ? "Identity-H" : loaded.EncodingCMapName;
  if (loaded.CMapIndex < 0) loaded.CMapIndex = fonts_.LoadPredefinedCMap("Identity-H");
  if (const auto* cmap = fonts_.CachedCMap(loaded.CMapIndex)) {
    for (const auto& r : cmap->CodespaceRanges())
      if (r.Bytes == 1 && r.Low <= 32 && 32 <= r.High) loaded.WordSpaceCode = true;
  }
  ReadToUnicode(loaded, font_);
}

bool TPDFFontLoader::LoadType1Program(TPDFStream* stream) {
  auto decoder = std::make_unique<TPDFType1Decoder>();
  decoder->OnResolve = fonts_.OnResolve;
  auto* reference = PDFCast<TPDFIndRef>(descriptor_->GetValue("FontFile"));
  if (fonts_.OnBeforeRead) fonts_.OnBeforeRead(stream, reference);
  decoder->LoadFontFile(stream);
  decoder->ConvertFontProgram();
  const bool parsed = decoder->ParsePrivate();
  if (fonts_.OnAfterRead) fonts_.OnAfterRead(stream, reference);
  // A program without charstrings would draw nothing: the font takes an installed face instead.
  if (!parsed) return false;
  if (!hasBaseEncoding_) decoder->GetEncoding(entry_->GlyphNames);
  entry_->Rasterizer = std::move(decoder);
  return true;
}

bool TPDFFontLoader::LoadPFBProgram(std::string_view data) {
  auto decoder = std::make_unique<TPDFType1Decoder>();
  decoder->OnResolve = fonts_.OnResolve;
  decoder->LoadFromPFB(data);
  decoder->ConvertFontProgram();
  if (!decoder->ParsePrivate()) return false;
  // A symbolic font's codes name the glyphs of the program's own encoding, whatever the
  // dictionary's encoding says.
  if (!hasBaseEncoding_ || (entry_->Flags & kSymbolicFlag) != 0) decoder->GetEncoding(entry_->GlyphNames);
  entry_->Rasterizer = std::move(decoder);
  return true;
}

bool TPDFFontLoader::LoadCFFProgram(std::string_view data) {
  auto decoder = std::make_unique<TPDFType1Decoder>();
  decoder->OnResolve = fonts_.OnResolve;
  // Only the program's own ROS makes it CID-keyed: a name-keyed program in a CID font keeps its
  // glyph names, and its CIDs are glyph indexes.
  // Data that gives no charstrings would draw nothing: the font takes a substitute instead.
  if (!decoder->LoadCFFData(data) || decoder->CharStrings.empty()) return false;
  if (!hasBaseEncoding_) decoder->GetEncoding(entry_->GlyphNames);
  entry_->Rasterizer = std::move(decoder);
  return true;
}

void TPDFFontLoader::Type1Road() {
  TPDFFontCollectionData& e = *entry_;
  e.Ascent = Number(descriptor_, "Ascent", 0);
  e.Descent = Number(descriptor_, "Descent", 0);
  bool embedded = false;
  if (fonts_.FontPrograms() && descriptor_ != nullptr) {
    if (auto* file = PDFCast<TPDFStream>(Get(descriptor_, "FontFile"))) {
      embedded = LoadType1Program(file);
    } else if (auto* file3 = PDFCast<TPDFStream>(Get(descriptor_, "FontFile3"))) {
      embedded = LoadCFFProgram(fonts_.DecodeStream(file3, descriptor_->GetValue("FontFile3")));
    }
  }
  if (!embedded) {
    if (e.Subtype == "CIDFontType0") {
      CJKSubstitute(TCJKRoad::CIDType1);
      return;
    }
    InstalledFace();
  }
  ApplyPendingDifferences();
  if (standardPattern_ != 0) GetStandardFontWidths(StandardFontWidthNumber(standardPattern_), e.GlyphNames, e.Widths);
}

void TPDFFontLoader::InstalledFace() {
  TPDFFontCollectionData& e = *entry_;
  std::string name = e.BaseFont;
  if (name.ends_with("MT")) name.resize(name.size() - 2);
  if (const size_t mt = name.find("MT-"); mt != std::string::npos) name.erase(mt, 3);
  standardPattern_ = StandardFontPattern(name);
  // The Symbol face has no Latin glyphs: its own code table is the base whatever the dictionary
  // names, and only Differences change it.
  if (standardPattern_ == 13) GetSymbolUnicodeNames(kSymbolBuiltInEncoding, e.GlyphNames);
  auto truetype = std::make_unique<TPDFTrueTypeRasterizer2>();
  if (standardPattern_ == 14) {
    std::string data;
    LoadDingbatsFont(data);
    truetype->GetFont().SetName("KWEDingbats");
    truetype->Parser.LoadFromString(data);
    e.Rasterizer = std::move(truetype);
    return;
  }
  TPDFFontCollection::NormalizeFontName(truetype->GetFont(), e.BaseFont, e.Flags);
  truetype->LoadSystemFontData();
  if (truetype->HasCFF) {
    const std::string data = std::move(truetype->FontData);
    ApplyPendingDifferences();
    UnicodeKeysToNames(e.GlyphNames);
    auto decoder = std::make_unique<TPDFType1Decoder>();
    decoder->OnResolve = fonts_.OnResolve;
    decoder->LoadCFFData(data);
    e.Rasterizer = std::move(decoder);
    return;
  }
  ApplyPendingDifferences();
  truetype->SetEncodingWidths(e.GlyphNames, e.Widths);
  e.Rasterizer = std::move(truetype);
}

void TPDFFontLoader::TrueTypeRoad() {
  TPDFFontCollectionData& e = *entry_;
  e.Ascent = Number(descriptor_, "Ascent", 0);
  e.Descent = Number(descriptor_, "Descent", 0);
  // An OpenType program (TrueType or CFF outlines) comes as FontFile3 with that subtype.
  std::string_view key = "FontFile2";
  auto* file = PDFCast<TPDFStream>(Get(descriptor_, key));
  if (file == nullptr) {
    key = "FontFile3";
    file = PDFCast<TPDFStream>(Get(descriptor_, key));
    const auto* subtype = file != nullptr ? PDFCast<TPDFName>(Get(file->Dictionary(), "Subtype")) : nullptr;
    if (subtype == nullptr || subtype->Name() != "OpenType") file = nullptr;
  }
  if (file == nullptr || !fonts_.FontPrograms()) {
    TrueTypeWithoutProgram();
    return;
  }
  const std::string data = fonts_.DecodeStream(file, descriptor_->GetValue(key));
  if (std::string_view(data).substr(0, 100).find("!PS-AdobeFont") != std::string_view::npos) {
    if (LoadPFBProgram(data)) {
      ApplyPendingDifferences();
    } else {
      TrueTypeWithoutProgram();
    }
    return;
  }
  auto truetype = std::make_unique<TPDFTrueTypeRasterizer2>();
  truetype->Parser.LoadFromString(data);
  if (const uint32_t cff = truetype->Parser.GetCFFTable(); cff != 0 && cff < data.size()) {
    if (LoadCFFProgram(std::string_view(data).substr(cff))) {
      ApplyPendingDifferences();
    } else {
      TrueTypeWithoutProgram();
    }
    return;
  }
  // A program that is no font (damaged, cut short, not TrueType data) is replaced as a
  // missing one is.
  if (!truetype->Parser.Usable()) {
    TrueTypeWithoutProgram();
    return;
  }
  // A CIDFont's glyphs are addressed by glyph index: the symbolic search by a code's low byte
  // would turn glyph 0 (notdef) into a real glyph.
  if (parent_ == nullptr) {
    truetype->SetSymbolic(e.Flags);
    // The encoding's names (Differences applied) say which characters the codes are, whatever
    // glyphs the keys find. A TrueType program has no encoding of its own for Differences to
    // start from: where the dictionary names none, its codes read as WinAnsiEncoding, as other
    // readers take them.
    TGlyphNames names = e.GlyphNames;
    if (!hasBaseEncoding_) GetStandardEncoding(kWinAnsiEncoding, names);
    ApplyDifferences(names, pendingDifferences_);
    textNames_ = names;
    for (size_t code = 0; code < names.size(); ++code)
      e.GlyphNames[code] = truetype->SimpleFontKey(uint8_t(code), names[code], encodingNamed_);
    if (truetype->IsSymbolic && fonts_.TextOnly()) ApplyPendingDifferences();
    pendingDifferences_ = nullptr;
    cidKeys_ = truetype->IsSymbolic;
  } else {
    ApplyPendingDifferences();
  }
  e.Rasterizer = std::move(truetype);
}

void TPDFFontLoader::TrueTypeWithoutProgram() {
  TPDFFontCollectionData& e = *entry_;
  if (parent_ != nullptr) {
    CJKSubstitute(TCJKRoad::CompositeTrueType);
    return;
  }
  InstalledFace();
  ApplyPendingDifferences();
  if (standardPattern_ != 0) GetStandardFontWidths(StandardFontWidthNumber(standardPattern_), e.GlyphNames, e.Widths);
}

void TPDFFontLoader::CJKSubstitute(TCJKRoad road) {
  TPDFFontCollectionData& e = *entry_;
  const std::string courier = road == TCJKRoad::CIDType1 ? CIDCourierName(e.BaseFont) : std::string();
  const std::string face =
      courier.empty() ? CJKSubstituteFace(road, e.BaseFont, e.Flags, panose_, charSet_) : std::string("Courier New");
  e.Rasterizer = TPDFFontCollection::CreateCJKSubstitute(charSet_, face, courier.empty() ? e.BaseFont : courier);
  if (!courier.empty())
    TPDFFontCollection::NormalizeFontName(static_cast<TPDFSimpleTrueTypeRasterizer&>(*e.Rasterizer).GetFont(), courier, 0);
}

void TPDFFontLoader::ReadSimpleWidths() {
  auto* widths = PDFCast<TPDFArray>(Get(font_, "Widths"));
  if (widths == nullptr) return;
  const double first = Number(font_, "FirstChar", 0);
  const double last = std::min(Number(font_, "LastChar", 255), 255.0);
  const auto& items = widths->Items();
  for (size_t i = 0; i < items.size(); ++i) {
    const double code = first + double(i);
    if (code > last) break;
    // A FirstChar outside the table never indexes it.
    if (code < 0 || code > 255) continue;
    const auto* n = PDFCast<TPDFNumeric>(fonts_.Resolve(items[i]));
    entry_->Widths[size_t(code)] = n != nullptr && std::isfinite(n->Value()) ? n->Value() : 0;
  }
}

void TPDFFontLoader::ReadCIDMetrics() {
  TPDFFontCollectionData& e = *entry_;
  if (!IsCIDFont(e.Subtype)) return;
  auto resolve = [this](TPDFObject* o) { return fonts_.Resolve(o); };
  e.CIDWidths.Default = int32_t(std::clamp(Number(font_, "DW", 1000), -1e9, 1e9));
  if (HasBuiltInCIDWidths(e.Subtype, e.BaseFont)) {
    LoadBuiltInCIDWidths(e.CIDWidths);
  } else {
    e.CIDWidths.Read(PDFCast<TPDFArray>(Get(font_, "W")), resolve);
  }
  e.Vertical.ReadDW2(PDFCast<TPDFArray>(Get(font_, "DW2")));
  e.Vertical.ReadW2(PDFCast<TPDFArray>(Get(font_, "W2")), resolve);
  if (e.Subtype != "CIDFontType2") return;
  if (auto* map = PDFCast<TPDFStream>(Get(font_, "CIDToGIDMap"))) {
    const std::string data = fonts_.DecodeStream(map, font_->GetValue("CIDToGIDMap"));
    const size_t count = std::min(data.size() / 2, kMaxCIDToGID);
    e.CIDToGID.resize(count);
    for (size_t i = 0; i < count; ++i) e.CIDToGID[i] = uint16_t(uint8_t(data[2 * i]) << 8 | uint8_t(data[2 * i + 1]));
  }
}

void TPDFFontLoader::ReadToUnicode(TPDFFontCollectionData& entry, TPDFDictionary* font) const {
  auto* stream = PDFCast<TPDFStream>(Get(font, "ToUnicode"));
  if (stream == nullptr) {
    if (entry.Composite) {
      entry.ToUnicodeCMap = std::make_unique<TOrvanePDFLibraryCMap>();
      entry.ToUnicodeCMap->SetIdentity();
    }
    return;
  }
  const std::string text = fonts_.DecodeStream(stream, font->GetValue("ToUnicode"));
  entry.ToUnicodeCMap = ParseCMapText(text);
  bool oneByte = false;
  ParseToUnicode(text, oneByte, entry.ToUnicodeRanges);
  if (entry.Composite) return;
  for (uint32_t code = 0; code < 256; ++code) {
    std::u16string unicode = ToUnicodeText(entry.ToUnicodeRanges, code);
    if (!unicode.empty()) entry.Unicode[code] = std::move(unicode);
  }
}

void TPDFFontLoader::FinishEntry() {
  TPDFFontCollectionData& e = *entry_;
  if (!IsCIDFont(e.Subtype) && !cidKeys_) EncodingToUnicode(e.GlyphNames, e.Unicode);
  if (!IsCIDFont(e.Subtype) && textNames_) EncodingToUnicode(*textNames_, e.Unicode);
  if (!IsCIDFont(e.Subtype)) ReadToUnicode(e, font_);
  fonts_.entries_.push_back(std::move(entry_));
}
