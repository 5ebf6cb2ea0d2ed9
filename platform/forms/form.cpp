#include "platform/forms/form.h"

#include <iostream>

#include "platform/forms/application.h"
#include "platform/forms/filer.h"
#include "platform/forms/menus.h"
#include "platform/forms/screen.h"
#include "platform/forms/standard_classes.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/rtl/resources.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/mdi.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

const TEnumInfo& PositionEnumInfo() {
  static const TEnumInfo e{"TPosition",
                           {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                            "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};
  return e;
}
const TEnumInfo& FormBorderStyleEnumInfo() {
  static const TEnumInfo e{"TFormBorderStyle",
                           {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
  return e;
}
const TEnumInfo& BorderIconsEnumInfo() {
  static const TEnumInfo e{"TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}};
  return e;
}
const TEnumInfo& WindowStateEnumInfo() {
  static const TEnumInfo e{"TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}};
  return e;
}
const TEnumInfo& FormStyleEnumInfo() {
  static const TEnumInfo e{"TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};
  return e;
}
const TIdentMap& ModalResultIdents() {
  static const TIdentMap m{{{"mrNone", mrNone}, {"mrOk", mrOk}, {"mrCancel", mrCancel}, {"mrAbort", mrAbort},
                            {"mrRetry", mrRetry}, {"mrIgnore", mrIgnore}, {"mrYes", mrYes}, {"mrNo", mrNo},
                            {"mrAll", mrAll}, {"mrNoToAll", mrNoToAll}, {"mrYesToAll", mrYesToAll}}};
  return m;
}

const TClassInfo& TCustomForm::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomForm>("TCustomForm", &TWinControl::StaticClassInfo())
          .Prop("Position", &TCustomForm::Position, &TCustomForm::SetPosition,
                {.Enum = &PositionEnumInfo(), .Default = poDesigned})
          .Prop("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle,
                {.Enum = &FormBorderStyleEnumInfo(), .Default = bsSizeable})
          .Prop("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
                {.Enum = &BorderIconsEnumInfo(), .IsSet = true, .Default = biSystemMenu | biMinimize | biMaximize})
          .Prop("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle,
                {.Enum = &FormStyleEnumInfo(), .Default = fsNormal})
          .Prop("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState,
                {.Enum = &WindowStateEnumInfo(), .Default = wsNormal})
          .Prop("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
          .Prop("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
          .Prop("TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight)
          .Prop("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder)
          .Prop("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled, {.Default = 1})
          .Prop("AutoScroll", &TCustomForm::AutoScroll, &TCustomForm::SetAutoScroll, {.Default = 1})
          .Prop("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, {.Default = 0})
          .Prop("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu)
          .Event("OnCreate", &TCustomForm::OnCreate)
          .Event("OnDestroy", &TCustomForm::OnDestroy)
          .Event("OnShow", &TCustomForm::OnShow)
          .Event("OnHide", &TCustomForm::OnHide)
          .Event("OnActivate", &TCustomForm::OnActivate)
          .Event("OnDeactivate", &TCustomForm::OnDeactivate)
          .Event("OnClose", &TCustomForm::OnClose)
          .Event("OnCloseQuery", &TCustomForm::OnCloseQuery)
          .Event("OnPaint", &TCustomForm::OnPaint)
          .Event("OnResize", &TCustomForm::OnResize)
          .Build();
  return info;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  color_ = clBtnFace;
  parentFont_ = false;
  visible_ = false;
  width_ = 320;
  height_ = 240;
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  if (Screen) Screen->RemoveForm(this);
  if (Application) Application->FormDestroyed(this);
}

void TCustomForm::AfterConstruction() {
  TWinControl::AfterConstruction();
  if (!createNew_) ReadDescription();
  if (OnCreate) OnCreate(this);
}

void TCustomForm::ReadDescription() {
  std::string text;
  if (description_) {
    text = *description_;
  } else if (HasResource(ClassName())) {
    auto data = FindResourceData(ClassName());
    text.assign(reinterpret_cast<const char*>(data.data()), data.size());
  } else if (&ClassInfo() == &TForm::StaticClassInfo() || &ClassInfo() == &TCustomForm::StaticClassInfo()) {
    return;  // a plain form without a description of its own
  } else {
    throw EResNotFound("Resource " + ClassName() + " not found");
  }
  RegisterStandardClasses();
  ReadComponentFromText(this, text);
}

void TCustomForm::BeforeDestruction() {
  if (!destroyCalled_) {
    destroyCalled_ = true;
    if (OnDestroy) OnDestroy(this);
  }
  TWinControl::BeforeDestruction();
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  SIZE frame = FrameSize();
  if (pendingClientWidth_ >= 0) SetWidth(ClampSize(int64_t(pendingClientWidth_) + frame.cx));
  if (pendingClientHeight_ >= 0) SetHeight(ClampSize(int64_t(pendingClientHeight_) + frame.cy));
  pendingClientWidth_ = pendingClientHeight_ = -1;
  if (visible_) VisibleChanged();
}

DWORD TCustomForm::WindowStyle() const {
  DWORD style = 0;
  switch (borderStyle_) {
    case bsNone: style = WS_POPUP; break;
    case bsSingle: style = WS_CAPTION | WS_BORDER; break;
    case bsSizeable: style = WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog: style = WS_POPUP | WS_CAPTION | DS_MODALFRAME; break;
    case bsToolWindow: style = WS_CAPTION; break;
    case bsSizeToolWin: style = WS_CAPTION | WS_THICKFRAME; break;
  }
  if (borderStyle_ != bsNone && (borderIcons_ & biSystemMenu)) {
    style |= WS_SYSMENU;
    if (borderStyle_ == bsSingle || borderStyle_ == bsSizeable) {
      if (borderIcons_ & biMinimize) style |= WS_MINIMIZEBOX;
      if (borderIcons_ & biMaximize) style |= WS_MAXIMIZEBOX;
    }
  }
  return style | WS_CLIPCHILDREN;
}

DWORD TCustomForm::WindowExStyle() const {
  DWORD ex = 0;
  if (borderStyle_ == bsDialog) ex |= WS_EX_DLGMODALFRAME;
  if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) ex |= WS_EX_TOOLWINDOW;
  if (borderStyle_ != bsDialog && (borderIcons_ & biHelp)) ex |= WS_EX_CONTEXTHELP;
  if (formStyle_ == fsStayOnTop) ex |= WS_EX_TOPMOST;
  return ex | BiDiModeExStyle(biDiMode_);
}

SIZE TCustomForm::FrameSize() const {
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, WindowStyle(), menu_ != nullptr && formStyle_ != fsMDIChild, WindowExStyle());
  return SIZE{r.Width(), r.Height()};
}

// ---- The menu bar ----

TComponent* TCustomForm::Menu() const { return menu_; }

void TCustomForm::SetMenu(TComponent* menu) {
  auto* main = dynamic_cast<TMainMenu*>(menu);
  if (main == menu_) return;
  if (menu_) {
    menu_->RemoveFreeNotification(this);
    if (menu_->WindowHandle() == HandleIfAllocated()) menu_->SetWindowHandle(nullptr);
  }
  menu_ = main;
  if (menu_) menu_->FreeNotification(this);
  if (HandleAllocated()) ApplyMenu();
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == menu_) {
    menu_ = nullptr;
    if (HandleAllocated()) ::SetMenu(HandleIfAllocated(), nullptr);
  }
}

void TCustomForm::ApplyMenu() {
  HWND h = HandleIfAllocated();
  if (!h) return;
  if (menu_) menu_->SetWindowHandle(h);
  // An MDI frame's menu goes through its client, which keeps a maximised child's buttons on it.
  if (clientHandle_ && menu_) {
    SendMessageW(clientHandle_, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu_->Handle()), 0);
    return;
  }
  ::SetMenu(h, menu_ ? menu_->Handle() : nullptr);
}

// The menu bar's commands and its owner-drawn items.
bool TCustomForm::MenuMessage(TMessage& m) {
  if (!menu_) return false;
  switch (m.Msg) {
    case WM_COMMAND:
      if (HIWORD(m.WParam) != 0 || m.LParam != 0) return false;
      if (TMenuItem* item = menu_->FindItem(LOWORD(m.WParam))) {
        item->Click();
        m.Result = 0;
        return true;
      }
      return false;
    case WM_MEASUREITEM:
      if (!MeasureMenuItemMessage(*menu_, HandleIfAllocated(), reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)))
        return false;
      m.Result = TRUE;
      return true;
    case WM_DRAWITEM:
      if (!DrawMenuItemMessage(*menu_, reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam))) return false;
      m.Result = TRUE;
      return true;
    case CM_MENUCHANGED:
      ApplyMenu();
      return true;
    default:
      return false;
  }
}

TRect TCustomForm::ClientRect() const {
  if (HandleAllocated()) return TWinControl::ClientRect();
  SIZE frame = FrameSize();
  return TRect{0, 0, std::max(0, width_ - frame.cx), std::max(0, height_ - frame.cy)};
}

void TCustomForm::SetClientWidth(int v) {
  if (IsLoading()) pendingClientWidth_ = ClampSize(v);
  SetWidth(ClampSize(int64_t(width_) + v - ClientWidth()));
}

void TCustomForm::SetClientHeight(int v) {
  if (IsLoading()) pendingClientHeight_ = ClampSize(v);
  SetHeight(ClampSize(int64_t(height_) + v - ClientHeight()));
}

void TCustomForm::SetBorderStyle(TFormBorderStyle s) {
  if (s == borderStyle_) return;
  TRect client = ClientRect();
  borderStyle_ = s;
  if (HandleAllocated()) {
    SetWindowLongPtrW(HandleIfAllocated(), GWL_STYLE, static_cast<LONG_PTR>(WindowStyle() | (visible_ ? WS_VISIBLE : 0)));
    SetWindowLongPtrW(HandleIfAllocated(), GWL_EXSTYLE, static_cast<LONG_PTR>(WindowExStyle()));
    SIZE frame = FrameSize();
    SetWindowPos(HandleIfAllocated(), nullptr, 0, 0, client.Width() + frame.cx, client.Height() + frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

void TCustomForm::SetBorderIcons(int icons) {
  borderIcons_ = icons;
  if (HandleAllocated())
    SetWindowLongPtrW(HandleIfAllocated(), GWL_STYLE, static_cast<LONG_PTR>(WindowStyle() | (visible_ ? WS_VISIBLE : 0)));
}

void TCustomForm::SetWindowState(TWindowState s) {
  windowState_ = s;
  if (HandleAllocated() && visible_)
    ShowWindow(HandleIfAllocated(), s == wsMaximized ? SW_MAXIMIZE : s == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

void TCustomForm::SetActiveControl(TWinControl* c) {
  if (c && c->ParentForm() != this) throw EInvalidOperation("Invalid active control");
  activeControl_ = c;
  if (c && active_ && c->CanFocus()) ::SetFocus(c->Handle());
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style = WindowStyle();
  if (!enabled_) p.Style |= WS_DISABLED;
  p.ExStyle = WindowExStyle();
  p.WndParent = nullptr;
  // Forms other than the main form stay above it (a modal form above the form it came from).
  TCustomForm* ownerForm = nullptr;
  if (modal_ && Screen && Screen->ActiveForm() != this) ownerForm = Screen->ActiveForm();
  if (!ownerForm && Application && Application->MainForm() != this) ownerForm = Application->MainForm();
  if (ownerForm && ownerForm->HandleAllocated()) p.WndParent = ownerForm->HandleIfAllocated();
  if (formStyle_ == fsMDIChild) {
    p.Style = (p.Style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
    p.ExStyle |= WS_EX_MDICHILD;
    p.WndParent = MdiParentWindow();
  }
}

void TCustomForm::InitializeWnd() {
  if (HICON icon = Application ? Application->IconHandle() : nullptr)
    SendMessageW(HandleIfAllocated(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  CreateClient();
  ApplyMenu();
  if (windowState_ == wsMaximized) SetWindowLongPtrW(HandleIfAllocated(), GWL_STYLE,
                                                     GetWindowLongPtrW(HandleIfAllocated(), GWL_STYLE) | WS_MAXIMIZE);
}

bool TCustomForm::Showing() const { return HandleAllocated() && IsWindowVisible(HandleIfAllocated()); }

void TCustomForm::PlaceForShowing() {
  placed_ = true;
  int sw = Screen ? Screen->Width() : 1280, sh = Screen ? Screen->Height() : 1024;
  int x = left_, y = top_;
  auto centreOn = [&](const TRect& r) {
    x = ClampCoordinate(r.left + (int64_t(r.Width()) - width_) / 2);
    y = ClampCoordinate(r.top + (int64_t(r.Height()) - height_) / 2);
  };
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
      centreOn(TRect{0, 0, sw, sh});
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* other = Application ? Application->MainForm() : nullptr;
      if (position_ == poOwnerFormCenter) {
        if (auto* o = dynamic_cast<TCustomForm*>(Owner())) other = o;
      }
      if (other && other != this) {
        centreOn(other->BoundsRect());
      } else {
        centreOn(TRect{0, 0, sw, sh});
      }
      break;
    }
    default:
      return;
  }
  // Within the work area, where the desktop's panels cannot cover the caption or the buttons.
  const TRect work = Screen ? Screen->WorkAreaRect() : TRect{0, 0, sw, sh};
  x = std::max<int>(work.left, std::min<int>(x, work.right - width_));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height_));
  SetBounds(x, y, width_, height_);
}

void TCustomForm::VisibleChanged() {
  // A form described as visible shows once its controls have been read (Loaded).
  if (IsLoading()) return;
  if (visible_) {
    HWND h = Handle();
    if (!placed_) PlaceForShowing();
    DoShow();
    ShowWindow(h, windowState_ == wsMaximized ? SW_SHOWMAXIMIZED : windowState_ == wsMinimized ? SW_SHOWMINIMIZED : SW_SHOW);
    if (formStyle_ == fsMDIChild) {
      SendMessageW(GetParent(h), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(h), 0);
    } else if (windowState_ != wsMinimized) {
      SetForegroundWindow(h);
      SetActiveWindow(h);
    }
  } else {
    if (HandleAllocated()) ShowWindow(HandleIfAllocated(), SW_HIDE);
    DoHide();
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

bool TCustomForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  // An MDI child is minimised rather than closed, unless it has no minimise box.
  TCloseAction action = formStyle_ != fsMDIChild ? caHide : (borderIcons_ & biMinimize) ? caMinimize : caNone;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    SetWindowState(wsMinimized);
  } else {
    Release();
  }
}

void TCustomForm::Release() {
  if (releasing_) return;
  releasing_ = true;
  if (HandleAllocated()) {
    PostMessageW(HandleIfAllocated(), CM_RELEASE, 0, 0);
  } else if (Application) {
    Application->QueueRelease(this);
  }
}

std::string TCustomForm::NonInteractiveText() const { return Caption(); }

TModalResult TCustomForm::ShowModal() {
  if (visible_ || !enabled_ || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  modalResult_ = mrNone;
  if (Application && Application->NonInteractive()) {
    std::string caption = Caption(), text = NonInteractiveText();
    std::cerr << (caption.empty() || caption == text ? text : caption + ": " + text) << std::endl;
    modalResult_ = NonInteractiveResult();
    return modalResult_;
  }
  ReleaseCapture();
  modal_ = true;
  HWND previous = GetActiveWindow();
  std::vector<HWND> disabled;
  if (Screen) {
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* f = Screen->Forms(i);
      if (f == this || !f->HandleAllocated()) continue;
      HWND h = f->HandleIfAllocated();
      if (IsWindowEnabled(h)) {
        EnableWindow(h, FALSE);
        disabled.push_back(h);
      }
    }
  }
  auto restore = [&] {
    for (HWND h : disabled)
      if (IsWindow(h)) EnableWindow(h, TRUE);
    if (HandleAllocated() && visible_) Hide();
    modal_ = false;
    if (previous && IsWindow(previous)) SetActiveWindow(previous);
    if (Application) Application->ModalFinished(this);
  };
  try {
    Show();
    if (Application) Application->ModalStarted(this);
    for (;;) {
      if (Application) Application->HandleMessage();
      if (!Application || Application->Terminated()) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        break;
      }
      if (modalResult_ != mrNone) {
        TCloseAction action = caHide;
        if (CloseQuery()) {
          DoClose(action);
        } else {
          action = caNone;
        }
        if (action == caNone) {
          modalResult_ = mrNone;
          continue;
        }
        if (action == caFree) Release();
        break;
      }
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return modalResult_;
}

void TCustomForm::Activated(bool active) {
  active_ = active;
  if (active) {
    if (Screen && formStyle_ != fsMDIChild) Screen->SetActiveForm(this);
    TWinControl* target = activeControl_;
    if (!target || !target->CanFocus() || target->ParentForm() != this) target = FindNextControl(nullptr, true, true, false);
    if (target && target->HandleAllocated() && GetFocus() != target->HandleIfAllocated()) ::SetFocus(target->HandleIfAllocated());
    if (OnActivate) OnActivate(this);
  } else {
    if (OnDeactivate) OnDeactivate(this);
  }
}

void TCustomForm::SetFocusedControl(TWinControl* control) {
  if (!control || control->ParentForm() != this) return;
  TWinControl* old = activeControl_;
  activeControl_ = control;
  if (old != control) {
    if (old) old->Perform(CM_EXIT);
    // The exit handler may have moved the focus on.
    if (activeControl_ == control) control->Perform(CM_ENTER);
  }
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
}

void TCustomForm::FocusControl(TWinControl* control) {
  if (active_ || (HandleAllocated() && GetActiveWindow() == HandleIfAllocated())) {
    ::SetFocus(control->Handle());
  } else {
    activeControl_ = control;
  }
}

void TCustomForm::ControlRemoved(TControl* control) {
  if (activeControl_ == control) activeControl_ = nullptr;
}

void TCustomForm::WndProc(TMessage& m) {
  if (MenuMessage(m)) return;
  switch (m.Msg) {
    case WM_ACTIVATE:
      DefaultHandler(m);
      Activated(LOWORD(m.WParam) != WA_INACTIVE);
      return;
    case WM_CLOSE:
      Close();
      m.Result = 0;
      return;
    case WM_ENDSESSION:
      // The session ends under the program (a signal, the display gone): the main form closes
      // as its close button closes it, and the program ends even where closing was refused.
      if (m.WParam && Application && Application->MainForm() == this) {
        try {
          Close();
        } catch (...) {
          Application->Terminate();
          throw;
        }
        Application->Terminate();
      }
      m.Result = 0;
      return;
    case WM_MDIACTIVATE:
      DefaultHandler(m);
      if (formStyle_ == fsMDIChild) Activated(reinterpret_cast<HWND>(m.LParam) == HandleIfAllocated());
      return;
    case WM_NCDESTROY:
      clientHandle_ = nullptr;
      TWinControl::WndProc(m);
      return;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(HandleIfAllocated(), &r);
      HBRUSH b = CreateSolidBrush(ColorToRGB(color_));
      FillRect(reinterpret_cast<HDC>(m.WParam), &r, b);
      DeleteObject(b);
      m.Result = 1;
      return;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = m.WParam ? reinterpret_cast<HDC>(m.WParam) : BeginPaint(HandleIfAllocated(), &ps);
      canvas_.SetHandle(dc);
      canvas_.Font().Assign(font_);
      Paint();
      canvas_.SetHandle(nullptr);
      PaintControls(dc);
      if (!m.WParam) EndPaint(HandleIfAllocated(), &ps);
      m.Result = 0;
      return;
    }
    case WM_SIZE:
      DefaultHandler(m);
      UpdateBoundsFromWindow();
      if (OnResize) OnResize(this);
      return;
    case CM_RELEASE:
      if (Application) Application->QueueRelease(this);
      return;
    case CM_DIALOGKEY: {
      auto key = static_cast<int>(m.WParam);
      TShiftState shift = KeyboardShiftState();
      if (key == VK_TAB && !(shift & (ssCtrl | ssAlt))) {
        SelectNext(activeControl_, !(shift & ssShift), true);
        m.Result = 1;
        return;
      }
      if ((key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) && activeControl_ &&
          activeControl_->Parent()) {
        activeControl_->Parent()->SelectNext(activeControl_, key == VK_RIGHT || key == VK_DOWN, false);
        m.Result = 1;
        return;
      }
      Broadcast(m);
      return;
    }
    default:
      TWinControl::WndProc(m);
  }
}

// ---- TForm ----

const TClassInfo& TForm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TForm>("TForm", &TCustomForm::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TForm(o); })
                                     .Build();
  return info;
}

TForm::TForm(TComponent* owner) : TCustomForm(owner) {}
