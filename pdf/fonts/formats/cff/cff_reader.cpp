// Loading a CFF program (a bare CFF file, FontFile3 data, or the "CFF " table of an OpenType
// font) into a Type 1 decoder: glyph names and charstrings, global and local subroutines, the
// Font DICT selection of CID-keyed fonts, the font's own encoding and the glyph scale.
#include "pdf/fonts/formats/cff/cff_reader.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_stream.h"
#include "pdf/core/objects/pdf_structure.h"
#include "pdf/fonts/formats/cff/cff_dict.h"
#include "pdf/fonts/formats/cff/cff_strings.h"
#include "pdf/fonts/formats/truetype/truetype_parser.h"
#include "pdf/fonts/formats/type1/standard_encoding.h"
#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "platform/rtl/streams.h"

namespace {

constexpr int64_t kMaxFontSize = TPDFTrueTypeParser::kMaxFontSize;

// A number entry of a dictionary, or false when it is absent or no number.
bool Number(TPDFDictionary* dict, std::string_view key, double& value) {
  const auto* n = dict != nullptr ? PDFCast<TPDFNumeric>(dict->GetValue(key, false)) : nullptr;
  if (n == nullptr) return false;
  value = n->AsDouble();
  return true;
}

// An offset or size taken from a DICT; -1 when it cannot be one.
int64_t Offset(double v) { return v >= 0 && v < 4294967296.0 ? int64_t(v) : -1; }

// The offset and length of the "CFF " table of an OpenType font; false when it has none.
bool FindOpenTypeCFF(std::string_view font, int64_t& offset, int64_t& length) {
  TPDFTrueTypeParser parser;
  parser.HeaderOnly = true;
  parser.LoadFromString(font);
  const TTrueTypeTableRecord* table = parser.FindTable("CFF ");
  if (table == nullptr || table->Offset == 0 || table->Offset >= font.size()) return false;
  offset = table->Offset;
  length = std::min<int64_t>(table->Length, int64_t(font.size()) - offset);
  return true;
}

}  // namespace

TCFFReader::TCFFReader(TPDFType1Decoder& decoder, std::string_view data)
    : d_(decoder), data_(data), r_(data), budget_(int64_t(data.size()) * kBudgetFactor + kBudgetAllowance) {}

bool TCFFReader::Spend(int64_t cost) {
  if (cost > budget_) {
    budget_ = 0;
    return false;
  }
  budget_ -= cost;
  return true;
}

std::vector<std::string> TCFFReader::ReadIndexAt(int64_t offset) {
  if (offset < 0) return {};
  r_.Seek(offset);
  r_.ClearShort();
  return ReadIndex();
}

std::vector<std::string> TCFFReader::ReadIndex() {
  std::vector<std::string> items;
  const uint16_t count = r_.U16();
  if (count == 0 || r_.Short()) return items;
  const int offSize = r_.U8();
  if (offSize < 1 || offSize > 4) return items;
  std::vector<uint32_t> offsets(size_t(count) + 1);
  for (auto& o : offsets) o = r_.UN(offSize);
  if (r_.Short()) return items;
  // The items are read one after another from here, each as long as its two offsets say; what
  // they copy is bounded by the data that remains.
  int64_t cost = int64_t(count) * kItemCost;
  int64_t remaining = r_.Remaining();
  for (size_t i = 0; i < count && remaining > 0; ++i) {
    const int64_t length = std::min(int64_t(offsets[i + 1]) - int64_t(offsets[i]), remaining);
    if (length > 0) {
      cost += length;
      remaining -= length;
    }
  }
  if (!Spend(cost)) return items;
  items.reserve(count);
  for (size_t i = 0; i < count; ++i) items.push_back(r_.Bytes(int64_t(offsets[i + 1]) - int64_t(offsets[i])));
  return items;
}

TPDFDictionary* TCFFReader::ParseDict(std::string_view bytes, int kind) {
  return BuildCFFDict(*d_.ObjectStore, ReadCFFDict(bytes, kind, [this](int64_t sid) { return d_.SIDToString(sid); }));
}

bool TCFFReader::Load() {
  if (data_.size() < 4) return false;
  r_.Seek(2);  // major, minor
  const int hdrSize = r_.U8();
  r_.Skip(1);  // offSize
  if (hdrSize > 4) r_.Skip(hdrSize - 4);
  const std::vector<std::string> names = ReadIndex();
  const std::vector<std::string> topDicts = ReadIndex();
  d_.CFFStrings = ReadIndex();
  d_.GlobalSubrs = ReadIndex();
  d_.ObjectStore->NumberFormat = "0.00000000";
  d_.ObjectStore->Decimals = 8;
  for (size_t i = 0; i < topDicts.size() && i < kMaxTopDicts; ++i) ReadTopDict(ParseDict(topDicts[i], 0));
  return true;
}

