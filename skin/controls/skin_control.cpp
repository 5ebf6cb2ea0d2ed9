#include "skin/controls/skin_control.h"

#include <algorithm>
#include <cstdlib>

#include "platform/forms/application.h"
#include "platform/forms/graphic_control.h"
#include "platform/forms/rtti.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/object_instance.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "platform/rtl/strings.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

int SkinMulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t p = int64_t(a) * b;
  const int64_t q = (std::llabs(p) + std::llabs(int64_t(c)) / 2) / std::llabs(int64_t(c));
  const int64_t r = ((p < 0) != (c < 0)) ? -q : q;
  return (r > INT32_MAX || r < INT32_MIN) ? -1 : int(r);
}

void CopyBitmap(const TBitmap& source, TBitmap& dest) { dest.Assign(source); }

// Hears of the control's end for its wrapper (the wrapper belongs to the control, as an owned
// component belongs to its owner).
class TSkinControlWatch : public TComponent {
 public:
  explicit TSkinControlWatch(TSkinControl* skinner) : TComponent(nullptr), skinner_(skinner) {}
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    // The wrapper, and this watch with it, may be freed here: nothing is touched afterwards.
    if (operation == opRemove && skinner_ && component == skinner_->Control) skinner_->ControlFreed();
  }

 private:
  TSkinControl* skinner_;
};

TSkinControl::TSkinControl() : link_(std::make_shared<Link>()) { link_->self = this; }

TSkinControl::~TSkinControl() {
  link_->self = nullptr;
  Detach();
}

void TSkinControl::ControlFreed() {
  // What the wrapper replaced belonged to the control; nothing is given back to it.
  oldWindowProc_ = nullptr;
  Control = nullptr;
  GraphicControl = nullptr;
  Active = false;
  AttachState = kAttachDestroyed;
  MouseState = 0;
  if (FormSkin) FormSkin->DropSkinner(this);  // frees this wrapper, or dooms it while it runs
}

// Gives the control back what was replaced, unless its window is gone; an instance another
// procedure was subclassed over stays in the chain (it forwards to the old procedure).
void TSkinControl::Detach() {
  if (AttachState == kAttachDestroyed) return;
  if (Control && oldWindowProc_) {
    Control->WindowProc = oldWindowProc_;
    oldWindowProc_ = nullptr;
    RestoreColor();
  }
  if (instance_ && IsWindow(Handle) && GetWindowLongPtrW(Handle, GWL_WNDPROC) == reinterpret_cast<LONG_PTR>(instance_)) {
    SetWindowLongPtrW(Handle, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc_));
    FreeObjectInstance(instance_);
    instance_ = nullptr;
    InvalidateRect(Handle, nullptr, TRUE);
  }
}

void TSkinControl::BeginAttach(TSkinData* skinData, TWinSkinForm* formSkin, int attachData) {
  SkinData = skinData;
  FormSkin = formSkin;
  AttachData = attachData;
}

void TSkinControl::EndAttach() {
  Attached = true;
  AttachState = kAttached;
}

void TSkinControl::TakeFaceColor(TControl* control, bool setColor) {
  SetColor = setColor;
  if (!setColor) return;
  SavedColor = control->Color();
  control->SetColor(SkinData->Colors.ButtonFace);
}

void TSkinControl::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                                 int attachData) {
  if (Attached || !control) return;
  auto* win = dynamic_cast<TWinControl*>(control);
  BeginAttach(skinData, formSkin, attachData);
  Control = control;
  Handle = win ? win->Handle() : nullptr;
  IsUnicode = Handle && IsWindowUnicode(Handle);
  HookWindowProc(control);
  TakeFaceColor(control, setColor);
  control->Invalidate();
  EndAttach();
}

// The control's messages come here first; once this wrapper is gone they go where they went.
void TSkinControl::HookWindowProc(TControl* control) {
  if (!watch_) {
    watch_.reset(new TSkinControlWatch(this));
    watch_->FreeNotification(control);
  }
  oldWindowProc_ = control->WindowProc;
  control->WindowProc = [link = link_, old = oldWindowProc_](TMessage& m) {
    if (link->self)
      link->self->WndProc(m);
    else if (old)
      old(m);
  };
}

void TSkinControl::AttachGraphicControl(TGraphicControl* control, TWinSkinForm* formSkin, TSkinData* skinData,
                                        int attachData) {
  if (Attached || !control) return;
  BeginAttach(skinData, formSkin, attachData);
  GraphicControl = control;
  Control = control;
  HookWindowProc(control);
  EndAttach();
}

