#include "pdf/fonts/font_collection.h"

#include <algorithm>

#include "pdf/core/byte_strings.h"
#include "pdf/core/cmaps/code_page_tables.h"
#include "pdf/core/encodings/font_family_list.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/wide_file_stream.h"
#include "pdf/fonts/font_loader.h"
#include "pdf/fonts/font_substitutes.h"
#include "pdf/fonts/formats/truetype/simple_truetype_rasterizer.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/font_data.h"
#include "platform/rtl/code_pages.h"
#include "platform/rtl/strings.h"

TPDFFontCollectionData::TPDFFontCollectionData() = default;
TPDFFontCollectionData::~TPDFFontCollectionData() = default;

TPDFFontCollection::TPDFFontCollection() = default;

TPDFFontCollection::~TPDFFontCollection() {
  current_ = nullptr;
  entries_.clear();
  cmaps_.clear();
  // Font files written for this render live only as long as it.
  for (int i = 0; i < tempFiles_.Count(); ++i) {
    const std::string& name = tempFiles_[i];
    if (name.empty()) continue;
    const WideString wide = FileNameToWide(name);
    RemoveFontResourceW(wide.c_str());
    WideDeleteFile(wide);
  }
  tempFiles_.Clear();
}

TPDFFontCollectionData* TPDFFontCollection::Entry(int index) const {
  return index >= 0 && size_t(index) < entries_.size() ? entries_[size_t(index)].get() : nullptr;
}

TPDFObject* TPDFFontCollection::Resolve(TPDFObject* value) const {
  auto* ref = PDFCast<TPDFIndRef>(value);
  if (ref == nullptr) return value;
  if (OnResolve) return OnResolve(ref);
  return ref->Resolve();
}

std::string TPDFFontCollection::DecodeStream(TPDFStream* stream, TPDFObject* reference) const {
  if (stream == nullptr) return {};
  auto* ref = PDFCast<TPDFIndRef>(reference);
  if (OnBeforeRead) OnBeforeRead(stream, ref);
  std::string data;
  if (!stream->Decode(data)) data.clear();
  if (OnAfterRead) OnAfterRead(stream, ref);
  return data;
}

void TPDFFontCollection::SelectFont(TPDFObject* reference) {
  auto* ref = PDFCast<TPDFIndRef>(reference);
  if (ref == nullptr) {
    if (auto* dict = PDFCast<TPDFDictionary>(reference)) AddFont(dict);
    return;
  }
  const int number = ref->TargetNumber();
  const int index = IndexOfFont(number);
  if (index >= 0) {
    current_ = entries_[size_t(index)].get();
    return;
  }
  const size_t before = entries_.size();
  LoadFont(ref, nullptr);
  if (entries_.size() == before) return;
  entries_.back()->ObjectNumber = number;
  SortIndex();
  current_ = entries_.back().get();
}

void TPDFFontCollection::AddFont(TPDFDictionary* font) {
  LoadFont(font, nullptr);
  if (!entries_.empty()) current_ = entries_.back().get();
}

void TPDFFontCollection::SelectFontByNumber(int32_t objectNumber) {
  const int index = IndexOfFont(objectNumber);
  if (index >= 0) current_ = entries_[size_t(index)].get();
}

void TPDFFontCollection::SelectEntry(TPDFFontCollectionData* entry) {
  for (const auto& e : entries_)
    if (e.get() == entry) current_ = entry;
}

void TPDFFontCollection::LoadFont(TPDFObject* font, TPDFDictionary* parent) {
  auto* dict = PDFCast<TPDFDictionary>(Resolve(font));
  if (dict == nullptr) return;
  TPDFFontLoader(*this, dict, parent).Run();
}

int TPDFFontCollection::IndexOfFont(int32_t objectNumber) const {
  const auto at = std::lower_bound(indexNumbers_.begin(), indexNumbers_.end(), objectNumber);
  if (at == indexNumbers_.end() || *at != objectNumber) return -1;
  return indexPositions_[size_t(at - indexNumbers_.begin())];
}

