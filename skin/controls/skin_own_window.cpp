#include "skin/controls/skin_own_window.h"

#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/messages.h"
#include "platform/user/object_instance.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"

namespace {

void RegisterOwnClass(const char16_t* name) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  if (GetClassInfoExW(instance, name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

}  // namespace

TSkinOwnWindow::~TSkinOwnWindow() {
  // The object is going: its window goes without it.
  if (Handle && IsWindow(Handle)) {
    SetWindowLongPtrW(Handle, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
    DestroyWindow(Handle);
  }
  if (instance_) FreeObjectInstance(instance_);
}

bool TSkinOwnWindow::CreateOwnWindow(const char16_t* className, HWND parent, const RECT& r, DWORD style) {
  RegisterOwnClass(className);
  Handle = CreateWindowExW(0, className, u"", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, nullptr, nullptr, nullptr);
  if (!Handle) return false;
  instance_ = MakeObjectInstance([this](HWND, UINT msg, WPARAM w, LPARAM l) {
    if (msg != WM_NCDESTROY) return WndProc(msg, w, l);
    HWND gone = Handle;
    Handle = nullptr;
    return DefWindowProcW(gone, msg, w, l);
  });
  if (instance_) SetWindowLongPtrW(Handle, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(instance_));
  return true;
}

LRESULT TSkinOwnWindow::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(Handle, msg, wParam, lParam);
}
