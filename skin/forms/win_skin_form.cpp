#include "skin/forms/win_skin_form.h"

#include "platform/forms/form.h"
#include "platform/forms/rtti.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/region.h"
#include "platform/gdi/system_metrics.h"
#include "platform/gdi/text.h"
#include "platform/user/icons.h"
#include "platform/user/input.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/object_instance.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "skin/controls/skin_control.h"
#include "skin/forms/skin_draw.h"
#include "skin/menus/menu_item_draw.h"
#include "skin/menus/win_skin_menu.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace {

constexpr UINT kFrameChanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

LONG_PTR Style(HWND w) { return GetWindowLongPtrW(w, GWL_STYLE); }
LONG_PTR ExStyle(HWND w) { return GetWindowLongPtrW(w, GWL_EXSTYLE); }

}  // namespace

const TClassInfo& TWinSkinForm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TWinSkinForm>("TWinSkinForm", &TComponent::StaticClassInfo()).Build();
  return info;
}

TWinSkinForm::TWinSkinForm(TSkinManage* manager)
    : TComponent(nullptr), Manager(manager), DoubleClickTime(GetDoubleClickTime()) {
  CaptionBuffer.SetPixelFormat(pf24bit);
  IconBitmap.SetPixelFormat(pf24bit);
}

TWinSkinForm::~TWinSkinForm() {
  // A wrapper freed while still attached (the manager ends) gives the window back first.
  if (instance_ && SkinPhase != 6 && IsWindow(Window)) RestoreProcedures();
  HotElement = nullptr;
  MenuBar.reset();
  CaptionButtons.clear();
  Hover.reset();
  if (link_) link_->self = nullptr;
  UnhookClient();
  if (FormKind == 1 && Manager->MDIClient == MDIClient) {
    Manager->MDIClient = nullptr;
    Manager->MDIFrameForm = nullptr;
  }
  // An instance still in a window's chain (another procedure subclassed on top) keeps passing
  // messages on; it is freed only when no window calls it any more.
  if (instance_ && !chained_) FreeObjectInstance(instance_);
  DeleteRegion();
}

// ---- Attaching ----

void TWinSkinForm::AttachForm(TSkinData* skinData, TCustomForm* form) {
  Form = form;
  if (skinData->OnBeforeSkinForm) skinData->OnBeforeSkinForm(form, Window, RecordedName);
  if (InSkinControls(skinData->SkinControls(), xcMenuItem)) SetPropValue(TObjectRef(form), "AutoScroll", "False");
  Attach(skinData);
  if (FrameSkinned && !formHooked_) {
    savedWindowProc_ = form->WindowProc;
    form->WindowProc = [this](TMessage& m) { FormWindowProc(m); };
    formHooked_ = true;
  }
  savedColor_ = form->Color();
  form->SetColor(skinData->Colors.ButtonFace);
  if (InSkinControls(skinData->SkinControls(), xcMenuItem))
    if (TMainMenu* main = form->MainMenu()) SetMainMenuOwnerDraw(skinData, *main, true);
}

