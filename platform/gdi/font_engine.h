// A logical font made concrete: the resolved face opened in FreeType at the LOGFONT's size,
// with its metrics and a cache of rendered glyphs. One instance per font object, made on first
// use; FreeType calls are serialised by one lock. Text drawn and measured takes the characters
// the face lacks from the faces behind it (Linked); the font's own widths, outlines and data
// stay the face's.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/font.h"
#include "platform/gdi/font_faces.h"
#include "platform/gdi/glyph_raster.h"
#include "platform/gdi/text.h"

struct FT_FaceRec_;
struct hb_font_t;

class FontInstance {
 public:
  using Glyph = GlyphBitmap;
  // Glyphs of at most this many pixels are rendered whole, whatever part is shown, and kept
  // while all kept glyphs of the font together stay within kKeptPixels.
  static constexpr int64_t kWholeGlyphPixels = 256 * 256;
  static constexpr int64_t kKeptPixels = int64_t(1) << 24;

  explicit FontInstance(const LOGFONTW& lf);
  // The given face at the LOGFONT's size and style.
  FontInstance(const LOGFONTW& lf, const ResolvedFace& face);
  ~FontInstance();
  FontInstance(const FontInstance&) = delete;
  FontInstance& operator=(const FontInstance&) = delete;

  bool Valid() const { return face_ != nullptr; }
  const TEXTMETRICW& Metrics() const { return metrics_; }
  const ResolvedFace& Face() const { return resolved_; }
  // Text drawn by glyph index (ETO_GLYPH_INDEX) names glyphs by these keys, outside Unicode's
  // range; every other key is a character of the font's character map.
  static constexpr char32_t GlyphKey(uint16_t index) { return kGlyphKeyFlag | index; }
  int Advance(char32_t ch);
  // The font that draws `key` in text: this one when its face has the character (or the key
  // names a glyph), else the first face behind it that has it, at this font's em size and
  // style; this one again when none has it. The faces behind are looked up once, on the first
  // character the face lacks, and each is opened when a character first needs it.
  FontInstance& Linked(char32_t key);
  // The glyph's coverage over at least the part of it inside visible (pixels from the pen
  // position, y down). A glyph no larger than the visible box or kWholeGlyphPixels is rendered
  // whole; a larger one only over the part that can show.
  std::shared_ptr<const Glyph> Render(char32_t ch, const PixelBox& visible);
  int64_t KeptPixels() const { return keptPixels_; }
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
  // HarfBuzz's font over the face, made on first use; called with FreeTypeLock held.
  hb_font_t* Shaper();
  int UnitsPerEm() const;
  bool Bold() const { return bold_; }
  bool Italic() const { return italic_; }
  bool FixedPitch() const { return fixed_; }

  static std::mutex& FreeTypeLock();

 private:
  static constexpr char32_t kGlyphKeyFlag = 0x80000000;
  uint32_t IndexOfKey(char32_t key);
  void ComputeMetrics(const LOGFONTW& lf);
  uint32_t LoadFlags() const;

  FT_FaceRec_* face_ = nullptr;
  hb_font_t* shaper_ = nullptr;
  ResolvedFace resolved_;
  LOGFONTW logFont_;
  TEXTMETRICW metrics_;
  int ppem_ = 0;
  bool mono_ = false, bold_ = false, italic_ = false, fixed_ = false;
  bool synthBold_ = false, synthItalic_ = false;
  int underlinePos_ = 1, underlineThickness_ = 1;
  struct CachedGlyph {
    PixelBox ink;
    int advance = 0;
    std::shared_ptr<const Glyph> whole;  // null for a glyph not kept
  };
  std::unordered_map<char32_t, CachedGlyph> glyphs_;
  int64_t keptPixels_ = 0;
  std::unordered_map<char32_t, int> advances_;
  struct Links {
    std::vector<CoveringFace> faces;
    std::vector<std::unique_ptr<FontInstance>> fonts;  // by face, opened on first use
  };
  std::mutex linkLock_;
  std::unique_ptr<Links> links_;
};

// The instance of a font object (made once and kept with it).
std::shared_ptr<FontInstance> InstanceOf(const GdiFont& font);
