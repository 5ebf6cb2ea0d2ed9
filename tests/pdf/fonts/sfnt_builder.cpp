#include "tests/pdf/fonts/sfnt_builder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <tuple>

#include "pdf/fonts/formats/truetype/truetype_parser.h"

namespace sfnttest {

std::string BE16(int value) { return {char((value >> 8) & 0xFF), char(value & 0xFF)}; }
std::string BE32(uint32_t value) { return BE16(int(value >> 16)) + BE16(int(value & 0xFFFF)); }

namespace {
std::string F2Dot14(double v) { return BE16(int(std::lround(v * 16384)) & 0xFFFF); }
}  // namespace

std::string SimpleGlyph(const std::vector<Contour>& contours) {
  int xMin = INT_MAX, yMin = INT_MAX, xMax = INT_MIN, yMax = INT_MIN;
  std::string ends, flags, xs, ys;
  int count = 0, px = 0, py = 0;
  for (const Contour& c : contours) {
    for (const Point& p : c) {
      xMin = std::min(xMin, p.x), yMin = std::min(yMin, p.y), xMax = std::max(xMax, p.x), yMax = std::max(yMax, p.y);
      flags.push_back(char(p.on ? 1 : 0));
      xs += BE16(p.x - px);
      ys += BE16(p.y - py);
      px = p.x, py = p.y;
      ++count;
    }
    ends += BE16(count - 1);
  }
  if (count == 0) xMin = yMin = xMax = yMax = 0;
  return BE16(int(contours.size())) + BE16(xMin) + BE16(yMin) + BE16(xMax) + BE16(yMax) + ends + BE16(0) + flags +
         xs + ys;
}

std::string CompositeGlyph(const std::vector<Component>& parts) {
  std::string out = BE16(-1) + BE16(0) + BE16(0) + BE16(0) + BE16(0);
  for (size_t i = 0; i < parts.size(); ++i) {
    const Component& c = parts[i];
    uint16_t flags = c.flags;
    if (i + 1 < parts.size()) flags |= 0x20;
    if (c.scale.size() == 1) flags |= 0x08;
    if (c.scale.size() == 2) flags |= 0x40;
    if (c.scale.size() == 4) flags |= 0x80;
    out += BE16(flags) + BE16(c.glyph);
    if (flags & 1) {
      out += BE16(c.dx) + BE16(c.dy);
    } else {
      out += std::string{char(c.dx), char(c.dy)};
    }
    for (double s : c.scale) out += F2Dot14(std::min(s, 32767.0 / 16384));
  }
  return out;
}

void GlyfAndLoca(const std::vector<std::string>& glyphs, int locFormat, std::string& glyf, std::string& loca) {
  glyf.clear();
  loca.clear();
  auto entry = [&](size_t offset) { loca += locFormat == 0 ? BE16(int(offset / 2)) : BE32(uint32_t(offset)); };
  for (const std::string& g : glyphs) {
    entry(glyf.size());
    glyf += g;
    if (glyf.size() % 2) glyf.push_back(0);
  }
  entry(glyf.size());
}

std::string Head(int unitsPerEm, int locFormat, int16_t italicFlags) {
  return BE32(0x00010000) + BE32(0x00018000) + BE32(0) + BE32(0x5F0F3CF5) + BE16(11) + BE16(unitsPerEm) + BE32(1) +
         BE32(100) + BE32(2) + BE32(200) + BE16(-10) + BE16(-20) + BE16(900) + BE16(800) + BE16(italicFlags) +
         BE16(8) + BE16(2) + BE16(locFormat) + BE16(0);
}

std::string Maxp(int numGlyphs) { return BE32(0x00005000) + BE16(numGlyphs); }

std::string Hhea(int ascender, int descender, int numberOfHMetrics) {
  std::string out = BE32(0x00010000) + BE16(ascender) + BE16(descender) + BE16(90) + BE16(1200) + BE16(-50) +
                    BE16(-60) + BE16(1100) + BE16(1) + BE16(0) + BE16(0);
  out += std::string(8, '\0') + BE16(0) + BE16(numberOfHMetrics);
  return out;
}

std::string Hmtx(const std::vector<int>& advances) {
  std::string out;
  for (int a : advances) out += BE16(a) + BE16(0);
  return out;
}

std::string CmapFormat4(const std::vector<Segment>& given) {
  std::vector<Segment> segments = given;
  segments.push_back({0xFFFF, 0xFFFF, 1});
  const int n = int(segments.size());
  std::string ends, starts, deltas, ranges;
  for (const Segment& s : segments) {
    ends += BE16(s.last);
    starts += BE16(s.first);
    deltas += BE16(s.delta);
    ranges += BE16(0);
  }
  const int length = 16 + 8 * n;
  return BE16(4) + BE16(length) + BE16(0) + BE16(2 * n) + BE16(2) + BE16(0) + BE16(0) + ends + BE16(0) + starts +
         deltas + ranges;
}

std::string CmapFormat0(const std::vector<uint8_t>& glyphs) {
  std::string out = BE16(0) + BE16(262) + BE16(0);
  for (int c = 0; c < 256; ++c) out.push_back(char(size_t(c) < glyphs.size() ? glyphs[size_t(c)] : 0));
  return out;
}

std::string CmapFormat6(int first, const std::vector<int>& glyphs) {
  std::string out = BE16(6) + BE16(10 + 2 * int(glyphs.size())) + BE16(0) + BE16(first) + BE16(int(glyphs.size()));
  for (int g : glyphs) out += BE16(g);
  return out;
}

std::string Cmap(const std::vector<std::tuple<int, int, std::string>>& subtables) {
  std::string head = BE16(0) + BE16(int(subtables.size()));
  std::string body;
  const size_t base = 4 + 8 * subtables.size();
  for (const auto& [platform, encoding, data] : subtables) {
    head += BE16(platform) + BE16(encoding) + BE32(uint32_t(base + body.size()));
    body += data;
  }
  return head + body;
}

std::string Post(uint32_t version, int32_t italicAngle) {
  return BE32(version) + BE32(uint32_t(italicAngle)) + BE16(-100) + BE16(50) + BE32(0) + std::string(16, '\0');
}

std::string Post20(const std::vector<std::string>& names) {
  std::string out = Post(0x00020000) + BE16(int(names.size()));
  std::string strings;
  int next = 258;
  for (const std::string& name : names) {
    int index = -1;
    for (int i = 0; i < TPDFTrueTypeParser::kStandardMacNameCount; ++i) {
      if (TPDFTrueTypeParser::StandardMacName(i) == name) index = i;
    }
    if (index < 0) {
      index = next++;
      strings.push_back(char(name.size()));
      strings += name;
    }
    out += BE16(index);
  }
  return out + strings;
}

std::string Builder::Build(uint32_t version) const {
  const int n = int(tables_.size());
  std::string dir = BE32(version) + BE16(n) + BE16(16) + BE16(0) + BE16(0);
  std::string body;
  const size_t base = 12 + 16 * tables_.size();
  for (const auto& [tag, data] : tables_) {
    dir += tag.substr(0, 4) + BE32(0) + BE32(uint32_t(base + body.size())) + BE32(uint32_t(data.size()));
    body += data;
    while (body.size() % 4) body.push_back(0);
  }
  return dir + body;
}

uint32_t Builder::OffsetOf(const std::string& tag) const {
  size_t offset = 12 + 16 * tables_.size();
  for (const auto& [t, data] : tables_) {
    if (t == tag) return uint32_t(offset);
    offset += (data.size() + 3) / 4 * 4;
  }
  return 0;
}

std::string Font(const std::vector<std::string>& glyphs, const std::string& cmap, const std::string& post,
                 const FontMetrics& metrics) {
  std::string glyf, loca;
  GlyfAndLoca(glyphs, 1, glyf, loca);
  Builder b;
  b.Add("head", Head(metrics.unitsPerEm, 1));
  b.Add("maxp", Maxp(int(glyphs.size())));
  b.Add("hhea", Hhea(metrics.ascender, metrics.descender, int(glyphs.size())));
  b.Add("hmtx", Hmtx(metrics.advances.empty() ? std::vector<int>(glyphs.size(), 500) : metrics.advances));
  b.Add("loca", loca);
  b.Add("glyf", glyf);
  if (!cmap.empty()) b.Add("cmap", cmap);
  if (!post.empty()) b.Add("post", post);
  return b.Build();
}

std::string Font(const std::vector<std::string>& glyphs, const std::string& cmap, const std::string& post,
                 int unitsPerEm) {
  return Font(glyphs, cmap, post, FontMetrics{.unitsPerEm = unitsPerEm});
}

}  // namespace sfnttest
