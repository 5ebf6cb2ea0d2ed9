#include "pdf/fonts/formats/charstrings/glyph_drawing.h"

#include "pdf/render/canvas/generic_canvas.h"

namespace {

double Arg(const std::vector<double>& args, size_t i) { return i < args.size() ? args[i] : 0.0; }

// The pen of one command list: current point, side bearing and the accent state.
class TGlyphPen {
 public:
  explicit TGlyphPen(TPDFGenericShape& shape) : shape_(shape) {}

  void Play(std::string_view name, const std::vector<double>& a) {
    if (name == "hsbw") {
      SideBearing(Arg(a, 0), 0);
    } else if (name == "sbw") {
      SideBearing(Arg(a, 0), Arg(a, 1));
    } else if (name == "rmoveto") {
      MoveBy(Arg(a, 0), Arg(a, 1));
    } else if (name == "hmoveto") {
      MoveBy(Arg(a, 0), 0);
    } else if (name == "vmoveto") {
      MoveBy(0, Arg(a, 0));
    } else if (name == "setcurrentpoint") {
      cx_ = Arg(a, 0);
      cy_ = Arg(a, 1);
    } else if (name == "rlineto") {
      cx_ += Arg(a, 0);
      cy_ += Arg(a, 1);
      shape_.LineTo(cx_, cy_);
    } else if (name == "rrcurveto") {
      Curve(a, 0);
    } else if (name == "flex") {
      // The reference point shifts the first control point only; the rest are relative.
      cx_ += Arg(a, 0);
      cy_ += Arg(a, 1);
      Curve(a, 2);
      Curve(a, 8);
    } else if (name == "t2flex") {
      Curve(a, 0);
      Curve(a, 6);
    } else if (name == "closepath") {
      Close();
    } else if (name == "seac") {
      seac_ = true;
      cx_ = sbx_ + Arg(a, 1);
      cy_ = sby_ + Arg(a, 2);
    }
  }

 private:
  void SideBearing(double sbx, double sby) {
    sbx_ = sbx;
    sby_ = sby;
    if (!seac_) {
      cx_ = sbx;
      cy_ = sby;
    }
  }
  // A close is recorded only where a subpath is open: none before the first move, none twice.
  void Close() {
    if (open_) shape_.ClosePath();
    open_ = false;
  }
  void MoveBy(double dx, double dy) {
    Close();
    cx_ += dx;
    cy_ += dy;
    shape_.MoveTo(cx_, cy_);
    open_ = true;
  }
  // Three relative pairs from a[k]: the two control points and the end.
  void Curve(const std::vector<double>& a, size_t k) {
    const double x1 = cx_ + Arg(a, k), y1 = cy_ + Arg(a, k + 1);
    const double x2 = x1 + Arg(a, k + 2), y2 = y1 + Arg(a, k + 3);
    cx_ = x2 + Arg(a, k + 4);
    cy_ = y2 + Arg(a, k + 5);
    shape_.CurveTo(x1, y1, x2, y2, cx_, cy_);
  }

  TPDFGenericShape& shape_;
  double cx_ = 0, cy_ = 0, sbx_ = 0, sby_ = 0;
  bool seac_ = false;
  bool open_ = false;
};

}  // namespace

bool PlayGlyphCommands(const TGlyphCommandList& commands, TPDFGenericShape& shape) {
  TGlyphPen pen(shape);
  bool ended = false;
  for (const std::string& entry : commands) {
    const std::string_view name = GlyphCommandName(entry);
    if (name == "endchar") {
      // The end closes the last contour as a move would: CFF programs never close their own,
      // and a stroke must go round it.
      ended = true;
      pen.Play("closepath", {});
    } else if (name == "closepath") {
      pen.Play(name, {});
    } else if (name.size() < entry.size()) {
      pen.Play(name, GlyphCommandArgs(entry));
    }
  }
  return ended;
}

bool TPDFGlyphCommandCache::Find(const std::string& key, TGlyphCommandList& commands) const {
  const auto it = lists_.find(key);
  if (it == lists_.end()) return false;
  commands = it->second;
  return true;
}

void TPDFGlyphCommandCache::Store(const std::string& key, const TGlyphCommandList& commands) {
  lists_[key] = commands;
}

int FindCharStringIndex(std::string_view key, const std::function<int(std::string_view name)>& indexOfName,
                        size_t count, bool cidKeyed) {
  int64_t index = indexOfName(key);
  if (index < 0 && key.starts_with(kGlyphKeyGID)) {
    const std::string cid = std::string(kGlyphKeyCID) + std::string(key.substr(kGlyphKeyGID.size()));
    index = indexOfName(cid);
    if (index < 0) index = cidKeyed ? 0 : GlyphKeyNumber(key, kGlyphKeyGID).value_or(-1);
  }
  return index >= 0 && uint64_t(index) < count ? int(index) : -1;
}

bool DrawCommandGlyph(double x, double y, const std::string& key, const TPDFMatrix& matrix, double scale,
                      TPDFGlyphShapeCache& shapes, const TGlyphCommandSource& source, TPDFGenericCanvas* canvas) {
  TPDFMatrix m = matrix;
  if (scale != 1.0) MatrixMultiply(m, {scale, 0, 0, scale, 0, 0}, m);
  // A key met before answers true, also when its shape is empty: only the call that looks a
  // glyph up tells whether the font has it.
  if (const TPDFCachedGlyph* glyph = shapes.Find(key)) {
    DrawGlyphShape(*glyph->Shape, x, y, m, canvas);
    return true;
  }
  TPDFCachedGlyph& entry = shapes.Add(key);
  TGlyphCommandList commands;
  if (source) source(key, commands);
  entry.Found = PlayGlyphCommands(commands, *entry.Shape);
  DrawGlyphShape(*entry.Shape, x, y, m, canvas);
  return entry.Found;
}