void TPDFFontCollection::SortIndex() {
  // Each entry is looked at once; direct fonts have no object number and are never found by one.
  for (; indexedEntries_ < entries_.size(); ++indexedEntries_) {
    const int32_t number = entries_[indexedEntries_]->ObjectNumber;
    if (number == 0) continue;
    const auto at = std::upper_bound(indexNumbers_.begin(), indexNumbers_.end(), number);
    const auto offset = at - indexNumbers_.begin();
    indexNumbers_.insert(at, number);
    indexPositions_.insert(indexPositions_.begin() + offset, int32_t(indexedEntries_));
  }
}

std::string TPDFFontCollection::GetCIDSystemInfo(TPDFObject* info) const {
  auto* dict = PDFCast<TPDFDictionary>(Resolve(info));
  std::string registry, ordering, supplement;
  if (dict != nullptr) {
    if (auto* s = PDFCast<TPDFString>(Resolve(dict->GetValue("Registry")))) registry = s->Value();
    if (auto* s = PDFCast<TPDFString>(Resolve(dict->GetValue("Ordering")))) ordering = s->Value();
    if (auto* n = PDFCast<TPDFNumeric>(Resolve(dict->GetValue("Supplement")))) supplement = std::to_string(n->AsInteger());
  }
  return registry + "-" + ordering + "-" + supplement;
}

uint8_t TPDFFontCollection::GetPredefinedCMapName(std::string_view n, std::string_view o, int& cmapIndex,
                                                  TZRXWordPairList*& codePage) {
  cmapIndex = LoadPredefinedCMap(n);
  codePage = nullptr;
  int cp = 0;
  uint8_t charSet = 0;
  static constexpr std::string_view kJapanese =
      "*H*V*78-H*78-V*EUC-H*EUC-V*78-EUC-H*78-EUC-V*Ext-H*Ext-V*NWP-H*NWP-V*Add-H*Add-V*Hankaku*Hiragana*"
      "Katakana*Roman*WP-Symbol*";
  auto has = [&](std::string_view s) { return n.find(s) != std::string_view::npos; };
  auto byOrdering = [&](bool withCodePage) {
    const std::pair<std::string_view, std::pair<int, uint8_t>> orders[] = {
        {"Adobe-Japan1-", {932, 128}}, {"Adobe-GB1-", {936, 134}}, {"Adobe-Korea1-", {949, 129}},
        {"Adobe-CNS1-", {950, 136}}};
    for (const auto& [prefix, values] : orders) {
      if (!o.starts_with(prefix)) continue;
      if (withCodePage) cp = values.first;
      charSet = values.second;
    }
  };
  if (has("JIS") || has("RKSJ") || kJapanese.find("*" + std::string(n) + "*") != std::string_view::npos) {
    cp = 932, charSet = 128;
  } else if (has("GB")) {
    cp = 936, charSet = 134;
  } else if (has("KSC") || has("UniKS")) {
    cp = 949, charSet = 129;
  } else if (has("B5") || has("CNS")) {
    cp = 950, charSet = 136;
  } else if (n.starts_with("UniGB-UCS2") || n.starts_with("UniCNS-UCS2") || n.starts_with("UniKS-UCS2") ||
             n.starts_with("UniJIS-UCS2")) {
    byOrdering(false);
  } else if (n.starts_with("Identity-")) {
    byOrdering(true);
  }
  if (cp != 0) codePage = LoadCodePageTable(cp);
  return charSet;
}

