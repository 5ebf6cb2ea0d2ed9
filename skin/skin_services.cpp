#include "skin/skin_services.h"

#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"

int SkinDrawText(HDC dc, const std::u16string& text, TRect& rect, UINT format) {
  return DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

std::u16string StringToWideText(const std::string& text) { return Utf8ToWide(text); }

std::u16string CopyWideText(const std::u16string& text, int n) {
  if (n < 0 || static_cast<size_t>(n) >= text.size()) return text;
  return text.substr(0, static_cast<size_t>(n));
}

TWinControl* FindControlOfWindow(HWND window) { return window ? FindControl(window) : nullptr; }

BOOL SkinGetScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO* info) {
  return GetScrollBarInfo(window, objectId, info);
}

void TrackMouseLeave(HWND window) {
  TRACKMOUSEEVENT tme{};
  tme.cbSize = sizeof(tme);
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = window;
  TrackMouseEvent(&tme);
}