void TCFFReader::ReadTopDict(TPDFDictionary* dict) {
  if (dict == nullptr) return;
  d_.IsCIDFont = dict->GetValue("ROS", false) != nullptr || d_.ForceCID;
  const std::optional<double> topMatrix = TPDFType1Decoder::MatrixScale(dict->GetValue("FontMatrix", false));
  if (topMatrix) d_.Scale = TPDFType1Decoder::GlyphScaleOf(*topMatrix);
  double v = 0;
  std::vector<std::string> charstrings;
  if (Number(dict, "CharStrings", v)) charstrings = ReadIndexAt(Offset(v));
  if (!charstrings.empty()) {
    if (!Number(dict, "charset", v) || (v >= 0 && v <= 2)) {
      SetPredefinedCharset(charstrings);
    } else {
      ReadCharset(Offset(v), charstrings);
    }
    if (!Number(dict, "Encoding", v)) {
      SetStandardEncoding(0);
    } else if (v == 0 || v == 1) {
      SetStandardEncoding(int64_t(v));
    } else {
      ReadEncoding(Offset(v));
    }
  }
  d_.FontKind = TPDFType1Decoder::kType2Charstrings;
  if (d_.IsCIDFont) {
    if (Number(dict, "FDSelect", v)) ReadFDSelect(Offset(v));
    if (Number(dict, "FDArray", v)) {
      std::vector<std::string> fontDicts = ReadIndexAt(Offset(v));
      if (fontDicts.size() > kMaxFontDicts) fontDicts.resize(kMaxFontDicts);
      d_.LocalSubrsByFD.assign(fontDicts.size(), {});
      std::vector<double> scales(fontDicts.size(), d_.Scale);
      bool ownMatrix = false;
      for (size_t k = 0; k < fontDicts.size(); ++k) {
        TPDFDictionary* fd = ParseDict(fontDicts[k], 0);
        d_.LocalSubrsByFD[k] = ReadLocalSubrs(fd);
        // A Font DICT's matrix maps its glyphs into the Top DICT's space; with no Top DICT
        // matrix it stands alone.
        const std::optional<double> fdMatrix =
            TPDFType1Decoder::MatrixScale(fd != nullptr ? fd->GetValue("FontMatrix", false) : nullptr);
        if (!fdMatrix) continue;
        ownMatrix = true;
        scales[k] = TPDFType1Decoder::GlyphScaleOf(*fdMatrix * topMatrix.value_or(1.0));
      }
      if (ownMatrix) d_.FDScales = std::move(scales);
    }
  }
  int64_t privateOffset = 0;
  if (TPDFDictionary* priv = ReadPrivateDict(dict, privateOffset); priv != nullptr && Number(priv, "Subrs", v)) {
    if (Offset(v) >= 0) {
      d_.Subrs = ReadIndexAt(privateOffset + Offset(v));
      d_.SubrNumbers.clear();
    }
  }
}

TPDFDictionary* TCFFReader::ReadPrivateDict(TPDFDictionary* dict, int64_t& offset) {
  const auto* priv = dict != nullptr ? PDFCast<TPDFArray>(dict->GetValue("Private", false)) : nullptr;
  if (priv == nullptr || priv->Count() != 2) return nullptr;
  const auto* off = PDFCast<TPDFNumeric>(priv->GetItem(0));
  const auto* size = PDFCast<TPDFNumeric>(priv->GetItem(1));
  if (off == nullptr || size == nullptr) return nullptr;
  offset = Offset(off->AsDouble());
  const int64_t length = Offset(size->AsDouble());
  if (offset < 0 || length < 0 || offset >= int64_t(data_.size())) return nullptr;
  return ParseDict(data_.substr(size_t(offset), size_t(std::min<int64_t>(length, int64_t(data_.size()) - offset))), 1);
}

std::vector<std::string> TCFFReader::ReadLocalSubrs(TPDFDictionary* dict) {
  int64_t offset = 0;
  TPDFDictionary* priv = ReadPrivateDict(dict, offset);
  double v = 0;
  if (priv == nullptr || !Number(priv, "Subrs", v) || Offset(v) < 0) return {};
  return ReadIndexAt(offset + Offset(v));
}

void TCFFReader::ReadCharset(int64_t offset, const std::vector<std::string>& charstrings) {
  const size_t n = charstrings.size();
  std::vector<int64_t> sids(n, 0);
  r_.Seek(offset);
  r_.ClearShort();
  const int format = r_.U8();
  size_t glyph = 1;
  if (format == 0) {
    for (; glyph < n && !r_.Short(); ++glyph) sids[glyph] = r_.U16();
  } else if (format == 1 || format == 2) {
    while (glyph < n && !r_.Short()) {
      const int64_t first = r_.U16();
      const int64_t left = format == 1 ? r_.U8() : r_.U16();
      if (r_.Short()) break;
      for (int64_t k = 0; k <= left && glyph < n; ++k) sids[glyph++] = first + k;
    }
  }
  d_.ClearCharStrings();
  for (size_t i = 0; i < n; ++i) {
    d_.AddCharString(d_.IsCIDFont ? GlyphKeyCID(sids[i]) : d_.SIDToString(sids[i]), charstrings[i]);
  }
}

