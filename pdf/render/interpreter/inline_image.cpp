// BI ... ID data EI stepped over when the inline image cannot be read, so that its data never
// reaches the tokenizer as operators.
#include <string_view>

#include "pdf/render/renderer/renderer.h"

namespace {

bool IsWhite(char c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }

}  // namespace

void TPDFRenderer::SkipInlineImage(TPDFContentRun& run) {
  for (;;) {
    const std::string_view token = NextToken(run);
    if (token.empty()) return;
    if (token == "ID") break;
  }
  const std::string_view text = run.Text;
  // One white-space byte separates ID from the data; EI stands alone after it.
  size_t pos = run.Position + 1;
  while (pos + 1 < text.size()) {
    const size_t found = text.find("EI", pos);
    if (found == std::string_view::npos) break;
    const bool before = found == 0 || IsWhite(text[found - 1]);
    const bool after = found + 2 >= text.size() || IsWhite(text[found + 2]);
    if (before && after) {
      run.Position = found + 2;
      return;
    }
    pos = found + 1;
  }
  run.Position = text.size();
}
