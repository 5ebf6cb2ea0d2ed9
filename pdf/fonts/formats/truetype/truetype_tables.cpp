// The cmap subtables and the glyph outlines of the TrueType parser.
#include <algorithm>
#include <unordered_map>

#include "pdf/fonts/formats/font_bytes.h"
#include "pdf/fonts/formats/truetype/truetype_parser.h"

namespace {

// A format 4 table cannot name more distinct codes than this; overlapping segments could
// otherwise make one small table expand into billions of entries.
constexpr size_t kMaxCodesPerSubtable = 65536;
// All subtables together (a directory may point many records at one large table).
constexpr size_t kMaxCodesPerFont = size_t(1) << 20;
// No real glyph has more parts; a longer chain is refused rather than held.
constexpr size_t kMaxComponents = 1024;

double F2Dot14(int16_t v) { return double(v) / 16384.0; }

void ReadFormat0(TFontByteReader& r, TTrueTypeCmap& t) {
  for (int c = 0; c < 256; ++c) {
    t.Codes.push_back(uint16_t(c));
    t.GlyphIds.push_back(r.U8());
  }
}

void ReadFormat4(TFontByteReader& r, TTrueTypeCmap& t, uint16_t length) {
  const int segCount = r.U16() / 2;
  r.Skip(6);  // searchRange, entrySelector, rangeShift
  const size_t n = size_t(segCount);
  std::vector<uint16_t> endCode(n), startCode(n), idRangeOffset(n);
  std::vector<int16_t> idDelta(n);
  for (auto& v : endCode) v = r.U16();
  r.Skip(2);  // reservedPad
  for (auto& v : startCode) v = r.U16();
  for (auto& v : idDelta) v = r.S16();
  for (auto& v : idRangeOffset) v = r.U16();
  const int64_t arrayCount = std::max<int64_t>(0, (int64_t(length) - 8 * int64_t(segCount) - 16) / 2 + 1);
  std::vector<uint16_t> glyphIdArray;
  glyphIdArray.reserve(size_t(std::min<int64_t>(arrayCount, r.Remaining() / 2 + 1)));
  for (int64_t k = 0; k < arrayCount && !r.AtEnd(); ++k) glyphIdArray.push_back(r.U16());
  for (int i = 0; i < segCount; ++i) {
    const uint16_t last = endCode[size_t(i)];
    if (last >= 65535) continue;
    for (int c = startCode[size_t(i)]; c <= last; ++c) {
      if (t.Codes.size() >= kMaxCodesPerSubtable) return;
      uint16_t glyph = 0;
      if (idRangeOffset[size_t(i)] == 0) {
        glyph = uint16_t(c + idDelta[size_t(i)]);
      } else {
        const int64_t index = idRangeOffset[size_t(i)] / 2 + (c - startCode[size_t(i)]) - (segCount - i);
        if (index >= 0 && index < int64_t(glyphIdArray.size())) {
          glyph = glyphIdArray[size_t(index)];
          if (glyph != 0) glyph = uint16_t(glyph + idDelta[size_t(i)]);
        }
      }
      t.Codes.push_back(uint16_t(c));
      t.GlyphIds.push_back(glyph);
    }
  }
}

void ReadFormat6(TFontByteReader& r, TTrueTypeCmap& t) {
  const uint16_t first = r.U16();
  const int count = r.U16();
  for (int k = 0; k < count && !r.AtEnd(); ++k) {
    t.Codes.push_back(uint16_t(first + k));
    t.GlyphIds.push_back(r.U16());
  }
}

// One axis of a simple glyph's points, stored as running sums: a byte whose sign the same-bit
// gives when the short bit is set, else the previous value (same-bit set) or a signed word.
// 65536 points of at most 32768 each stay within 32 bits.
void ReadCoordinates(TFontByteReader& r, const std::vector<uint8_t>& flags, uint8_t shortBit, uint8_t sameBit,
                     std::vector<TTrueTypePoint>& points, int32_t TTrueTypePoint::*axis) {
  int32_t v = 0;
  for (size_t i = 0; i < flags.size() && !r.Short(); ++i) {
    const uint8_t f = flags[i];
    if (f & shortBit) {
      v += (f & sameBit) ? r.U8() : -int32_t(r.U8());
    } else if (!(f & sameBit)) {
      v += r.S16();
    }
    points[i].*axis = v;
  }
}

// The outline of a simple glyph: end points (which must rise), flags with their repeat runs
// expanded, and the coordinates. A glyph whose data runs out is marked invalid.
void ReadSimpleGlyph(TFontByteReader& r, int16_t contours, TTrueTypeGlyph& g) {
  g.NumberOfContours = contours;
  if (int64_t(contours) * 2 > r.Remaining()) {
    g.Valid = false;
    return;
  }
  g.EndPoints.resize(size_t(contours));
  int prev = -1;
  for (auto& e : g.EndPoints) {
    e = r.U16();
    if (int(e) <= prev) g.Valid = false;
    prev = e;
  }
  r.Skip(r.U16());  // instructions
  const size_t count = size_t(g.EndPoints.back()) + 1;
  if (!g.Valid || r.Short()) {
    g.Valid = false;
    return;
  }
  g.Flags.reserve(count);
  while (g.Flags.size() < count && !r.Short()) {
    const uint8_t flag = r.U8();
    g.Flags.push_back(flag);
    if (flag & 8) {
      for (int n = r.U8(); n > 0 && g.Flags.size() < count; --n) g.Flags.push_back(flag);
    }
  }
  // Flags that run out leave a glyph that cannot be drawn: its coordinates are not read (the
  // record keeps one point per flag all the same).
  g.Points.resize(g.Flags.size());
  if (r.Short() || g.Flags.size() < count) {
    g.Valid = false;
    return;
  }
  ReadCoordinates(r, g.Flags, 2, 16, g.Points, &TTrueTypePoint::X);
  ReadCoordinates(r, g.Flags, 4, 32, g.Points, &TTrueTypePoint::Y);
  if (r.Short()) g.Valid = false;
}

// The parts of a composite glyph, while each asks for more.
void ReadComponents(TFontByteReader& r, TTrueTypeGlyph& g) {
  int32_t flags = 0;
  do {
    if (g.Components.size() >= kMaxComponents) {
      g.Valid = false;
      break;
    }
    TTrueTypeComponent c;
    flags = r.U16();
    c.Flags = flags;
    c.GlyphIndex = r.U16();
    if (flags & kTTArgsAreWords) {
      c.Argument1 = r.S16();
      c.Argument2 = r.S16();
    } else {
      c.Argument1 = r.S8();
      c.Argument2 = r.S8();
    }
    if (flags & kTTHaveScale) {
      c.XScale = c.YScale = F2Dot14(r.S16());
    } else if (flags & kTTHaveXYScale) {
      c.XScale = F2Dot14(r.S16());
      c.YScale = F2Dot14(r.S16());
    } else if (flags & kTTHaveTwoByTwo) {
      c.XScale = F2Dot14(r.S16());
      c.Scale01 = F2Dot14(r.S16());
      c.Scale10 = F2Dot14(r.S16());
      c.YScale = F2Dot14(r.S16());
    }
    if (r.Short()) {
      g.Valid = false;
      break;
    }
    g.Components.push_back(c);
  } while (flags & kTTMoreComponents);
}

}  // namespace

