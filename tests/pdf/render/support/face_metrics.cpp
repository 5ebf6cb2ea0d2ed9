#include "tests/pdf/render/support/face_metrics.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace rendertest {

FaceMetrics Measure(const std::string& file) {
  FaceMetrics m;
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&lib) != 0) return m;
  if (FT_New_Face(lib, file.c_str(), 0, &face) == 0) {
    for (int c = 0; c < 256; ++c) {
      const FT_UInt g = FT_Get_Char_Index(face, FT_ULong(c));
      int w = 0;
      if (FT_Load_Glyph(face, g, FT_LOAD_NO_SCALE) == 0)
        w = int(face->glyph->metrics.horiAdvance * 1000 / face->units_per_EM);
      m.widths.push_back(w);
      m.glyphs.push_back(int(g));
    }
    FT_Done_Face(face);
  }
  FT_Done_FreeType(lib);
  return m;
}

std::string WidthArray(const FaceMetrics& m, int first, int last) {
  std::string s = "[";
  for (int c = first; c <= last; ++c) s += std::to_string(size_t(c) < m.widths.size() ? m.widths[size_t(c)] : 0) + " ";
  return s + "]";
}

}  // namespace rendertest