void TSkinControl::AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) {
  if (Attached || !handle) return;
  BeginAttach(skinData, formSkin, attachData);
  Handle = handle;
  IsEnabled = true;
  NoMouseForward = 0;
  IsUnicode = IsWindowUnicode(handle);
  Caption = ReadCaption();
  auto link = link_;
  oldWndProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(handle, GWL_WNDPROC));
  const WNDPROC old = oldWndProc_;
  instance_ = MakeObjectInstance([link, old](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (!link->self) return CallWindowProcW(old, h, msg, w, l);
    TMessage m{msg, w, l, 0};
    link->self->WndProc(m);
    return m.Result;
  });
  if (!instance_) return;
  SetWindowLongPtrW(handle, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(instance_));
  InvalidateRect(handle, nullptr, TRUE);
  EndAttach();
}

void TSkinControl::RestoreColor() {
  // A control freed meanwhile has left no Control to give anything back to.
  if (SetColor && Control) Control->SetColor(SavedColor);
}

void TSkinControl::ApplyColor() {
  if (SetColor && Control) Control->SetColor(SkinData->Colors.ButtonFace);
  Repaint();
}

void TSkinControl::WndProc(TMessage& message) {
  ++Depth;
  Dispatch(message);
  // A wrapper whose control was freed meanwhile goes now that nothing of it runs any more.
  if (--Depth == 0 && Doomed && FormSkin) FormSkin->DropSkinner(this);
}

void TSkinControl::Dispatch(TMessage& message) {
  if (message.Msg == CM_SKINSWITCH) {
    Active = message.WParam > 0;
    if (Active) Repaint();
    return;
  }
  if (!Active) {
    CallOldProc(message);
    return;
  }
  if (BeforeMessage(message)) {
    CallOldProc(message);
    AfterMessage(message);
  }
}

bool TSkinControl::BeforeMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_NCDESTROY:
      // The window is gone but the control lives on: it takes its own colour back, and the
      // messages that change sends pass straight to it.
      CallOldProc(message);
      Active = false;
      AttachState = kAttachDestroyed;
      RestoreColor();
      return false;
    case CM_SKINQUERY:
      message.Result = 1;
      return false;
    default:
      return true;
  }
}

void TSkinControl::AfterMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT: PaintWindow(HDC(message.WParam)); break;
    case WM_SETFOCUS: case WM_KILLFOCUS: case WM_ENABLE: case WM_SETTEXT: case CM_ENABLEDCHANGED: Repaint(); break;
    default: break;
  }
}

void TSkinControl::Repaint() {
  if (AttachState == kAttachDestroyed) return;
  if (GraphicControl) {
    GraphicControl->Invalidate();
    return;
  }
  if (!Handle) return;
  InvalidateRect(Handle, nullptr, TRUE);
  UpdateWindow(Handle);
}

void TSkinControl::CallOldProc(TMessage& message) {
  if (oldWindowProc_) {
    oldWindowProc_(message);
  } else if (oldWndProc_) {
    message.Result = CallWindowProcW(oldWndProc_, Handle, message.Msg, message.WParam, message.LParam);
  }
}

void TSkinControl::SendMouseLeave() {
  if (Handle) {
    SendMessageW(Handle, CM_MOUSELEAVE, 0, 0);
  } else if (GraphicControl && Application && AttachState != kAttachDestroyed) {
    // A control without a window hears the leave from the class library's mouse tracking, as
    // it hears it when the mouse moves to another control; the tracking then lets go of it.
    Application->MouseLeft(GraphicControl);
  }
}

void TSkinControl::GiveGraphicWindowProcBack() {
  if (!GraphicControl || !oldWindowProc_) return;
  // This wrapper's procedure is the one running now: it is kept until the wrapper goes, never
  // freed under its own call.
  retiredWindowProc_ = std::move(GraphicControl->WindowProc);
  GraphicControl->WindowProc = oldWindowProc_;
  oldWindowProc_ = nullptr;
}

void TSkinControl::PaintWindow(HDC dc) {
  RECT r{};
  if (!Handle || !GetWindowRect(Handle, &r)) return;
  WindowRect = r;
  const RECT local{0, 0, r.right - r.left, r.bottom - r.top};
  if (dc) {
    PaintControl(dc, local);
    return;
  }
  HDC own = GetWindowDC(Handle);
  if (!own) return;
  PaintControl(own, local);
  ReleaseDC(Handle, own);
}

