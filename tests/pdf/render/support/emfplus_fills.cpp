#include "tests/pdf/render/support/emfplus_fills.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>

namespace rendertest {
namespace {

using Mask = std::vector<uint8_t>;  // one byte a pixel, 1 inside

struct Point {
  double x, y;
};
struct Path {
  std::vector<std::vector<Point>> figures;  // closed polygons, curves flattened
  bool winding = false;
};

// The numbers of a line, in order.
std::vector<double> Numbers(const std::string& line) {
  static const std::regex number(R"(-?[0-9]+(\.[0-9]+)?)");
  std::vector<double> v;
  for (auto it = std::sregex_iterator(line.begin(), line.end(), number); it != std::sregex_iterator(); ++it)
    v.push_back(std::stod(it->str()));
  return v;
}

int Field(const std::string& line, const std::string& name) {
  const size_t at = line.find(name + ":");
  return at == std::string::npos ? -1 : std::atoi(line.c_str() + at + name.size() + 1);
}

class Reader {
 public:
  Reader(const std::vector<std::string>& lines, int w, int h) : lines_(lines), w_(w), h_(h) {}
  testraster::Raster Draw(std::string* why);

 private:
  bool Next(const std::string& prefix) { return at_ < lines_.size() && lines_[at_].rfind(prefix, 0) == 0; }
  bool ReadPath(Path& path);
  bool ReadRegion(int level, Mask& mask);
  bool ReadObject();
  Mask Fill(const Path& path) const;
  static Mask Combine(const Mask& a, const Mask& b, int mode);
  bool Fail(const std::string& reason) {
    if (why_.empty()) why_ = reason + " (line " + std::to_string(at_) + ")";
    return false;
  }