void TCFFReader::SetPredefinedCharset(const std::vector<std::string>& charstrings) {
  // Glyph 0 is .notdef, drawn as nothing; the others are named by their glyph index as a SID.
  // Every predefined charset keeps glyph indexes in their places.
  d_.ClearCharStrings();
  if (charstrings.empty()) return;
  d_.AddCharString(".notdef", std::string());
  for (size_t i = 1; i < charstrings.size(); ++i) d_.AddCharString(d_.SIDToString(int64_t(i)), charstrings[i]);
}

void TCFFReader::SetStandardEncoding(int64_t which) {
  if (which != 0) return;
  // The CFF Standard Encoding names the same glyphs at the same codes as the Type 1 one.
  for (int code = 0; code < 256; ++code) {
    const std::string_view name = Type1StandardEncodingName(code);
    d_.Encoding[size_t(code)] = name.empty() ? ".notdef" : std::string(name);
  }
}

void TCFFReader::ReadEncoding(int64_t offset) {
  d_.Encoding.fill(".notdef");
  if (offset < 0) return;
  r_.Seek(offset);
  r_.ClearShort();
  const int formatByte = r_.U8();
  const int format = formatByte & 0x7F;
  const std::vector<std::string>& names = d_.CharStringNames;
  auto set = [&](int code, size_t glyph) {
    if (code >= 0 && code <= 255 && glyph < names.size()) d_.Encoding[size_t(code)] = names[glyph];
  };
  if (format == 0) {
    const int count = r_.U8();
    for (int g = 1; g <= count && !r_.Short(); ++g) set(r_.U8(), size_t(g));
  } else if (format == 1) {
    const int ranges = r_.U8();
    size_t glyph = 1;
    for (int k = 0; k < ranges && !r_.Short(); ++k) {
      const int first = r_.U8();
      const int left = r_.U8();
      for (int c = first; c <= first + left; ++c) set(c, glyph++);
    }
  } else {
    return;
  }
  // The supplement gives further codes to glyphs named by SID.
  if ((formatByte & 0x80) != 0) {
    const int count = r_.U8();
    for (int k = 0; k < count && !r_.Short(); ++k) {
      const int code = r_.U8();
      const std::string name = d_.SIDToString(r_.U16());
      if (!r_.Short() && !name.empty()) d_.Encoding[size_t(code)] = name;
    }
  }
}

void TCFFReader::ReadFDSelect(int64_t offset) {
  std::vector<int32_t>& fds = d_.FDSelect;
  fds.assign(d_.CharStringNames.size(), 0);
  if (offset < 0) return;
  r_.Seek(offset);
  r_.ClearShort();
  const int format = r_.U8();
  if (format == 0) {
    for (auto& fd : fds) fd = r_.U8();
  } else if (format == 3) {
    const int ranges = r_.U16();
    int64_t first = r_.U16();
    // Ranges rise; one that does not covers no glyph. Ranges that fall back and rise again could
    // cover the glyphs over and over: together they cover at most a few times the glyphs.
    int64_t budget = 8 * int64_t(fds.size()) + 256;
    for (int k = 0; k < ranges && !r_.Short(); ++k) {
      const int fd = r_.U8();
      const int64_t next = r_.U16();
      if (r_.Short()) break;
      for (int64_t g = first; g < next && g < int64_t(fds.size()); ++g) {
        if (--budget < 0) return;
        fds[size_t(g)] = fd;
      }
      first = next;
    }
  }
}

std::string TPDFType1Decoder::SIDToString(int64_t sid) const {
  if (sid >= 0 && sid < kCFFStandardStringCount) return std::string(CFFStandardString(sid));
  const int64_t index = sid - kCFFStandardStringCount;
  if (index >= 0 && index < int64_t(CFFStrings.size())) return CFFStrings[size_t(index)];
  return {};
}

std::string TPDFType1Decoder::DictToText(std::string_view data, int kind) const {
  return CFFDictToText(ReadCFFDict(data, kind, [this](int64_t sid) { return SIDToString(sid); }));
}

void TPDFType1Decoder::SeekOpenTypeCFF(TStream& stream) {
  const int64_t position = stream.Position();
  const std::string font = stream.ReadToEnd();
  int64_t offset = 0, length = 0;
  stream.SetPosition(FindOpenTypeCFF(font, offset, length) ? position + offset : position);
}

bool TPDFType1Decoder::LoadCFFData(std::string_view data) {
  if (data.size() < 4) return false;
  if (data.substr(0, 4) == "OTTO") {
    int64_t offset = 0, length = 0;
    if (!FindOpenTypeCFF(data, offset, length)) return false;
    data = data.substr(size_t(offset), size_t(length));
    if (data.size() < 4 || data.substr(0, 4) == "OTTO") return false;
  }
  if (int64_t(data.size()) > kMaxFontSize) return false;
  TCFFReader reader(*this, data);
  return reader.Load();
}

bool TPDFType1Decoder::LoadCFF(TStream& data) {
  const int64_t start = data.Position();
  if (data.Size() - start > kMaxFontSize + 4) return false;
  return LoadCFFData(data.ReadToEnd());
}

bool TPDFType1Decoder::LoadCFFStream(TPDFStream* stream) {
  if (stream == nullptr) return false;
  std::string data;
  stream->Decode(data);
  return LoadCFFData(data);
}
