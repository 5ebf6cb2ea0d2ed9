#include "platform/forms/controls.h"

#include <algorithm>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/region.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/notify.h"
#include "platform/user/object_instance.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

// ---- TWinControl ----

const TClassInfo& TWinControl::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TWinControl>("TWinControl", &TControl::StaticClassInfo())
          .Prop("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
          .Prop("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, {.Default = -1})
          .Event("OnEnter", &TWinControl::OnEnter)
          .Event("OnExit", &TWinControl::OnExit)
          .Event("OnKeyDown", &TWinControl::OnKeyDown)
          .Event("OnKeyPress", &TWinControl::OnKeyPress)
          .Event("OnKeyUp", &TWinControl::OnKeyUp)
          .Build();
  return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Only the class's own handling is left once the derived parts are gone.
  WindowProc = nullptr;
  DestroyHandle();
  ReleaseWindow();
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    c->Free();
  }
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  if (TCustomForm* form = ParentForm(); form && form != this) form->ControlRemoved(this);
  // Once only its TControl part is left the parent cannot tell the control was windowed, so
  // its tab order lets go of it here.
  if (parent_) std::erase(parent_->tabList_, this);
  DestroyHandle();
}

HWND TWinControl::Handle() {
  if (!handle_) CreateWnd();
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = text_;
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) p.Style |= WS_VISIBLE;
  if (!enabled_) p.Style |= WS_DISABLED;
  if (tabStop_) p.Style |= WS_TABSTOP;
  p.ExStyle |= BiDiModeExStyle(biDiMode_);
  p.X = left_;
  p.Y = top_;
  p.Width = width_;
  p.Height = height_;
  p.WndParent = parent_ ? parent_->Handle() : nullptr;
}

void TWinControl::CreateWnd() {
  if (handle_ || inCreate_) return;
  if (IsDestroying()) throw EInvalidOperation("Control '" + Name() + "' is being destroyed");
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  HINSTANCE instance = GetModuleHandleW(nullptr);
  std::u16string cls = p.WinClassName.empty() ? Utf8ToWide(ClassName()) : p.WinClassName;
  if (p.SystemClass) {
    RegisterStandardControls();
  } else {
    WNDCLASSEXW existing{};
    if (!GetClassInfoExW(instance, cls.c_str(), &existing)) {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.style = CS_DBLCLKS | p.ClassStyle;
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = instance;
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.lpszClassName = cls.c_str();
      RegisterClassExW(&wc);
    }
  }
  static int nextId = 100;
  HMENU id = (p.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<std::intptr_t>(nextId++ & 0x7FFF)) : nullptr;
  inCreate_ = true;
  HWND h = nullptr;
  try {
    h = CreateWindowHandle(p, cls, id);
  } catch (...) {
    inCreate_ = false;
    throw;
  }
  inCreate_ = false;
  if (!h) throw EInvalidOperation("Error creating window of '" + Name() + "'");
  if (handle_ != h) TakeWindow(h);
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
  UpdateBoundsFromWindow();
  InitializeWnd();
  for (TControl* c : std::vector<TControl*>(controls_))
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
}

void TWinControl::TakeWindow(HWND h) {
  WNDPROC inst = MakeObjectInstance([this](HWND hw, UINT msg, WPARAM w, LPARAM l) { return MainWndProc(hw, msg, w, l); });
  if (!inst) {
    DestroyWindow(h);
    throw EInvalidOperation("Error creating window of '" + Name() + "': no window procedure left");
  }
  handle_ = h;
  instance_ = inst;
  SetPropW(h, MAKEINTRESOURCE(ControlAtom()), this);
  defWndProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(inst)));
}

HWND TWinControl::CreateWindowHandle(const TCreateParams& p, const std::u16string& cls, HMENU id) {
  return CreateWindowExW(p.ExStyle, cls.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height, p.WndParent,
                         id, GetModuleHandleW(nullptr), nullptr);
}

