#include "platform/forms/controls.h"

#include <algorithm>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/object_instance.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

// ---- Helpers ----

int ClampCoordinate(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -kMaxCoordinate, kMaxCoordinate)); }
int ClampSize(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, kMaxCoordinate)); }

TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyboardStateToShiftState(const BYTE* keyState256) {
  const std::pair<int, TShiftState> bits[] = {{VK_SHIFT, ssShift},   {VK_CONTROL, ssCtrl},   {VK_MENU, ssAlt},
                                              {VK_LBUTTON, ssLeft}, {VK_RBUTTON, ssRight}, {VK_MBUTTON, ssMiddle}};
  TShiftState s = 0;
  for (const auto& [key, bit] : bits)
    if (keyState256[key] & 0x80) s |= bit;
  return s;
}

const TEnumInfo& AlignmentEnumInfo() {
  static const TEnumInfo e{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
  return e;
}

const TEnumInfo& BiDiModeEnumInfo() {
  static const TEnumInfo e{"TBiDiMode", {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"}};
  return e;
}

DWORD BiDiModeExStyle(TBiDiMode mode) {
  switch (mode) {
    case bdRightToLeft: return WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT;
    case bdRightToLeftNoAlign: return WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR;
    case bdRightToLeftReadingOnly: return WS_EX_RTLREADING;
    default: return 0;
  }
}

const std::string& ControlAtomName() {
  static const std::string name =
      "ControlOfs" +
      IntToHex(static_cast<uint32_t>(reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr))), 8) +
      IntToHex(GetCurrentThreadId(), 8);
  return name;
}

ATOM ControlAtom() {
  static const ATOM atom = [] {
    RegisterWindowMessageA(ControlAtomName().c_str());
    return GlobalAddAtomA(ControlAtomName().c_str());
  }();
  return atom;
}

TWinControl* FindControl(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd)) return nullptr;
  return static_cast<TWinControl*>(GetPropW(hwnd, MAKEINTRESOURCE(ControlAtom())));
}

TWinControl* FindVCLWindow(HWND hwnd) {
  for (HWND h = hwnd; h; h = GetParent(h))
    if (TWinControl* c = FindControl(h)) return c;
  return nullptr;
}

// ---- TControl ----

