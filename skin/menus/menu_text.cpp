#include "skin/menus/menu_text.h"

#include "platform/gdi/dc.h"
#include "platform/gdi/font.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/text.h"
#include "platform/user/system_params.h"

TMenuText::~TMenuText() {
  if (dc_) DeleteDC(dc_);
  for (HFONT f : fonts_)
    if (f) DeleteObject(f);
}

HFONT TMenuText::Font(bool bold) {
  HFONT& font = fonts_[bold ? 1 : 0];
  if (font) return font;
  NONCLIENTMETRICSW m{};
  m.cbSize = sizeof m;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0)) return nullptr;
  if (bold) m.lfMenuFont.lfWeight = 700;
  font = CreateFontIndirectW(m.lfMenuFont);
  return font;
}

SIZE TMenuText::Extent(const std::u16string& text, bool bold) {
  if (!dc_) dc_ = CreateCompatibleDC(nullptr);
  if (!dc_) return SIZE{0, 0};
  HGDIOBJ old = SelectObject(dc_, Font(bold));
  RECT r{0, 0, 0, 0};
  DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  SelectObject(dc_, old);
  ++measures_;
  return SIZE{r.right - r.left, r.bottom - r.top};
}
