// The abstract glyph drawer that the font collection attaches to every loaded font and that the
// renderer's text showing calls once per glyph. A rasterizer knows one font program and draws a
// glyph, named by a text key, as a path on a canvas under a matrix. It only builds the path:
// colour, clipping, filling and stroking belong to the renderer.
//
// Glyph keys: a glyph name ("a", "space"); "CID:" + decimal CID; "GID:" + decimal glyph index;
// and forms only the TrueType rasterizer understands ("U+" + four hexadecimal digits, "PS:" +
// name, "uni" names). No rasterizer raises for bad font data: a key the font does not have, or
// a glyph that cannot be read, draws nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "pdf/core/matrix.h"

class TPDFObject;
class TPDFIndRef;
class TPDFStream;
class TPDFGenericCanvas;
class TPDFGenericShape;

// Resolves an indirect-reference object into the object it names (nullptr when it cannot).
using TPDFFontResolveEvent = std::function<TPDFObject*(TPDFObject* reference)>;
// Called with a stream and the reference that named it, before and after it is decoded.
using TPDFStreamReadEvent = std::function<void(TPDFStream* stream, TPDFIndRef* reference)>;

class TPDFFontRasterizer {
 public:
  virtual ~TPDFFontRasterizer() = default;
  TPDFFontRasterizer(const TPDFFontRasterizer&) = delete;
  TPDFFontRasterizer& operator=(const TPDFFontRasterizer&) = delete;

  // Draws the glyph named by key: every point, offset by (x, y) in glyph space, is mapped
  // through matrix (glyph space to device space) and the subpaths are added to the canvas's
  // current path. flag is the byte the renderer passes through; the outline rasterizers ignore
  // it. False when the key names no glyph of this font; each rasterizer says when it answers
  // true for a key it has no glyph for. A null canvas draws nothing.
  virtual bool DrawGlyph(double& x, double& y, uint8_t flag, const std::string& key, const TPDFMatrix& matrix,
                         TPDFGenericCanvas* canvas) = 0;
  // The factor by which the font's glyph space differs from the 1/1000 text space (1.0 for
  // TrueType, GDI and Type 3 fonts; FontMatrix[0] x 1000 for CFF programs). The renderer divides
  // advance widths by it.
  virtual double GetFontMatrixScale() = 0;

  // Resolves indirect references; when unset, references resolve through their own store.
  TPDFFontResolveEvent OnResolve;
  // Run around the decoding of a stream of the font (a Type 3 glyph procedure).
  TPDFStreamReadEvent OnBeforeRead;
  TPDFStreamReadEvent OnAfterRead;
  // Set by the renderer before it asks for the scale of a text run; handed on unchanged.
  int32_t Context = 0;

  // The object a value names: a reference resolved through OnResolve when set, else through
  // its store; any other object as it is.
  TPDFObject* ResolveValue(TPDFObject* value) const;

 protected:
  TPDFFontRasterizer() = default;
};

// One recorded glyph: its outline in glyph units and whether the key named a glyph when it was
// looked up.
struct TPDFCachedGlyph {
  TPDFCachedGlyph();
  ~TPDFCachedGlyph();
  std::unique_ptr<TPDFGenericShape> Shape;
  bool Found = false;
};

// Glyph outlines recorded once per key in glyph units and replayed under each caller's matrix.
// Keys compare byte for byte. An entry is added before its shape is filled, so a key whose glyph
// cannot be found stays cached with an empty shape.
class TPDFGlyphShapeCache {
 public:
  TPDFGlyphShapeCache();
  ~TPDFGlyphShapeCache();
  TPDFGlyphShapeCache(const TPDFGlyphShapeCache&) = delete;
  TPDFGlyphShapeCache& operator=(const TPDFGlyphShapeCache&) = delete;

  // The entry cached under key, nullptr when there is none.
  const TPDFCachedGlyph* Find(const std::string& key) const;
  // A new entry with an empty shape under key (replacing any earlier one), for the caller to fill.
  TPDFCachedGlyph& Add(const std::string& key);
  int Count() const { return static_cast<int>(glyphs_.size()); }
  void Clear();

 private:
  std::map<std::string, TPDFCachedGlyph, std::less<>> glyphs_;
};

// Replays a recorded glyph shape on the canvas under [1 0 0 1 x y] x matrix: (x, y) is an offset
// in glyph space. Nothing happens without a canvas.
void DrawGlyphShape(const TPDFGenericShape& shape, double x, double y, const TPDFMatrix& matrix,
                    TPDFGenericCanvas* canvas);

// Glyph keys.
inline constexpr std::string_view kGlyphKeyCID = "CID:";
inline constexpr std::string_view kGlyphKeyGID = "GID:";
inline constexpr std::string_view kGlyphKeyUnicode = "U+";
inline constexpr std::string_view kGlyphKeyPostScript = "PS:";
std::string GlyphKeyCID(int64_t cid);
std::string GlyphKeyGID(int64_t gid);
// "U+" and four upper-case hexadecimal digits (more when the value needs them).
std::string GlyphKeyUnicode(uint32_t code);
std::string GlyphKeyPostScript(std::string_view name);

// The decimal number after prefix when key starts with it and the rest is an integer (an optional
// sign, then digits only; values beyond 32 bits are refused). Empty otherwise.
std::optional<int64_t> GlyphKeyNumber(std::string_view key, std::string_view prefix);
// The four hexadecimal digits right after prefix ("U+0041", "uni0041", "uni00410042"): their
// value; empty when the key does not start so.
std::optional<uint32_t> GlyphKeyHex4(std::string_view key, std::string_view prefix);
