// Text extraction (output mode 5): the shown codes become Unicode words for the text funnel,
// through the same codes, widths and advances as drawing; nothing is drawn.
#include <algorithm>
#include <cmath>
#include <vector>

#include "pdf/fonts/font_collection.h"
#include "pdf/fonts/type3_rasterizer.h"
#include "pdf/render/funnel/text_funnel.h"
#include "pdf/render/interpreter/text_walk.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/rtl/numbers.h"

namespace {

// The word being gathered, one entry per UTF-16 unit.
struct PendingWord {
  std::u16string Text;
  std::vector<double> Offsets;
  double End = 0;  // offset after its last character
  bool Empty() const { return Text.empty(); }
  void Clear() {
    Text.clear();
    Offsets.clear();
  }
};

// Ascent and descent in glyph units.
void FontHeight(const TTextRun& t, double& ascent, double& descent) {
  const TPDFFontCollectionData& font = *t.Font;
  ascent = font.Ascent, descent = font.Descent;
  if (ascent == 0 && descent == 0) ascent = font.FontBBox[3], descent = font.FontBBox[1];
  if (ascent - descent > 1500) {
    const double f = 1000 / (ascent - descent);
    ascent *= f, descent *= f;
  }
  if (t.Type3 != nullptr && font.Ascent == 0 && font.Descent == 0) {
    // Type 3 glyph units are 1 / FontMatrix[0] per text unit.
    const double fm = t.Type3->FontMatrix[0];
    const double units = fm != 0 && std::isfinite(fm) ? 1 / std::fabs(fm) : 1000;
    ascent = 0.6 * units, descent = -0.2 * units;
  }
}

}  // namespace

void TPDFRenderer::ExtractText(TPDFContentRun& run) {
  TTextRun t;
  t.AbsoluteSize = true;
  if (!BeginText(run, t)) return;
  const size_t count = ShownItemCount(run);
  const std::vector<std::string_view> items(run.Operands.end() - std::ptrdiff_t(count), run.Operands.end());
  const TPDFGraphicsState& st = run.State;
  TPDFTextFunnel& funnel = *funnel_;
  double ascent = 0, descent = 0;
  FontHeight(t, ascent, descent);
  const bool composite = t.Font->Composite != 0;
  const std::string fontName = t.Font->BaseFont;
  std::string colour;
  std::vector<double> components;
  TextColorText(st, colour, components);
  PendingWord word;

  auto pass = [&] {
    if (word.Empty()) return;
    const double start = word.Offsets.front();
    funnel.AddText(CurrentMatrix, word.Text, word.Offsets, word.End - start, ascent - descent, start,
                   t.Rise + descent, t.Size, fontName, colour);
    word.Clear();
  };
  auto add = [&word](const std::u16string& text, double x, double advance) {
    word.Text += text;
    word.Offsets.insert(word.Offsets.end(), text.size(), x);
    word.End = x + advance;
  };

  WalkText(
      run, t, items,
      [&](const TShownGlyph& g) {
        std::u16string text = fonts_->CodeToUnicode(g.Code);
        // (a character rather than a literal: GCC 12 inlines the assignment of the latter into a copy
        // it wrongly takes for an overlapping one, -Wrestrict.)
        if (text.empty() || text < u" ") text = u' ';
        const bool space = text == u" ";
        if (funnel.SeparateWords != 0 && space && !word.Empty() && word.Text.back() == u' ') {
          if (word.Text == u" ") word.Clear();
          pass();
          funnel.SpaceSwitch = 0;
        } else if (!composite && st.WordSpacing > 1 && space && !word.Empty()) {
          pass();
          funnel.SpaceSwitch = 1;
        } else if (space && !word.Empty() && funnel.SpaceSwitch != 0) {
          pass();
          funnel.SpaceSwitch ^= 1;
        } else if (space && word.Empty() && funnel.SpaceSwitch != 0) {
          funnel.SpaceSwitch ^= 1;
        } else if (st.CharSpacing <= 1) {
          if (!(space && !composite && st.WordSpacing > 1)) add(text, g.X, g.Advance);
        } else {
          // Widely spaced characters are words of their own.
          pass();
          add(text, g.X, g.Advance);
          pass();
          if (!composite) {
            funnel.SpaceSwitch = 1;
          } else {
            funnel.SpaceSwitch = space ? funnel.SpaceSwitch ^ 1 : 1;
            funnel.SpaceSwitch ^= 1;
          }
        }
      },
      [&] {
        pass();
        funnel.SpaceSwitch = 1;
      });
  if (!(word.Text == u" " && funnel.SpaceSwitch != 0)) pass();
  EndText(run, t, true);
}

void TPDFRenderer::TextColorText(const TPDFGraphicsState& state, std::string& text,
                                 std::vector<double>& components) const {
  text.clear();
  components.clear();
  if (Mode != kRenderTextExtraction || funnel_->ColorFlag == 0) return;
  if (state.FillColorSpace == "DeviceCMYK" || state.FillAlternateSpace == "DeviceCMYK") {
    for (double v : state.FillCMYK) {
      // Two digits an ink: a value beyond 0..1 (k with 2) would write three, or sixteen.
      const double ink = std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0;
      text += IntToHex(uint64_t(RoundHalfEven(ink * 255)), 2);
      components.push_back(v);
    }
    return;
  }
  text = '#';  // (a character rather than a literal, as above)
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t byte = (state.FillColor >> shift) & 0xFF;
    text += IntToHex(byte, 2);
    components.push_back(byte / 255.0);
  }
}
