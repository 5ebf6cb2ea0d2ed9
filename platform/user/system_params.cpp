#include "platform/user/system_params.h"

#include <cstddef>
#include <cstring>

#include "platform/user/internal/back_buffer.h"
#include "platform/user/internal/user_state.h"
#include "platform/user/metrics.h"

using namespace user_internal;

namespace {

template <class LogFont>
bool FillNonClient(NONCLIENTMETRICST<LogFont>* m, LogFont (*convert)(const LOGFONTW&)) {
  constexpr UINT kOld = offsetof(NONCLIENTMETRICST<LogFont>, iPaddedBorderWidth);
  if (!m || (m->cbSize != sizeof(*m) && m->cbSize != kOld)) return false;
  UINT size = m->cbSize;
  NONCLIENTMETRICST<LogFont> v{};
  v.cbSize = size;
  v.iBorderWidth = 1;
  v.iScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
  v.iScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
  v.iCaptionWidth = GetSystemMetrics(SM_CXSIZE);
  v.iCaptionHeight = GetSystemMetrics(SM_CYSIZE);
  v.lfCaptionFont = convert(NonClientFont(true));
  v.iSmCaptionWidth = GetSystemMetrics(SM_CXSMSIZE);
  v.iSmCaptionHeight = GetSystemMetrics(SM_CYSMSIZE);
  v.lfSmCaptionFont = convert(NonClientFont(true));
  v.iMenuWidth = GetSystemMetrics(SM_CXMENUSIZE);
  v.iMenuHeight = GetSystemMetrics(SM_CYMENUSIZE);
  v.lfMenuFont = convert(NonClientFont(false));
  v.lfStatusFont = convert(NonClientFont(false));
  v.lfMessageFont = convert(NonClientFont(false));
  std::memcpy(m, &v, size);
  return true;
}

LOGFONTW Same(const LOGFONTW& lf) { return lf; }

BOOL Common(UINT action, void* param) {
  switch (action) {
    case SPI_GETWORKAREA: {
      if (!param) return FALSE;
      // The primary monitor's, as the system answers it.
      display::Display& d = State().Display();
      display::Rect area = d.WorkArea(display::Rect{0, 0, 1, 1});
      *static_cast<RECT*>(param) = RECT{area.left, area.top, area.right, area.bottom};
      return TRUE;
    }
    case SPI_GETDRAGFULLWINDOWS:
      if (param) *static_cast<BOOL*>(param) = TRUE;
      return param != nullptr;
    case SPI_GETMENUDROPALIGNMENT:
    case SPI_GETKEYBOARDCUES:
    case SPI_GETFLATMENU:
      if (param) *static_cast<BOOL*>(param) = FALSE;
      return param != nullptr;
    default:
      return FALSE;
  }
}

}  // namespace

BOOL SystemParametersInfoW(UINT action, UINT, void* param, UINT) {
  if (action == SPI_GETNONCLIENTMETRICS)
    return FillNonClient(static_cast<NONCLIENTMETRICSW*>(param), &Same) ? TRUE : FALSE;
  if (action == SPI_GETICONTITLELOGFONT) {
    if (!param) return FALSE;
    *static_cast<LOGFONTW*>(param) = NonClientFont(false);
    return TRUE;
  }
  return Common(action, param);
}

BOOL SystemParametersInfoA(UINT action, UINT, void* param, UINT) {
  if (action == SPI_GETNONCLIENTMETRICS)
    return FillNonClient(static_cast<NONCLIENTMETRICSA*>(param), &ToLogFontA) ? TRUE : FALSE;
  if (action == SPI_GETICONTITLELOGFONT) {
    if (!param) return FALSE;
    *static_cast<LOGFONTA*>(param) = ToLogFontA(NonClientFont(false));
    return TRUE;
  }
  return Common(action, param);
}