  const std::vector<std::string>& lines_;
  int w_, h_;
  size_t at_ = 0;
  std::string why_;
  std::map<int, Path> paths_;
  std::map<int, Mask> regions_;
};

// "Path:" with its count and flags, "Points(Float):" pairs, "Types:" with their flag nibble.
bool Reader::ReadPath(Path& path) {
  if (!Next("+  Path:")) return Fail("no path");
  const std::string head = lines_[at_++];
  const size_t flags = head.find("Flags:");  // printed in hexadecimal
  path.winding = flags != std::string::npos && (std::strtoul(head.c_str() + flags + 6, nullptr, 16) & 0x2000) != 0;
  if (!Next("+  Points(Float):")) return Fail("no points");
  const std::vector<double> n = Numbers(lines_[at_++]);
  if (!Next("+  Types:")) return Fail("no types");
  const std::string types = lines_[at_++];
  std::vector<Point> pts;
  for (size_t i = 0; i + 2 < n.size(); i += 3) pts.push_back({n[i + 1], n[i + 2]});
  static const std::regex type(R"(\{Flags:([0-9]+) Type:(\w+)\})");
  size_t i = 0;
  for (auto it = std::sregex_iterator(types.begin(), types.end(), type); it != std::sregex_iterator(); ++it) {
    const std::string kind = (*it)[2];
    if (i >= pts.size()) return Fail("types beyond points");
    if (kind == "Start" || path.figures.empty()) path.figures.emplace_back();
    if (kind == "Bezier" && i + 2 < pts.size() && !path.figures.back().empty()) {
      const Point p0 = path.figures.back().back(), p1 = pts[i], p2 = pts[i + 1], p3 = pts[i + 2];
      for (int k = 1; k <= 32; ++k) {
        const double t = k / 32.0, u = 1 - t;
        path.figures.back().push_back({u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                                       u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
      }
      i += 3;
      ++it, ++it;
      if (it == std::sregex_iterator()) break;
      continue;
    }
    path.figures.back().push_back(pts[i++]);
  }
  return true;
}

// A node prints nothing when it is infinite (the renderer's regions hold no empty nodes).
bool Reader::ReadRegion(int level, Mask& mask) {
  const std::string head = "+  RegionNode(Level:" + std::to_string(level) + ") { Type:";
  if (!Next(head)) {
    mask.assign(size_t(w_) * h_, 1);
    return true;
  }
  const std::string line = lines_[at_++];
  const std::string type = line.substr(head.size(), line.find('(', head.size()) - head.size());
  if (type == "10000001") {
    Path path;
    if (!ReadPath(path)) return false;
    mask = Fill(path);
  } else if (type.size() == 1 && type[0] >= '1' && type[0] <= '5') {
    Mask left, right;
    const std::string child = "(Level:" + std::to_string(level + 1) + ")";
    if (!Next("+  RNCN__Left" + child)) return Fail("no left node");
    ++at_;
    if (!ReadRegion(level + 1, left)) return false;
    ++at_;  // its end
    if (!Next("+  RNCN_Right" + child)) return Fail("no right node");
    ++at_;
    if (!ReadRegion(level + 1, right)) return false;
    ++at_;
    mask = Combine(left, right, type[0] - '0');
  } else {
    return Fail("region node " + type);
  }
  if (!Next("+  RegionNode(Level:" + std::to_string(level) + ") }")) return Fail("region node not closed");
  ++at_;
  return true;
}

bool Reader::ReadObject() {
  if (!Next("+  ObjID:")) return Fail("object without id");
  const std::string head = lines_[at_++];
  const int id = Field(head, "ObjID"), type = Field(head, "ObjType");
  if (type == 3) return ReadPath(paths_[id]);
  if (type == 4) {
    if (!Next("+  MetaFileSig:")) return Fail("region without head");
    ++at_;
    return ReadRegion(1, regions_[id]);
  }
  return Fail("object of type " + std::to_string(type));
}

// Winding numbers at pixel centres, row by row.
Mask Reader::Fill(const Path& path) const {
  Mask m(size_t(w_) * h_, 0);
  for (int y = 0; y < h_; ++y) {
    const double cy = y + 0.5;
    std::vector<std::pair<double, int>> cross;
    for (const auto& f : path.figures)
      for (size_t i = 0; i < f.size(); ++i) {
        const Point a = f[i], b = f[(i + 1) % f.size()];
        if ((a.y <= cy) != (b.y <= cy)) cross.push_back({a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y), a.y < b.y ? 1 : -1});
      }
    std::sort(cross.begin(), cross.end());
    int wind = 0;
    size_t k = 0;
    for (int x = 0; x < w_; ++x) {
      for (; k < cross.size() && cross[k].first <= x + 0.5; ++k) wind += path.winding ? cross[k].second : 1;
      m[size_t(y) * w_ + x] = path.winding ? wind != 0 : (wind & 1);
    }
  }
  return m;
}

// The combine modes: replace, intersect, union, xor, exclude, complement.
Mask Reader::Combine(const Mask& a, const Mask& b, int mode) {
  Mask r(a.size());
  for (size_t i = 0; i < a.size(); ++i) {
    const bool p = a[i], q = b[i];
    r[i] = mode == 0 ? q : mode == 1 ? p && q : mode == 2 ? p || q : mode == 3 ? p != q : mode == 4 ? p && !q : q && !p;
  }
  return r;
}

testraster::Raster Reader::Draw(std::string* why) {
  testraster::Raster out;
  out.Width = w_;
  out.Height = h_;
  out.RGB.assign(size_t(w_) * h_ * 3, 255);
  Mask clip(size_t(w_) * h_, 1);
  const auto fail = [&]() {
    if (why) *why = why_;
    return testraster::Raster{};
  };
  while (at_ < lines_.size()) {
    const std::string record = lines_[at_++];
    const std::string fields = Next("+") ? lines_[at_] : "";
    if (record == "U_PMR_Object") {
      if (!ReadObject()) return fail();
    } else if (record == "U_PMR_SetPageTransform") {
      if (fields != "+  UTenum:2 Scale:1.000000") return Fail("page transform " + fields), fail();
    } else if (record == "U_PMR_SetClipPath" || record == "U_PMR_SetClipRegion") {
      const int id = Field(fields, "PathID"), mode = Field(fields, "CMenum");
      const bool isPath = record == "U_PMR_SetClipPath";
      if (isPath ? !paths_.count(id) : !regions_.count(id)) return Fail("clip of no object"), fail();
      clip = Combine(clip, isPath ? Fill(paths_[id]) : regions_[id], mode);
    } else if (record == "U_PMR_ResetClip") {
      clip.assign(clip.size(), 1);
    } else if (record == "U_PMR_FillPath") {
      unsigned r, g, b, a;
      const size_t colour = fields.find("Color: RGBA{");
      if (colour == std::string::npos || std::sscanf(fields.c_str() + colour, "Color: RGBA{%x,%x,%x,%x}", &r, &g, &b, &a) != 4)
        return Fail("fill with a brush object"), fail();
      const int id = Field(fields, "PathID");
      if (!paths_.count(id)) return Fail("fill of no path"), fail();
      const Mask inside = Fill(paths_[id]);
      for (size_t i = 0; i < inside.size(); ++i) {
        if (!inside[i] || !clip[i]) continue;
        for (int c = 0; c < 3; ++c) {
          uint8_t& px = out.RGB[i * 3 + c];
          px = uint8_t(std::lround(((c == 0 ? r : c == 1 ? g : b) * a + px * (255.0 - a)) / 255.0));
        }
      }
    } else if (record != "U_PMR_Header" && record != "U_PMR_SetAntiAliasMode" && record != "U_PMR_SetInterpolationMode" &&
               record != "U_PMR_SetPixelOffsetMode" && record != "U_PMR_EndOfFile") {
      if (record.rfind("U_PMR_", 0) == 0) return Fail("record " + record), fail();
    }
    while (Next("+")) ++at_;
  }
  return out;
}

}  // namespace

testraster::Raster DrawEmfPlusFills(const std::vector<std::string>& lines, int width, int height, std::string* why) {
  return Reader(lines, width, height).Draw(why);
}

}  // namespace rendertest
