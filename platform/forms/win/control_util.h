// Helpers shared by the standard control window classes.
#pragma once

#include <string>

#include "platform/gdi/gdi_types.h"
#include "platform/user/wintypes.h"

namespace stdctl {

// The state object a control keeps in its first window-extra slot.
void* GetStateSlot(HWND hwnd);
void SetStateSlot(HWND hwnd, void* state);
template <class S>
S* StateOf(HWND hwnd) {
  return reinterpret_cast<S*>(GetStateSlot(hwnd));
}

// Asks the parent for the colours of the control (WM_CTLCOLOR...); the DC gets the text and
// background colours the parent chose. Falls back to the default procedure's answer.
HBRUSH ControlBrush(HWND hwnd, HDC dc, UINT message);
// WM_COMMAND to the parent: the control's identifier and the notification code.
void NotifyParent(HWND hwnd, WORD code);
// The font given with WM_SETFONT, or the GUI font.
HFONT FontOr(HFONT font);
// Text with embossed grey for disabled controls.
void DrawControlText(HDC dc, const std::u16string& text, RECT rect, UINT format, bool enabled);
// Registers one class of the family (CS_DBLCLKS, one pointer of window extra).
void RegisterControlClass(const char16_t* name, WNDPROC proc, const char16_t* cursor);

// The classes of the family, registered by RegisterStandardControls.
void RegisterButtonClass();
void RegisterEditClass();
void RegisterStaticClass();
void RegisterProgressClass();
void RegisterListBoxClass();

}  // namespace stdctl
