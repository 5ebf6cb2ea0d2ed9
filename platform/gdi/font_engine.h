// A logical font made concrete: the resolved face opened in FreeType at the LOGFONT's size,
// with its metrics and a cache of rendered glyphs. One instance per font object, made on first
// use; FreeType calls are serialised by one lock.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/font.h"
#include "platform/gdi/font_faces.h"
#include "platform/gdi/text.h"

struct FT_FaceRec_;

class FontInstance {
 public:
  struct Glyph {
    int left = 0, top = 0;  // bitmap origin from the pen position; top is above the baseline
    int width = 0, height = 0;
    int advance = 0;        // pixels
    std::vector<uint8_t> coverage;  // width x height, 0..255
  };

  explicit FontInstance(const LOGFONTW& lf);
  ~FontInstance();
  FontInstance(const FontInstance&) = delete;
  FontInstance& operator=(const FontInstance&) = delete;

  bool Valid() const { return face_ != nullptr; }
  const TEXTMETRICW& Metrics() const { return metrics_; }
  const ResolvedFace& Face() const { return resolved_; }
  int Advance(char32_t ch);
  const Glyph& Render(char32_t ch);
  int UnderlinePosition() const { return underlinePos_; }  // pixels below the baseline
  int UnderlineThickness() const { return underlineThickness_; }
  int EmPixels() const { return ppem_; }
  uint32_t GlyphIndex(char32_t ch);

  // Font data: the whole file (tag 0), a collection's whole file ('ttcf'), or one table.
  // Returns false when there is no such data.
  bool ReadData(uint32_t tag, std::string& out);
  // The glyph's outline in pixels (26.6 fixed values), y up, with FreeType's point tags.
  struct Outline {
    std::vector<long> x, y;
    std::vector<char> tags;
    std::vector<short> contourEnds;
    int advance = 0;
    long xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // bounding box, 26.6
  };
  bool LoadOutline(char32_t ch, bool isGlyphIndex, Outline& out);
  FT_FaceRec_* RawFace() { return face_; }
  int UnitsPerEm() const;
  bool Bold() const { return bold_; }
  bool Italic() const { return italic_; }
  bool FixedPitch() const { return fixed_; }

  static std::mutex& FreeTypeLock();

 private:
  void ComputeMetrics(const LOGFONTW& lf);
  uint32_t LoadFlags() const;

  FT_FaceRec_* face_ = nullptr;
  ResolvedFace resolved_;
  TEXTMETRICW metrics_;
  int ppem_ = 0;
  bool mono_ = false, bold_ = false, italic_ = false, fixed_ = false;
  bool synthBold_ = false, synthItalic_ = false;
  int underlinePos_ = 1, underlineThickness_ = 1;
  std::unordered_map<char32_t, Glyph> glyphs_;
  std::unordered_map<char32_t, int> advances_;
};

// The instance of a font object (made once and kept with it).
std::shared_ptr<FontInstance> InstanceOf(const GdiFont& font);