void TWinControl::DestroyWindowHandle() { DestroyWindow(handle_); }

// A window already being destroyed with its parent outlives the control: it must no longer call
// into it.
void TWinControl::ReleaseWindow() {
  if (!handle_) return;
  if (IsWindow(handle_)) {
    SetWindowLongPtrW(handle_, GWL_WNDPROC,
                      reinterpret_cast<LONG_PTR>(defWndProc_ ? defWndProc_ : WNDPROC(DefWindowProcW)));
    RemovePropW(handle_, MAKEINTRESOURCE(ControlAtom()));
  }
  if (instance_) FreeObjectInstance(instance_);
  instance_ = nullptr;
  handle_ = nullptr;
  defWndProc_ = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!handle_ || destroyingHandle_) return;
  destroyingHandle_ = true;
  // The children's windows go with ours; let them keep their state first.
  std::vector<TWinControl*> all;
  GetTabOrderList(all);
  for (TWinControl* w : all)
    if (w->handle_) w->SaveWndState();
  SaveWndState();
  DestroyWindowHandle();
  destroyingHandle_ = false;
}

void TWinControl::RecreateWnd() {
  if (handle_) Perform(CM_RECREATEWND, 0, 0);
}

LRESULT TWinControl::MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  try {
    if (WindowProc) {
      WindowProc(m);
    } else {
      WndProc(m);
    }
  } catch (const std::exception& e) {
    if (Application) {
      Application->HandleException(this, e);
    } else {
      throw;
    }
  }
  return m.Result;
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!handle_) return;
  m.Result = defWndProc_ ? CallWindowProcW(defWndProc_, handle_, m.Msg, m.WParam, m.LParam)
                         : DefWindowProcW(handle_, m.Msg, m.WParam, m.LParam);
}

bool TWinControl::ReflectToChild(TMessage& m, HWND child, UINT reflected) {
  TWinControl* c = FindControl(child);
  if (!c || c == this) return false;
  m.Result = c->Perform(reflected, m.WParam, m.LParam);
  return true;
}

HBRUSH TWinControl::ControlColorBrush(HDC dc) {
  ::SetTextColor(dc, ColorToRGB(font_.Color()));
  ::SetBkColor(dc, ColorToRGB(color_));
  if (brush_.Color() != color_) brush_.SetColor(color_);
  return brush_.Handle();
}

void TWinControl::HandleCnKeyDown(TMessage& m) {
  WORD key = static_cast<WORD>(m.WParam);
  TShiftState shift = KeyboardShiftState();
  if (DoKeyDown(key, shift)) {
    m.Result = 1;
    return;
  }
  m.WParam = key;
  LRESULT mask = 0;
  switch (key) {
    case VK_TAB: mask = 0x0002; break;                                       // DLGC_WANTTAB
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = 0x0001; break;  // DLGC_WANTARROWS
    case VK_RETURN: case VK_ESCAPE: case VK_CANCEL: mask = 0x0004; break;     // DLGC_WANTALLKEYS
    default: break;
  }
  if (mask && !(Perform(WM_GETDLGCODE) & mask)) {
    if (TCustomForm* form = ParentForm(); form && form->Perform(CM_DIALOGKEY, key, m.LParam)) {
      m.Result = 1;
      return;
    }
  }
  m.Result = 0;
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
  return key == 0;
}

bool TWinControl::DoKeyPress(char16_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
  return key == 0;
}

bool TWinControl::DoKeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
  return key == 0;
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

bool TWinControl::HasGraphicChildren() const {
  for (TControl* c : controls_)
    if (!dynamic_cast<TWinControl*>(c)) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled) const {
  for (size_t i = controls_.size(); i-- > 0;) {
    TControl* c = controls_[i];
    if (dynamic_cast<TWinControl*>(c) || !c->Visible() || (!allowDisabled && !c->Enabled())) continue;
    if (PtInRect(c->BoundsRect(), p)) return c;
  }
  return nullptr;
}