void TWinSkinForm::Attach(TSkinData* skinData) {
  if (instance_) return;
  Manager->FormAttached = true;
  SkinData = skinData;
  Hover.reset(CreateComponent<TTimer>(nullptr));
  Hover->SetEnabled(false);
  Hover->SetInterval(250);
  Hover->SetOnTimer([this](TObject*) { HoverTimer(); });
  CaptionFont.Assign(skinData->CaptionFont);

  FrameSkinned = InSkinControls(skinData->SkinControls(), xcMainMenu);
  const LONG_PTR style = Style(Window), ex = ExStyle(Window);
  RightToLeft = (ex & 0x4000) != 0;
  ChildWindow = (style & WS_CHILD) != 0;
  OwnerWindow = GetWindow(Window, GW_OWNER);
  BorderIcons = 0;
  if ((style & WS_SYSMENU) || SystemMenu) BorderIcons |= 8;
  if (style & WS_MINIMIZEBOX) BorderIcons |= 2;
  if (style & WS_MAXIMIZEBOX) BorderIcons |= 1;
  if (ex & WS_EX_CONTEXTHELP) BorderIcons |= 4;
  ReadPlacement();
  ThickFrame = (style & WS_THICKFRAME) != 0;
  MDIClient = FindWindowExW(Window, nullptr, u"MDIClient", nullptr);
  FormKind = MDIClient ? 1 : 0;
  if (MDIClient) {
    Manager->MDIClient = MDIClient;
    Manager->MDIFrameForm = Form;
  }
  if (ex & WS_EX_MDICHILD) {
    FormKind = 2;
    if (InSkinOptions(skinData->Options(), xoMDIChildBorder)) FrameSkinned = false;
  }
  if ((style & WS_CAPTION) == WS_CAPTION) {
    BorderKind = (style & WS_THICKFRAME) ? 0 : (style & DS_MODALFRAME) ? 3 : 1;
  } else {
    BorderKind = 2;
  }
  if (ex & WS_EX_DLGMODALFRAME) BorderKind = 3;
  // Windows 10 (version 10.0), the newest system the code knows, keeps the system menu of
  // application windows and of windows without an owner.
  if ((ex & WS_EX_APPWINDOW) || (!OwnerWindow && FormKind != 2)) BorderIcons |= 16;
  if (ClassName == "#32770" || ClassName == "TMessageForm") {
    BorderKind = 3;
    DialogClass = true;
  }
  RemoveClipChildren();
  HookClient();
  link_ = std::make_shared<Link>();
  link_->self = this;
  instance_ = MakeObjectInstance([link = link_](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (link->self) return link->self->WndProc(h, m, w, l);
    return CallWindowProcW(link->previous, h, m, w, l);
  });
  if (!instance_) {
    SkinPhase = 6;  // no procedure left to wear the skin with: the window stays plain
    return;
  }
  previousProc_ =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(Window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(instance_)));
  link_->previous = previousProc_;
  if (FrameSkinned) {
    AttachMenuBar();
    ComputeBorders();
  } else {
    SkinPhase = 1;
  }
  if (FormKind == 2) {
    const int least = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    if (CaptionHeight < least) MenuBarHeight = least - CaptionHeight;
    if (WindowState == 1) Manager->SetMDIMaximized(true);
  }
}

HBITMAP TWinSkinForm::RenderIcon() {
  HICON icon = reinterpret_cast<HICON>(SendMessageW(Window, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(Window, WM_GETICON, ICON_BIG, 0));
  if (!icon) return nullptr;
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  HICON copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE));
  if (!copy) return nullptr;
  IconBitmap.SetSize(cx, cy);
  IconBitmap.Dib().Fill(ColorToRGB(kSkinKeyColor));
  DrawIconEx(IconBitmap.Canvas().Handle(), 0, 0, copy, cx, cy, 0, nullptr, DI_NORMAL);
  DestroyIcon(copy);
  return IconBitmap.Handle();
}

void TWinSkinForm::ComputeBorders() {
  if (!SkinData || !SkinData->Ready()) return;
  if (BorderKind == 2) {
    LeftWidth = CaptionHeight = RightWidth = BottomHeight = MenuBarHeight = 0;
  } else {
    CaptionHeight = SkinData->Top->Bitmap.Height() / SkinData->Top->Frames();
    LeftWidth = SkinData->Left->Bitmap.Width() / SkinData->Left->Frames();
    RightWidth = SkinData->Right->Bitmap.Width() / SkinData->Right->Frames();
    BottomHeight = SkinData->Bottom->Bitmap.Height() / SkinData->Bottom->Frames();
  }
  HotElement = nullptr;
  CaptionButtons.clear();
  for (auto& element : SkinData->SysButtons) {
    auto b = std::make_unique<TWinSysButton>(this, element.get());
    if (element->Action == 3 || element->Action == 11) {
      if (RenderIcon()) {
        if (element->Bitmap.Empty()) element->Bitmap.Assign(IconBitmap);
        if (SkinData->AppIcon.Empty()) SkinData->AppIcon.Assign(IconBitmap);
      }
      element->Frame = 1;
    }
    CaptionButtons.push_back(std::move(b));
  }
}

