// Small sfnt fonts made byte by byte for the TrueType tests: tables written from plain
// descriptions, and a directory that may be told to lie.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sfnttest {

std::string BE16(int value);
std::string BE32(uint32_t value);

struct Point {
  int x = 0, y = 0;
  bool on = true;
};
using Contour = std::vector<Point>;

// A simple glyph with its bounding box computed; coordinates stored as 16-bit deltas.
std::string SimpleGlyph(const std::vector<Contour>& contours);

struct Component {
  int glyph = 0;
  int dx = 0, dy = 0;
  uint16_t flags = 0x0003;  // words, xy values
  std::vector<double> scale;  // none, one, two or four F2Dot14 values (flags set from the count)
};
std::string CompositeGlyph(const std::vector<Component>& parts);

// glyf and loca of the glyphs (format 0: short offsets, glyphs padded to even lengths).
void GlyfAndLoca(const std::vector<std::string>& glyphs, int locFormat, std::string& glyf, std::string& loca);

std::string Head(int unitsPerEm, int locFormat, int16_t italicFlags = 0);
std::string Maxp(int numGlyphs);
std::string Hhea(int ascender, int descender, int numberOfHMetrics);
std::string Hmtx(const std::vector<int>& advances);

// Format 4 segments: codes first..last mapped by delta (rangeOffset 0).
struct Segment {
  int first = 0, last = 0, delta = 0;
};
std::string CmapFormat4(const std::vector<Segment>& segments);
std::string CmapFormat0(const std::vector<uint8_t>& glyphs);  // 256 entries
std::string CmapFormat6(int first, const std::vector<int>& glyphs);
// The cmap table: (platform, encoding, subtable) records in order.
std::string Cmap(const std::vector<std::tuple<int, int, std::string>>& subtables);

// Post 2.0 with these names per glyph: standard names by index, others as strings.
std::string Post20(const std::vector<std::string>& names);
std::string Post(uint32_t version, int32_t italicAngle = 0);

class Builder {
 public:
  void Add(const std::string& tag, const std::string& data) { tables_.emplace_back(tag, data); }
  // Directory and tables, each table 4-byte aligned, in the order added.
  std::string Build(uint32_t version = 0x00010000) const;
  // Where a table starts in the built font.
  uint32_t OffsetOf(const std::string& tag) const;

 private:
  std::vector<std::pair<std::string, std::string>> tables_;
};

// What a built font's head, hhea and hmtx say.
struct FontMetrics {
  int unitsPerEm = 1000;
  int ascender = 800, descender = -200;
  std::vector<int> advances{};  // one for each glyph; all 500 wide when empty
};

// A font of the given glyphs with head, maxp, hhea, hmtx, glyf, loca, cmap and post as given
// (an empty string leaves a table out).
std::string Font(const std::vector<std::string>& glyphs, const std::string& cmap, const std::string& post,
                 const FontMetrics& metrics);
// The same with the glyphs all 500 wide.
std::string Font(const std::vector<std::string>& glyphs, const std::string& cmap, const std::string& post,
                 int unitsPerEm = 1000);

}  // namespace sfnttest