const TClassInfo& TControl::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TControl>("TControl", &TComponent::StaticClassInfo())
          .Prop("Left", &TControl::Left, &TControl::SetLeft)
          .Prop("Top", &TControl::Top, &TControl::SetTop)
          .Prop("Width", &TControl::Width, &TControl::SetWidth)
          .Prop("Height", &TControl::Height, &TControl::SetHeight)
          .Prop("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth, {.Stored = false})
          .Prop("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight, {.Stored = false})
          .Prop("Visible", &TControl::Visible, &TControl::SetVisible, {.Default = 1})
          .Prop("Enabled", &TControl::Enabled, &TControl::SetEnabled, {.Default = 1})
          .Prop("Caption", &TControl::Caption, &TControl::SetCaption)
          .Prop("Color", &TControl::Color, &TControl::SetColor, {.Idents = &ColorIdents()})
          .Prop("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
          .Prop("Font", &TControl::Font, &TControl::SetFont)
          .Prop("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, {.Default = 1})
          .Prop("Hint", &TControl::Hint, &TControl::SetHint)
          .Prop("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, {.Default = 0})
          .Prop("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, {.Default = 1})
          .Prop("Cursor", &TControl::Cursor, &TControl::SetCursor, {.Idents = &CursorIdents(), .Default = 0})
          .Prop("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode, {.Enum = &BiDiModeEnumInfo(), .Default = 0})
          .StoredIf(&TControl::IsBiDiModeStored)
          .Prop("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode, {.Default = 1})
          .Event("OnClick", &TControl::OnClick)
          .Event("OnDblClick", &TControl::OnDblClick)
          .Event("OnMouseDown", &TControl::OnMouseDown)
          .Event("OnMouseUp", &TControl::OnMouseUp)
          .Event("OnMouseMove", &TControl::OnMouseMove)
          .Build();
  return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this] { FontChanged(); };
  WindowProc = [this](TMessage& m) { WndProc(m); };
}

TControl::~TControl() {
  font_.OnChange = nullptr;
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* w = dynamic_cast<TWinControl*>(parent)) SetParent(w);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

bool TControl::StoreBounds(int left, int top, int width, int height) {
  left = ClampCoordinate(left);
  top = ClampCoordinate(top);
  width = ClampSize(width);
  height = ClampSize(height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return false;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  return true;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (StoreBounds(left, top, width, height)) BoundsChanged();
}

TRect TControl::ClientRect() const { return TRect{0, 0, width_, height_}; }

void TControl::SetClientWidth(int v) { SetWidth(ClampSize(int64_t(width_) + v - ClientWidth())); }
void TControl::SetClientHeight(int v) { SetHeight(ClampSize(int64_t(height_) + v - ClientHeight())); }

TPoint TControl::ClientToScreen(TPoint p) const {
  if (auto* w = dynamic_cast<const TWinControl*>(this); w && w->HandleAllocated()) {
    ::ClientToScreen(w->HandleIfAllocated(), &p);
    return p;
  }
  p.x += left_;
  p.y += top_;
  return parent_ ? parent_->ClientToScreen(p) : p;
}

TPoint TControl::ScreenToClient(TPoint p) const {
  if (auto* w = dynamic_cast<const TWinControl*>(this); w && w->HandleAllocated()) {
    ::ScreenToClient(w->HandleIfAllocated(), &p);
    return p;
  }
  TPoint origin = ClientToScreen(TPoint{0, 0});
  return TPoint{p.x - origin.x, p.y - origin.y};
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  VisibleChanged();
  Perform(CM_VISIBLECHANGED, v ? 1 : 0);
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Perform(CM_ENABLEDCHANGED);
}

std::string TControl::GetText() const { return WideToFileName(GetTextW()); }

void TControl::SetText(const std::string& v) { SetWideText(FileNameToWide(v)); }

void TControl::SetWideText(const std::u16string& v) {
  if (v == GetTextW()) return;
  SetTextW(v);
  Perform(CM_TEXTCHANGED);
}

void TControl::SetTextW(const std::u16string& text) {
  text_ = text;
  Invalidate();
}

void TControl::SetColor(TColor c) {
  if (!fromParent_) parentColor_ = false;
  if (c == color_) return;
  color_ = c;
  ColorChanged();
}

void TControl::ColorChanged() {
  Perform(CM_COLORCHANGED);
  Invalidate();
}

void TControl::SetParentColor(bool v) {
  parentColor_ = v;
  if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parentColor_ || !parent_) return;
  fromParent_ = true;
  SetColor(parent_->Color());
  fromParent_ = false;
}

void TControl::SetFont(TFont* f) {
  if (f && f != &font_) font_.Assign(*f);
}

void TControl::FontChanged() {
  if (!fromParent_) parentFont_ = false;
  Perform(CM_FONTCHANGED);
  Invalidate();
}

void TControl::SetParentFont(bool v) {
  parentFont_ = v;
  if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  fromParent_ = true;
  font_.Assign(*parent_->Font());
  fromParent_ = false;
}

void TControl::SetShowHint(bool v) {
  parentShowHint_ = false;
  showHint_ = v;
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (int i = 0; i < w->ControlCount(); ++i) w->Controls(i)->ParentShowHintChanged();
}

void TControl::SetParentShowHint(bool v) {
  parentShowHint_ = v;
  if (v) ParentShowHintChanged();
}

void TControl::ParentShowHintChanged() {
  if (!parentShowHint_ || !parent_) return;
  showHint_ = parent_->ShowHint();
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (int i = 0; i < w->ControlCount(); ++i) w->Controls(i)->ParentShowHintChanged();
}

void TControl::SetBiDiMode(TBiDiMode m) {
  if (m == biDiMode_) return;
  biDiMode_ = m;
  parentBiDiMode_ = false;
  Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool v) {
  if (v == parentBiDiMode_) return;
  parentBiDiMode_ = v;
  if (parent_) Perform(CM_PARENTBIDIMODECHANGED);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (parent_) Perform(CM_PARENTBIDIMODECHANGED);
}

void TControl::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  Perform(0xB000 + 15 /* CM_CURSORCHANGED */);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  if (WindowProc) {
    WindowProc(m);
  } else {
    WndProc(m);
  }
  return m.Result;
}

void TControl::Invalidate() {
  if (parent_) parent_->Invalidate();
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->HandleIfAllocated(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

TCustomForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::WndProc(TMessage& m) {
  auto x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      DefaultHandler(m);
      bool dbl = m.Msg == WM_LBUTTONDBLCLK || m.Msg == WM_RBUTTONDBLCLK || m.Msg == WM_MBUTTONDBLCLK;
      TMouseButton b = (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) ? mbLeft
                       : (m.Msg == WM_RBUTTONDOWN || m.Msg == WM_RBUTTONDBLCLK) ? mbRight
                                                                                  : mbMiddle;
      if (dbl && b == mbLeft) DblClick();
      MouseDown(b, KeysToShiftState(m.WParam) | (dbl ? ssDouble : 0), x, y);
      return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      DefaultHandler(m);
      TMouseButton b = m.Msg == WM_LBUTTONUP ? mbLeft : m.Msg == WM_RBUTTONUP ? mbRight : mbMiddle;
      MouseUp(b, KeysToShiftState(m.WParam), x, y);
      return;
    }
    case WM_MOUSEMOVE:
      DefaultHandler(m);
      MouseMove(KeysToShiftState(m.WParam), x, y);
      return;
    case CM_PARENTBIDIMODECHANGED:
      if (parentBiDiMode_ && parent_) {
        SetBiDiMode(parent_->BiDiMode());
        parentBiDiMode_ = true;
      }
      return;
    case CM_BIDIMODECHANGED:
      Invalidate();
      return;
    default:
      // The class library's own messages stay with the control.
      if (m.Msg >= CM_BASE && m.Msg < CM_BASE + 0x1000) return;
      DefaultHandler(m);
  }
}