void TPDFTrueTypeParser::ReadCmap() {
  const int64_t start = TableStart("cmap");
  if (start < 0) return;
  TFontByteReader r(data_);
  r.Seek(start);
  cmapVersion_ = r.U16();
  const int count = r.U16();
  for (int i = 0; i < count && r.Remaining() >= 8; ++i) {
    TTrueTypeCmap t;
    t.PlatformID = r.U16();
    t.EncodingID = r.U16();
    t.Offset = r.U32();
    cmaps_.push_back(std::move(t));
  }
  size_t total = 0;
  // Records that share a subtable share its reading.
  std::unordered_map<uint32_t, size_t> firstByOffset;
  for (size_t i = 0; i < cmaps_.size(); ++i) {
    TTrueTypeCmap& t = cmaps_[i];
    const auto [it, fresh] = firstByOffset.emplace(t.Offset, i);
    if (!fresh) {
      const TTrueTypeCmap* same = &cmaps_[it->second];
      t.Format = same->Format;
      t.Language = same->Language;
      if (total + same->Codes.size() <= kMaxCodesPerFont) {
        t.Codes = same->Codes;
        t.GlyphIds = same->GlyphIds;
      }
    } else {
      ReadCmapSubtable(t, start + int64_t(t.Offset));
      if (total + t.Codes.size() > kMaxCodesPerFont) {
        t.Codes.clear();
        t.GlyphIds.clear();
      }
    }
    t.IndexCodes();
    total += t.Codes.size();
  }
}

void TPDFTrueTypeParser::ReadCmapSubtable(TTrueTypeCmap& t, int64_t start) {
  TFontByteReader r(data_);
  r.Seek(start);
  t.Format = r.U16();
  const uint16_t length = r.U16();
  t.Language = r.U16();
  if (r.Short()) return;
  switch (t.Format) {
    case 0: ReadFormat0(r, t); break;
    case 4: ReadFormat4(r, t, length); break;
    case 6: ReadFormat6(r, t); break;
    default: break;
  }
}

TTrueTypeGlyph TPDFTrueTypeParser::GetGlyph(int index) const {
  TTrueTypeGlyph g;
  if (index < 0 || index >= numGlyphs_ || size_t(index) + 1 >= loca_.size() || glyfStart_ < 0) return g;
  const int64_t length = int64_t(loca_[size_t(index) + 1]) - int64_t(loca_[size_t(index)]);
  if (length <= 0) return g;
  const int64_t start = glyfStart_ + int64_t(loca_[size_t(index)]);
  if (start >= int64_t(data_.size())) {
    g.Valid = false;
    return g;
  }
  // The glyph is read within its own extent: nothing of it may lie past its end or the data's.
  const int64_t end = std::min<int64_t>(start + length, int64_t(data_.size()));
  TFontByteReader r(std::string_view(data_).substr(0, size_t(end)));
  r.Seek(start);
  const int16_t contours = r.S16();
  g.XMin = r.S16();
  g.YMin = r.S16();
  g.XMax = r.S16();
  g.YMax = r.S16();
  if (start + length <= r.Position()) return g;

  if (contours > 0) {
    ReadSimpleGlyph(r, contours, g);
  } else {
    ReadComponents(r, g);
  }
  return g;
}