void TWinControl::PaintControls(HDC dc) {
  if (!dc) return;
  RECT clip{};
  const bool clipped = GetClipBox(dc, &clip) != NULLREGION;
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
    RECT r = c->BoundsRect(), common{};
    if (!clipped || !IntersectRect(common, r, clip)) continue;
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
    IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
}

void TWinControl::ControlGone(TControl* control) {
  if (mouseCapture_ != control) return;
  mouseCapture_ = nullptr;
  if (handle_ && GetCapture() == handle_) ReleaseCapture();
}

bool TWinControl::ControlMouseMessage(TMessage& m) {
  if (m.Msg < WM_MOUSEFIRST || m.Msg > WM_MBUTTONDBLCLK) return false;
  const TPoint p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  TControl* c = mouseCapture_ && handle_ && GetCapture() == handle_ ? mouseCapture_ : ControlAtPos(p, false);
  if (!c) return false;
  const bool down = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK;
  if (down) {
    mouseCapture_ = c;
    SetCapture(handle_);
  }
  m.Result = c->Perform(m.Msg, m.WParam, MAKELPARAM(p.x - c->Left(), p.y - c->Top()));
  if (m.Msg == WM_LBUTTONUP && mouseCapture_ == c) {
    mouseCapture_ = nullptr;
    if (handle_ && GetCapture() == handle_) ReleaseCapture();
  }
  return true;
}