void TPDFFontCollection::NormalizeFontName(TFont& font, std::string_view baseFont, int32_t flags) {
  std::string name(baseFont);
  if (name.ends_with("MT")) name.resize(name.size() - 2);
  if (const size_t mt = name.find("MT-"); mt != std::string::npos) name.erase(mt, 3);
  name = StripSubsetTag(name);
  if (const int pattern = StandardFontPattern(name); pattern != 0) name = std::string(StandardFontReplacement(pattern));
  if (const size_t plus = name.find('+'); plus != std::string::npos) name.resize(plus);
  const std::pair<std::string_view, std::string_view> suffixes[] = {
      {"-Bold", ",Bold"},           {"-Medium", ",Bold"},         {"-Italic", ",Italic"},
      {"-Oblique", ",Italic"},      {"-BoldItalic", ",BoldItalic"}, {"-BoldOblique", ",BoldItalic"},
      {",Bold,Bold", ",Bold"}};
  for (const auto& [from, to] : suffixes) name = StringReplaceA(name, from, to, rfReplaceAll);
  name = StringReplaceA(name, "-", "", rfReplaceAll);
  int style = 0;
  for (const auto& [suffix, bits] : {std::pair{std::string_view(",Bold"), 1}, std::pair{std::string_view(",Italic"), 2},
                                     std::pair{std::string_view(",BoldItalic"), 3}}) {
    if (!name.ends_with(suffix)) continue;
    style = bits;
    name.resize(name.size() - suffix.size());
    break;
  }
  TTalvoPDFStringList* families = GetFontFamilyList(1);
  auto search = [&](auto&& match) -> std::string {
    for (int i = 0; families != nullptr && i < families->Count(); ++i) {
      const std::string family = families->Get(i);
      if (family.empty() || name.empty() || family[0] != name[0]) continue;
      if (match(family)) return family;
    }
    return {};
  };
  auto squeeze = [](const std::string& s, bool dashes) {
    std::string out;
    for (char c : s)
      if (c != ' ' && !(dashes && c == '-')) out.push_back(c);
    return out;
  };
  std::string face;
  if (style != 0) {
    face = search([&](const std::string& f) {
      const std::string s = squeeze(f, false);
      return ((style & 1) && s == name + "Bold") || ((style & 2) && s == name + "Italic");
    });
  }
  if (face.empty()) {
    face = search([&](const std::string& f) {
      if (f == name || squeeze(f, true) == name) return true;
      if (f + "Italic" == name) style |= 2;
      return f + "Italic" == name;
    });
  }
  if (face.empty() && name.ends_with("Regular")) {
    name.resize(name.size() - 7);
    face = search([&](const std::string& f) { return f == name || squeeze(f, true) == name; });
  }
  if (face.empty()) {
    face = "Arial";
    if (flags & 1) face = "Courier";
    if (flags & 2) face = "Times New Roman";
    if (flags & 64) style |= 2;
  }
  font.SetName(face);
  font.SetStyle(((style & 1) ? fsBold : 0) | ((style & 2) ? fsItalic : 0));
}

std::unique_ptr<TPDFFontRasterizer> TPDFFontCollection::CreateCJKSubstitute(uint8_t charSet, std::string_view face,
                                                                            std::string_view baseFont) {
  auto rasterizer = std::make_unique<TPDFSimpleTrueTypeRasterizer>();
  TFont& font = rasterizer->GetFont();
  int style = 0;
  if (baseFont.ends_with(",Bold")) style = fsBold;
  if (baseFont.ends_with(",Italic")) style = fsItalic;
  if (baseFont.ends_with(",BoldItalic")) style = fsBold | fsItalic;
  font.SetCharset(charSet);
  font.SetName(std::string(face));
  font.SetStyle(style);
  TTalvoPDFStringList* families = GetFontFamilyList(charSet);
  if (families != nullptr && families->IndexOf(face) >= 0) return rasterizer;
  // A system may know the face only by its native name.
  if (const std::string native = NativeFaceName(face); !native.empty() && FontFamilyInstalled(charSet, native)) {
    font.SetName(native);
    return rasterizer;
  }
  // The name rules choose the face and its style afresh.
  if (families != nullptr && families->Count() > 0) NormalizeFontName(font, face, 0);
  return rasterizer;
}

std::string TPDFFontCollection::NativeFaceName(std::string_view face) {
  const std::string_view bytes = CJKNativeFaceName(face);
  return bytes.empty() ? std::string() : WideToUtf8(MultiByteToWideChar(932, bytes));
}
