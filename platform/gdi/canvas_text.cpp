// TCanvas's text methods.
#include "platform/gdi/canvas.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"

void TCanvas::TextOut(int x, int y, const std::string& text) {
  HDC dc = Handle();
  ExtTextOutA(dc, x, y, 0, nullptr, text.data(), UINT(text.size()), nullptr);
  // The pen moves to the end of the text, as in the class library.
  MoveToEx(dc, x + TextWidth(text), y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
  HDC dc = Handle();
  const UINT options = ETO_CLIPPED | (Brush().Style() != bsClear ? ETO_OPAQUE : 0);
  ExtTextOutA(dc, x, y, options, &r, text.data(), UINT(text.size()), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& text) {
  SIZE s{};
  GetTextExtentPoint32A(Handle(), text.data(), int(text.size()), &s);
  return s;
}
