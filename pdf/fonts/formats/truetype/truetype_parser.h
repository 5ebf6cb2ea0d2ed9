// Reads an sfnt font (TrueType or OpenType) into plain tables: the table directory, head, maxp,
// loca, the glyph outlines of glyf, the glyph names of post, every cmap subtable, hhea and the
// advance widths of hmtx. Users: the TrueType rasterizer, the CFF reader for OpenType fonts and
// the font resource writer (which also rebases the table offsets of a font cut out of a
// collection).
//
// Nothing raises for malformed data: versions that are not accepted read nothing, missing
// tables leave empty fields, glyphs that point outside the data are empty. Glyph outlines are
// read when they are asked for, so that a font cannot make the parser hold more than its own
// data's worth of outlines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TStream;

struct TTrueTypeTableRecord {
  uint32_t Tag = 0;
  std::string TagText;  // four characters, the first from the most significant byte
  uint32_t CheckSum = 0;
  uint32_t Offset = 0;  // already less the parser's offset delta
  uint32_t Length = 0;
  int64_t OffsetFieldPosition = 0;  // where the record's offset field lies in the data
};

struct TTrueTypeHead {
  double Version = 0;
  double FontRevision = 0;
  uint16_t Flags = 0;
  uint16_t UnitsPerEm = 2048;
  uint32_t Created = 0;   // low 32 bits
  uint32_t Modified = 0;  // low 32 bits
  int32_t XMin = 0, YMin = 0, XMax = 0, YMax = 0;
  uint16_t MacStyle = 0;
  int16_t IndexToLocFormat = 0;
  int16_t GlyphDataFormat = 0;
};

struct TTrueTypePoint {
  int32_t X = 0;
  int32_t Y = 0;
};

struct TTrueTypeComponent {
  int32_t Flags = 0;
  int32_t GlyphIndex = 0;
  int32_t Argument1 = 0;
  int32_t Argument2 = 0;
  double XScale = 1;
  double YScale = 1;
  double Scale01 = 0;
  double Scale10 = 0;
};

// Component flags.
inline constexpr int32_t kTTArgsAreWords = 1;
inline constexpr int32_t kTTArgsAreXYValues = 2;
inline constexpr int32_t kTTHaveScale = 8;
inline constexpr int32_t kTTMoreComponents = 32;
inline constexpr int32_t kTTHaveXYScale = 64;
inline constexpr int32_t kTTHaveTwoByTwo = 128;

struct TTrueTypeGlyph {
  int32_t NumberOfContours = 0;  // 0 for empty and composite glyphs
  int32_t XMin = 0, YMin = 0, XMax = 0, YMax = 0;
  std::vector<uint16_t> EndPoints;
  std::vector<uint8_t> Flags;  // one per point, repeat runs expanded
  std::vector<TTrueTypePoint> Points;  // absolute font units
  std::vector<TTrueTypeComponent> Components;
  // False when the glyph's data lies outside the font, runs past its end, or its contour end
  // points do not rise: such a glyph cannot be drawn. An empty glyph (no data) is valid.
  bool Valid = true;
};

struct TTrueTypeCmap {
  uint16_t PlatformID = 0;
  uint16_t EncodingID = 0;
  uint32_t Offset = 0;
  uint16_t Language = 0;
  uint16_t Format = 0;
  std::vector<uint16_t> Codes;
  std::vector<uint16_t> GlyphIds;  // parallel to Codes
  // Positions of Codes in code order, pairs of one code in table order (built by IndexCodes).
  std::vector<uint32_t> ByCode;

  void IndexCodes();
  // The glyph of the first pair with this code; 0 when none.
  int FirstGlyph(uint32_t code) const;
};

struct TTrueTypePost {
  double Version = 0;
  double ItalicAngle = 0;
  int32_t UnderlinePosition = 0;
  int32_t UnderlineThickness = 0;
  int32_t IsFixedPitch = 0;
};

// Values scaled to 1/1000 em unless noted.
struct TTrueTypeHhea {
  int32_t Ascender = 0, Descender = 0, LineGap = 0, AdvanceWidthMax = 0;
  int32_t MinLeftSideBearing = 0, MinRightSideBearing = 0, XMaxExtent = 0;
  int32_t CaretSlopeRise = 0, CaretSlopeRun = 0, CaretOffset = 0;  // unscaled
  uint16_t NumberOfHMetrics = 0;
};

class TPDFTrueTypeParser {
 public:
  // A font larger than this is not read (it is also the limit for installed fonts).
  static constexpr int64_t kMaxFontSize = 104857600;

  TPDFTrueTypeParser() = default;
  TPDFTrueTypeParser(const TPDFTrueTypeParser&) = delete;
  TPDFTrueTypeParser& operator=(const TPDFTrueTypeParser&) = delete;