void TSkinControl::PaintMessage(TMessage& message) {
  HDC dc = HDC(message.WParam);
  PAINTSTRUCT ps{};
  const bool began = dc == nullptr;
  if (began) dc = BeginPaint(Handle, &ps);
  RECT r{};
  if (dc && GetWindowRect(Handle, &r)) {
    WindowRect = r;
    PaintControl(dc, RECT{0, 0, r.right - r.left, r.bottom - r.top});
  }
  if (began) EndPaint(Handle, &ps);
  message.Result = 0;
}

void TSkinControl::EraseBackground(TMessage& message) {
  HDC dc = HDC(message.WParam);
  RECT r{};
  GetClientRect(Handle, &r);
  if (Control)
    PaintParentBackground(Control, dc);
  else
    FillControlColor(dc, r);
  message.Result = 1;
}

void TSkinControl::FillColor(HDC dc, const RECT& r, TColor color) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(color));
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void TSkinControl::FillFace(HDC dc, const RECT& r) { FillColor(dc, r, SkinData->Colors.ButtonFace); }

void TSkinControl::FillControlColor(HDC dc, const RECT& r) {
  const TTypeKind kind = PropType(TObjectRef(Control), "Color");
  if (Control && (kind == TTypeKind::tkInteger || kind == TTypeKind::tkEnumeration))
    FillColor(dc, r, TColor(OrdProp("Color")));
  else
    FillFace(dc, r);
}

UINT TSkinControl::TextFlags(UINT flags) const {
  const TControl* c = GraphicControl ? GraphicControl : Control;
  if (c && c->BiDiMode() != bdLeftToRight) flags |= DT_RTLREADING;
  return flags;
}

LONG_PTR TSkinControl::Style() const { return Handle ? GetWindowLongPtrW(Handle, GWL_STYLE) : 0; }

void TSkinControl::ForwardMouseDown(const TMessage& message) {
  if (!Control) return;
  int x = short(LOWORD(message.LParam)), y = short(HIWORD(message.LParam));
  // 16-bit coordinates cannot hold a point of a control this large.
  if (Control->Width() > 32768 || Control->Height() > 32768) {
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(Handle, &p);
    x = p.x;
    y = p.y;
  }
  Control->MouseDown(mbLeft, KeysToShiftState(message.WParam), x, y);
}

std::string TSkinControl::ReadCaption() const { return Control ? StrProp("Caption") : WindowText(); }

std::string TSkinControl::WindowText() const {
  if (!Handle) return {};
  const int n = GetWindowTextLengthW(Handle);
  if (n <= 0) return {};
  std::u16string text(size_t(n) + 1, u'\0');
  const int got = GetWindowTextW(Handle, text.data(), n + 1);
  text.resize(size_t(std::max(got, 0)));
  return WideToUtf8(text);
}

void TSkinControl::DrawFocusRectFor(HDC dc, const std::u16string& text, const RECT& rect, UINT flags) {
  RECT r = rect;
  DrawTextW(dc, text.data(), int(text.size()), &r, flags | DT_CALCRECT | DT_NOCLIP);
  const int rw = r.right - r.left, rh = r.bottom - r.top;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (flags & DT_CENTER) {
    OffsetRect(r, (w - rw) / 2, (h - rh) / 2 - 1);
  } else if (flags & DT_RIGHT) {
    OffsetRect(r, w - rw, 0);
  }
  InflateRect(r, 2, 1);
  r.left = std::max(r.left, rect.left);
  r.top = std::max(r.top, rect.top);
  r.right = std::min(r.right, rect.right);
  r.bottom = std::min(r.bottom, rect.bottom);
  DrawFocusRect(dc, &r);
}

int64_t TSkinControl::OrdProp(const char* name) const { return Control ? GetOrdProp(TObjectRef(Control), name) : -1; }

std::string TSkinControl::StrProp(const char* name) const {
  return Control ? GetPropValue(TObjectRef(Control), name) : std::string();
}

bool TSkinControl::HasProp(const char* name) const { return Control && IsPublishedProp(TObjectRef(Control), name); }

std::string TSkinControl::ClassNameOf() const {
  if (Control) return Control->ClassName();
  char name[101] = {};
  if (Handle) GetClassNameA(Handle, name, 100);
  return name;
}