// The window's own painting into the DC, then its controls without a window over it.
void TWinControl::PaintHandler(TMessage& m) {
  PAINTSTRUCT ps{};
  HDC dc = m.WParam ? reinterpret_cast<HDC>(m.WParam) : BeginPaint(handle_, &ps);
  TMessage own{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultHandler(own);
  PaintControls(dc);
  if (!m.WParam) EndPaint(handle_, &ps);
  m.Result = 0;
}

void TWinControl::WndProc(TMessage& m) {
  if (ControlMouseMessage(m)) return;
  switch (m.Msg) {
    case WM_PAINT:
      if (HasGraphicChildren()) {
        PaintHandler(m);
      } else {
        TControl::WndProc(m);
      }
      return;
    case WM_CAPTURECHANGED:
      mouseCapture_ = nullptr;
      TControl::WndProc(m);
      return;
    case WM_SETFOCUS:
      DefaultHandler(m);
      if (TCustomForm* form = ParentForm(); form && form != this) form->SetFocusedControl(this);
      return;
    case WM_COMMAND:
      if (m.LParam && ReflectToChild(m, reinterpret_cast<HWND>(m.LParam), CN_COMMAND)) return;
      DefaultHandler(m);
      return;
    case WM_HSCROLL:
    case WM_VSCROLL:
      // A scroll bar control's requests go back to it; the window's own bars stay here.
      if (m.LParam && ReflectToChild(m, reinterpret_cast<HWND>(m.LParam), CN_BASE + m.Msg)) return;
      DefaultHandler(m);
      return;
    case WM_NOTIFY:
      if (m.LParam && ReflectToChild(m, reinterpret_cast<const NMHDR*>(m.LParam)->hwndFrom, CN_NOTIFY)) return;
      DefaultHandler(m);
      return;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      if (ReflectToChild(m, reinterpret_cast<HWND>(m.LParam), CN_BASE + m.Msg)) return;
      DefaultHandler(m);
      return;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSTATIC:
      m.Result = reinterpret_cast<LRESULT>(ControlColorBrush(reinterpret_cast<HDC>(m.WParam)));
      return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      HandleCnKeyDown(m);
      return;
    case CN_KEYUP: {
      WORD key = static_cast<WORD>(m.WParam);
      m.Result = DoKeyUp(key, KeyboardShiftState()) ? 1 : 0;
      m.WParam = key;
      return;
    }
    case CN_CHAR:
    case CN_SYSCHAR: {
      auto key = static_cast<char16_t>(m.WParam);
      m.Result = DoKeyPress(key) ? 1 : 0;
      m.WParam = key;
      // A character the focused control does not take (a button's) is an access key, as the
      // dialog manager treats it; with Alt it comes through the window menu's key instead.
      if (!m.Result && m.Msg == CN_CHAR && key > u' ' && !(Perform(WM_GETDLGCODE) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)))
        if (TCustomForm* form = ParentForm(); form && form->Perform(CM_DIALOGCHAR, key, 0) != 0) m.Result = 1;
      return;
    }
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
      Broadcast(m);
      return;
    case WM_SYSCOMMAND:
      // Alt with a key: the form (and its controls) may take it as an accelerator before the
      // window's menu does.
      if ((m.WParam & 0xFFF0) == SC_KEYMENU && m.LParam != VK_SPACE && m.LParam != '-' && !GetCapture())
        if (TCustomForm* form = ParentForm(); form && form->Perform(CM_DIALOGCHAR, WPARAM(m.LParam), 0) != 0) {
          m.Result = 0;
          return;
        }
      DefaultHandler(m);
      return;
    case CM_BIDIMODECHANGED:
      BiDiModeChanged();
      return;
    case CM_RECREATEWND: {
      const bool focused = Focused();
      DestroyHandle();
      if (parent_ && parent_->HandleAllocated()) HandleNeeded();
      if (focused && handle_) ::SetFocus(handle_);
      return;
    }
    case CM_ENTER:
      DoEnter();
      return;
    case CM_EXIT:
      DoExit();
      return;
    case WM_WINDOWPOSCHANGED:
      DefaultHandler(m);
      UpdateBoundsFromWindow();
      return;
    case WM_SETCURSOR: {
      TCursor screenCursor = Screen ? Screen->Cursor() : crDefault;
      if (screenCursor != crDefault) {
        ::SetCursor(Screen->CursorHandle(screenCursor));
        m.Result = 1;
        return;
      }
      if (cursor_ != crDefault && LOWORD(static_cast<std::uintptr_t>(m.LParam)) == HTCLIENT &&
          reinterpret_cast<HWND>(m.WParam) == handle_) {
        ::SetCursor(Screen ? Screen->CursorHandle(cursor_) : LoadCursorW(nullptr, IDC_ARROW));
        m.Result = 1;
        return;
      }
      // Asked on behalf of a child: the child's own cursor is shown.
      if (reinterpret_cast<HWND>(m.WParam) != handle_) {
        m.Result = 0;
        return;
      }
      DefaultHandler(m);
      return;
    }
    case WM_DESTROY:
      DefaultHandler(m);
      return;
    case WM_NCDESTROY: {
      HWND h = handle_;
      DefaultHandler(m);
      if (h) RemovePropW(h, MAKEINTRESOURCE(ControlAtom()));
      handle_ = nullptr;
      defWndProc_ = nullptr;
      if (instance_) {
        FreeObjectInstance(instance_);
        instance_ = nullptr;
      }
      return;
    }
    default:
      TControl::WndProc(m);
  }
}

std::u16string TWinControl::GetTextW() const { return handle_ ? GetWindowTextString(handle_) : text_; }

void TWinControl::SetTextW(const std::u16string& text) {
  text_ = text;
  if (handle_) SetWindowTextW(handle_, text.c_str());
}

void TWinControl::FontChanged() {
  if (!fromParent_) parentFont_ = false;
  if (handle_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), TRUE);
  Perform(CM_FONTCHANGED);
  for (TControl* c : std::vector<TControl*>(controls_)) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
  brush_.SetColor(color_);
  TControl::ColorChanged();
  for (TControl* c : std::vector<TControl*>(controls_)) c->ParentColorChanged();
}