  // When set, only the header and the table directory are read.
  bool HeaderOnly = false;
  // Subtracted from every table offset as it is read (a font that lives in a collection file).
  int32_t OffsetDelta = 0;

  // Reads the font from the stream's start; nothing when the stream is empty, too large, or its
  // version is not 0x00010000, "true", "typ1" or "OTTO". Earlier data is dropped first.
  void LoadFromStream(TStream& stream);
  void LoadFromString(std::string_view data);

  // Writes, into data itself, every table's offset field as (offset - delta), big-endian.
  // Only the header and the directory of data are read; records whose field lies outside the
  // data are left alone.
  void RebaseTableOffsets(std::string& data, int32_t delta) const;

  // Offset of the "CFF " table; 0 when the font has none.
  uint32_t GetCFFTable() const;
  // Index of the last cmap subtable with this pair; -1 when none.
  int FindCmap(uint16_t platformID, uint16_t encodingID) const;
  // The directory record of a table, or nullptr.
  const TTrueTypeTableRecord* FindTable(std::string_view tag) const;

  // Whether the data is a font whose glyphs can be found: its head, maxp and loca tables lie
  // within the data and it has glyphs (a font without outlines in glyf still is one; its
  // glyphs are empty).
  bool Usable() const;
  // The glyph record (read from the data on each call); out of range: 0 contours.
  TTrueTypeGlyph GetGlyph(int index) const;
  // Number of glyph records, which is numGlyphs.
  int GlyphCount() const { return numGlyphs_; }
  int CmapCount() const { return static_cast<int>(cmaps_.size()); }
  // A copy of the subtable; out of range: platform 0, encoding 0, no codes.
  TTrueTypeCmap GetCmap(int index) const;
  // The same without the copy (an empty record out of range).
  const TTrueTypeCmap& CmapAt(int index) const;
  int NameCount() const { return static_cast<int>(glyphNames_.size()); }
  // Index of the last glyph whose post name equals name exactly; -1 when none.
  int NameIndex(std::string_view name) const;
  std::string GlyphName(int index) const;
  // Advance in 1/1000 em; beyond the array the last width; 750 when the array is empty.
  int32_t GetAdvanceWidth(int glyphIndex) const;
  const TTrueTypeHead& GetHead() const { return head_; }
  const TTrueTypeHhea& GetHhea() const { return hhea_; }
  const TTrueTypePost& GetPost() const { return post_; }

  bool Loaded() const { return loaded_; }
  double Version() const { return version_; }
  uint16_t NumTables() const { return numTables_; }
  uint16_t SearchRange() const { return searchRange_; }
  uint16_t EntrySelector() const { return entrySelector_; }
  uint16_t RangeShift() const { return rangeShift_; }
  const std::vector<TTrueTypeTableRecord>& Tables() const { return tables_; }
  double MaxpVersion() const { return maxpVersion_; }
  const std::vector<uint32_t>& Loca() const { return loca_; }
  const std::vector<int32_t>& AdvanceWidths() const { return advanceWidths_; }
  uint16_t CmapVersion() const { return cmapVersion_; }

  // The 258 standard Macintosh glyph names of the post table, in their order.
  static std::string_view StandardMacName(int index);
  static constexpr int kStandardMacNameCount = 258;

 private:
  void Reset();
  bool ReadDirectory();
  void ReadHead();
  void ReadMaxp();
  void ReadLoca();
  void ReadPost();
  void ReadCmap();
  void ReadCmapSubtable(TTrueTypeCmap& table, int64_t start);
  void ReadHhea();
  void ReadHmtx();
  // Start of a table in the data (its offset as read), or -1 when the font has no such table.
  int64_t TableStart(std::string_view tag) const;
  // 1000 / unitsPerEm scaling with integer division; 0 when unitsPerEm is 0.
  int32_t Scaled(int32_t value) const;

  std::string data_;
  bool loaded_ = false;
  double version_ = 0;
  uint16_t numTables_ = 0, searchRange_ = 0, entrySelector_ = 0, rangeShift_ = 0;
  std::vector<TTrueTypeTableRecord> tables_;
  double maxpVersion_ = 0;
  int32_t numGlyphs_ = 0;
  TTrueTypeHead head_;
  std::vector<uint32_t> loca_;
  int64_t glyfStart_ = -1;
  TTrueTypePost post_;
  std::vector<std::string> glyphNames_;
  // Each post name and the last glyph that carries it.
  std::unordered_map<std::string, int> nameIndex_;
  uint16_t cmapVersion_ = 0;
  std::vector<TTrueTypeCmap> cmaps_;
  TTrueTypeHhea hhea_;
  std::vector<int32_t> advanceWidths_;
};