void TWinSkinForm::ReloadSkin() {
  if (!FrameSkinned || SkinPhase == 6) return;
  ComputeBorders();
  RegionSize = SIZE{0, 0};  // the region is cut again for the new borders
  if (SkinPhase == 1 && WindowState != 2 && !ChildWindow && BorderKind != 2) {
    SkinPhase = 5;
    FitFrame(true);
    SkinPhase = 1;
  }
}

void TWinSkinForm::MeasureSystemBorders() {
  RECT wr{}, cr{};
  GetClientRect(Window, &cr);
  GetWindowRect(Window, &wr);
  ClientRectLast = cr;
  SystemNC = RECT{0, 0, (wr.right - wr.left) - (cr.right - cr.left), (wr.bottom - wr.top) - (cr.bottom - cr.top)};
}

void TWinSkinForm::ReadPlacement() {
  WINDOWPLACEMENT p{};
  p.length = sizeof(p);
  if (!GetWindowPlacement(Window, &p)) return;
  switch (p.showCmd) {
    case 2: case 6: case 7: WindowState = 2; break;
    case 3: WindowState = 1; break;
    default: WindowState = 0; break;
  }
}

// ---- Applying ----

void TWinSkinForm::HandleApply() {
  Applied = true;
  SystemMenu = GetSystemMenu(Window, FALSE);
  RenderIcon();
  MeasureSystemBorders();
  if (Manager->WasHidden) {
    Manager->WasHidden = false;
    if (!(Style(Window) & WS_VISIBLE)) SetWindowLongPtrW(Window, GWL_STYLE, Style(Window) | WS_VISIBLE);
  }
  SkinFormChildren();
  if (FormKind == 1 && MenuBar) MenuBar->BuildMenuBar();
  SetMenusOwnerDraw(true);
  if (SkinPhase == 0) {
    if (FormKind == 2) {
      if (WindowState == 1) {
        if (Manager->MDIClient) PostMessageW(Manager->MDIClient, CM_SKINMDIREDRAW, WPARAM(Window), 0);
      } else {
        SkinPhase = 5;
        FitFrame(false);
        SkinPhase = 1;
        UpdateRegion();
      }
    } else if (!ChildWindow && BorderKind != 2 && WindowState != 2) {
      SkinPhase = 5;
      FitFrame(false);
      SkinPhase = 1;
      if (WindowState == 0) {
        UpdateRegion();
      } else {
        SetWindowPos(Window, nullptr, 0, 0, 0, 0, kFrameChanged);
      }
    }
  }
  NotifyApplied();
  SkinPhase = 1;
  if (Hover) Hover->SetEnabled(true);
}

void TWinSkinForm::NotifyApplied() {
  SendMessageW(Window, CM_SKINAPPLIED, 0, kSkinMagic);
  if (SkinData->OnAfterSkinForm) SkinData->OnAfterSkinForm(Form, Window, RecordedName);
}

void TWinSkinForm::RemoveClipChildren() {
  if (!Manager->ClipChildrenOff || ChildWindow || !FrameSkinned || BorderKind == 2) return;
  const LONG_PTR style = Style(Window);
  if (style & WS_CLIPCHILDREN) SetWindowLongPtrW(Window, GWL_STYLE, style & ~LONG_PTR(WS_CLIPCHILDREN));
}

void TWinSkinForm::ApplyColors() {
  if (!SkinData) return;
  const TColor face = SkinData->Colors.ButtonFace;
  if (Form) {
    Form->SetColor(face);
    // Forms embedded as components wear the face too.
    for (int i = 0; i < Form->ComponentCount(); ++i)
      if (auto* embedded = dynamic_cast<TCustomForm*>(Form->Components(i))) embedded->SetColor(face);
  }
  // A skinner may make or drop others while it takes the new skin: each is asked once, while
  // it is still listed.
  std::vector<TSkinControl*> skinners;
  for (const auto& s : ControlSkins) skinners.push_back(s.get());
  for (TSkinControl* s : skinners) {
    if (Lists(s) && s->AttachState != kAttachDestroyed) s->ApplyColor();
  }
  const bool applied = SkinPhase != 0;
  SkinPhase = 3;
  if (FrameSkinned) {
    SetMenusOwnerDraw(true);
    FitFrame(true);
    // The class library lays the form's controls out again for the new client area.
    if (Form) {
      Form->SetHeight(Form->Height() + 1);
      Form->SetHeight(Form->Height() - 1);
    }
  }
  NotifyApplied();
  // Before CM_SKINAPPLY the frame is still to be fitted to the form's own client size.
  SkinPhase = applied ? 1 : 0;
}