void TWinControl::BiDiModeChanged() {
  constexpr DWORD kBiDiStyles = WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT;
  if (handle_) {
    // The styles change in place, so that the window (and what holds its handle) stays; its
    // frame is laid out again for a scroll bar that changes sides.
    const auto ex = static_cast<DWORD>(GetWindowLongPtrW(handle_, GWL_EXSTYLE));
    const DWORD want = (ex & ~kBiDiStyles) | BiDiModeExStyle(biDiMode_);
    if (want != ex) {
      SetWindowLongPtrW(handle_, GWL_EXSTYLE, static_cast<LONG_PTR>(want));
      SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    InvalidateRect(handle_, nullptr, TRUE);
  }
  for (TControl* c : std::vector<TControl*>(controls_)) c->Perform(CM_PARENTBIDIMODECHANGED);
}

void TWinControl::VisibleChanged() {
  if (handle_) ShowWindow(handle_, visible_ ? SW_SHOWNOACTIVATE : SW_HIDE);
}

bool TWinControl::Showing() const { return handle_ && IsWindowVisible(handle_); }

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (!StoreBounds(left, top, width, height)) return;
  if (handle_) SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
  BoundsChanged();
}

void TWinControl::UpdateBoundsFromWindow() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD) {
    if (HWND p = GetParent(handle_)) MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  }
  left_ = r.left;
  top_ = r.top;
  width_ = r.Width();
  height_ = r.Height();
}

TRect TWinControl::ClientRect() const {
  if (handle_) {
    RECT r;
    GetClientRect(handle_, &r);
    return r;
  }
  return TControl::ClientRect();
}

void TWinControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  if (handle_) EnableWindow(handle_, v ? TRUE : FALSE);
  Perform(CM_ENABLEDCHANGED);
}

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return controls_[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* c) {
  controls_.push_back(c);
  c->parent_ = this;
  auto* w = dynamic_cast<TWinControl*>(c);
  if (w) tabList_.push_back(w);
  c->ParentFontChanged();
  c->ParentColorChanged();
  c->ParentShowHintChanged();
  // A control being read takes its parent's mode once its own properties are in (Loaded).
  if (!(c->ComponentState() & csReading)) c->Perform(CM_PARENTBIDIMODECHANGED);
  if (w && handle_) w->HandleNeeded();
}

void TWinControl::RemoveControl(TControl* c) {
  auto it = std::find(controls_.begin(), controls_.end(), c);
  if (it == controls_.end()) return;
  if (TCustomForm* form = ParentForm()) form->ControlRemoved(c);
  controls_.erase(it);
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), w), tabList_.end());
    w->DestroyHandle();
  }
  c->parent_ = nullptr;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* w : tabList_) {
    list.push_back(w);
    w->GetTabOrderList(list);
  }
}

void TWinControl::SetTabStop(bool v) {
  if (v == tabStop_) return;
  tabStop_ = v;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
    SetWindowLongPtrW(handle_, GWL_STYLE, v ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED);
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!parent_) return;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  order = std::clamp(order, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + order, this);
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  TCustomForm* form = ParentForm();
  if (form && form != this) {
    form->FocusControl(this);
  } else {
    ::SetFocus(Handle());
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  auto n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[static_cast<size_t>(i)] == current) start = i;
  if (start < 0) start = goForward ? n - 1 : 0;
  int i = start;
  for (int k = 0; k < n; ++k) {
    i = goForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c == current && k < n - 1) continue;
    if (checkTabStop && !c->TabStop()) continue;
    if (checkParent && current && c->Parent() != current->Parent()) continue;
    if (c->ControlCount() > 0 && !c->TabStop()) continue;  // plain containers are passed through
    if (c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  if (TWinControl* c = FindNextControl(current, goForward, checkTabStop, !checkTabStop)) c->SetFocus();
}

void TWinControl::Broadcast(TMessage& m) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    m.Result = c->Perform(m.Msg, m.WParam, m.LParam);
    if (m.Result != 0) return;
  }
}