void TWinSkinForm::FitFrame(bool useClient) {
  if (WindowState == 1) {
    SetWindowPos(Window, nullptr, 0, 0, 0, 0, kFrameChanged);
    return;
  }
  if (DialogClass || SkinPhase == 3 || useClient) GetClientRect(Window, &ClientRectLast);
  int cw = ClientRectLast.right - ClientRectLast.left, ch = ClientRectLast.bottom - ClientRectLast.top;
  if (!useClient && Form) {
    cw = Form->ClientWidth();
    ch = Form->ClientHeight() - MenuBarHeight;
    if (FormKind == 2) ch += MenuBarHeight;
  }
  int width = cw + LeftWidth + RightWidth;
  const int height = ch + CaptionHeight + BottomHeight + MenuBarHeight;
  if (DialogClass && !useClient) {
    HDC dc = GetWindowDC(Window);
    HGDIOBJ old = SelectObject(dc, CaptionFont.Handle());
    SIZE text{};
    const std::u16string caption = GetWindowTextString(Window);
    GetTextExtentPoint32W(dc, caption.c_str(), int(caption.size()), &text);
    SelectObject(dc, old);
    ReleaseDC(Window, dc);
    const int needed = SkinData->Title->LeftWidth + text.cx + SkinData->Title->RightWidth;
    if (width < needed) {
      const int shift = (needed - width) / 2;
      for (HWND c = GetWindow(Window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        POINT p{r.left, r.top};
        ScreenToClient(Window, &p);
        SetWindowPos(c, nullptr, p.x + shift, p.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
      }
      width = needed;
    }
  }
  SetWindowPos(Window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// ---- Region ----

const TDataSkinBorder* TWinSkinForm::Border(int part) const {
  switch (part) {
    case kPartLeft: return SkinData->Left.get();
    case kPartRight: return SkinData->Right.get();
    case kPartTop: return SkinData->Top.get();
    default: return SkinData->Bottom.get();
  }
}

void TWinSkinForm::UpdateRegion() {
  if (!FrameSkinned || SkinPhase == 6 || !SkinData) return;
  if (FormKind == 2 && WindowState != 0) return;
  RECT wr{};
  GetWindowRect(Window, &wr);
  const int width = wr.right - wr.left, height = wr.bottom - wr.top;
  if (width <= 0 || height <= 0) return;
  if (HasRegion && width == RegionSize.cx && height == RegionSize.cy && FormKind != 2 && SkinPhase != 3) return;
  DeleteRegion();
  bool anyTrans = false;
  for (int part = kPartLeft; part <= kPartBottom; ++part) anyTrans |= Border(part)->Trans == 1;
  HRGN region = nullptr;
  if (!anyTrans) {
    region = CreateRectRgn(0, 0, width, height);
  } else {
    region = CreateRectRgn(LeftWidth, CaptionHeight, width - RightWidth, height - BottomHeight);
    const RECT sides[5] = {{},
                           {0, 0, LeftWidth, height},
                           {width - RightWidth, 0, width, height},
                           {LeftWidth, 0, width - RightWidth, CaptionHeight},
                           {LeftWidth, height - BottomHeight, width - RightWidth, height}};
    for (int part = kPartLeft; BorderKind != 2 && part <= kPartBottom; ++part) {
      const RECT& r = sides[part];
      const int w = r.right - r.left, h = r.bottom - r.top;
      bool plain = Border(part)->Trans != 1 || h < 2;
      if (part == kPartTop && int64_t(w) * h <= 0) plain = true;
      HRGN piece = nullptr;
      if (!plain && w > 0) {
        TBitmap scratch;
        scratch.SetPixelFormat(pf24bit);
        scratch.SetSize(w, h);
        PaintBorderPart(part, RECT{0, 0, w, h}, scratch.Canvas().Handle());
        piece = BitmapToRegion(scratch, r.left, r.top, 1, 1, 1, kSkinKeyColor);
      } else {
        piece = CreateRectRgn(r.left, r.top, r.right, r.bottom);
      }
      CombineRgn(region, region, piece, RGN_OR);
      DeleteObject(piece);
    }
  }
  SetWindowRgn(Window, region, TRUE);  // the window owns the region from here
  RegionSize = SIZE{width, height};
  HasRegion = true;
}

void TWinSkinForm::DeleteRegion() {
  if (!HasRegion) return;
  HasRegion = false;
  if (IsWindow(Window)) SetWindowRgn(Window, nullptr, FormKind == 2);
}

// ---- Detaching ----

void TWinSkinForm::RestoreProcedures() {
  UnhookClient();
  CloseMenus();
  SetMenusOwnerDraw(false);
  HotTool = nullptr;
  ControlSkins.clear();
  if (Hover) Hover->SetEnabled(false);
  if (formHooked_ && Form) {
    Form->WindowProc = savedWindowProc_;
    formHooked_ = false;
  }
  if (instance_ && previousProc_ && IsWindow(Window)) {
    // Someone may have subclassed on top of the wrapper; then its procedure is left in place and
    // the wrapper's instance keeps passing everything on.
    if (GetWindowLongPtrW(Window, GWL_WNDPROC) == reinterpret_cast<LONG_PTR>(instance_)) {
      SetWindowLongPtrW(Window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
      chained_ = false;
    } else {
      chained_ = true;
      link_->self = nullptr;
    }
  }
  HotElement = nullptr;
}

void TWinSkinForm::DetachOnDestroy() {
  if (!FrameSkinned) {
    DetachPlain();
    return;
  }
  RestoreProcedures();
}

void TWinSkinForm::DetachPlain() {
  RestoreProcedures();
  if (!Form || SkinPhase == 4) return;
  Form->SetColor(savedColor_);
  // The form's controls draw themselves again in their own look.
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(Form->Components(i))) c->Invalidate();
}

void TWinSkinForm::Restore() {
  if (!FrameSkinned) {
    DetachPlain();
    return;
  }
  RestoreProcedures();
  if (Form && SkinPhase != 4) Form->SetColor(savedColor_);
  SetSysMenuStyle(false);
  DetachMenuBar();
  if (SkinPhase != 4 && (FormKind == 2 || !ChildWindow) && IsWindow(Window)) {
    RECT wr{};
    GetWindowRect(Window, &wr);
    POINT at{wr.left, wr.top};
    if (FormKind == 2) ScreenToClient(GetParent(Window), &at);
    const int width = (wr.right - wr.left) - (LeftWidth + RightWidth - SystemNC.right);
    const int height = (wr.bottom - wr.top) - (CaptionHeight + BottomHeight - SystemNC.bottom);
    // A maximised window keeps the size of its screen; only its frame changes.
    if (WindowState == 1)
      SetWindowPos(Window, nullptr, 0, 0, 0, 0, kFrameChanged);
    else
      SetWindowPos(Window, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  if (HasRegion && IsWindow(Window)) SetWindowRgn(Window, nullptr, TRUE);
  HasRegion = false;
  SkinPhase = 6;
}

void TWinSkinForm::Repaint() {
  if (!IsWindow(Window)) return;
  InvalidateRect(Window, nullptr, TRUE);
  UpdateWindow(Window);
}

void TWinSkinForm::SetSysMenuStyle(bool remove) {
  if (BorderIcons & 16) return;
  LONG_PTR style = Style(Window);
  if (remove) {
    style &= ~LONG_PTR(WS_SYSMENU);
  } else if (SystemMenu || (BorderIcons & 8)) {
    style |= WS_SYSMENU;
  }
  if (style != Style(Window)) SetWindowLongPtrW(Window, GWL_STYLE, style);
}
