#include "skin/controls/skin_scroll_bar.h"

#include <string_view>

#include "platform/forms/rtti.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/scroll.h"
#include "platform/rtl/strings.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/controls/skin_factory.h"
#include "skin/controls/skin_list_rows.h"
#include "skin/forms/win_skin_form.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"

namespace {

// The list view's header window.
constexpr UINT kLvmGetHeader = 0x1000 + 31;

TComponentPtr<TWScrollbar> MakeBar(TSkinControl* wrapper, TControl* control, HWND window, int kind) {
  TComponentPtr<TWScrollbar> bar(new TWScrollbar(wrapper));
  if (control)
    bar->Init(control, kind);
  else
    bar->InitWindow(window, kind);
  return bar;
}

void PlaceBoth(TWScrollbar* a, TWScrollbar* b) {
  for (TWScrollbar* bar : {a, b})
    if (bar) bar->Place();
}

void InvalidateVisible(TWScrollbar* a, TWScrollbar* b) {
  for (TWScrollbar* bar : {a, b})
    if (bar && bar->BarVisible) bar->Invalidate();
}

// A host's scroll request shows on its bar until the next one (SB_ENDSCROLL shows none).
void ShowRequest(TMessage& m, TWScrollbar* horz, TWScrollbar* vert) {
  TWScrollbar* bar = m.Msg == WM_HSCROLL ? horz : vert;
  if (!bar || m.LParam) return;
  bar->HotPart = LOWORD(m.WParam);
  bar->Invalidate();
}

// Each visible bar repainted; a bar the host's style has but which is not shown is placed.
void RefreshBars(HWND host, TWScrollbar* horz, TWScrollbar* vert) {
  const LONG_PTR style = GetWindowLongPtrW(host, GWL_STYLE);
  const std::pair<TWScrollbar*, LONG_PTR> bars[] = {{horz, WS_HSCROLL}, {vert, WS_VSCROLL}};
  for (const auto& [bar, bit] : bars) {
    if (!bar) continue;
    if (bar->BarVisible)
      bar->Invalidate();
    else if (style & bit)
      bar->Place();
  }
}

}  // namespace

RECT ScrollCorner(HWND host, const TWScrollbar* horz, const TWScrollbar* vert) {
  if (!horz || !vert || !horz->BarVisible || !vert->BarVisible) return RECT{0, 0, 0, 0};
  RECT r{vert->BarRect.left, horz->BarRect.top, vert->BarRect.right, horz->BarRect.bottom};
  // Bar rectangles are in the host parent's client coordinates; the corner is drawn into the
  // host's window DC.
  RECT wr{};
  GetWindowRect(host, &wr);
  MapWindowPoints(nullptr, GetParent(host), reinterpret_cast<POINT*>(&wr), 2);
  OffsetRect(r, -wr.left, -wr.top);
  return r;
}

// ---- TSkinScrollbar ----

TSkinScrollbar::~TSkinScrollbar() = default;

void TSkinScrollbar::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool,
                                   int attachData) {
  AttachScroll(control, skinData, formSkin, attachData);
}

bool TSkinScrollbar::HasFixedColor() const {
  const TTypeKind k = PropType(TObjectRef(Control), "FixedColor");
  return Control && (k == TTypeKind::tkInteger || k == TTypeKind::tkEnumeration);
}

void TSkinScrollbar::AttachScroll(TControl* control, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) {
  if (Attached || !control || !skinData) return;
  const bool single = NoMouseForward != 0;
  TSkinControl::AttachControl(control, formSkin, skinData, false, attachData);
  DrawBorder = LowerCaseAscii(StrProp("BorderStyle")) != "bsnone" && control->ClassName() != "TImageScrollBox" &&
               !single;
  if (HasFixedColor()) {
    savedFixedColor_ = TColor(OrdProp("FixedColor"));
    fixedColorSaved_ = true;
    SetPropValue(TObjectRef(control), "FixedColor", std::to_string(skinData->Colors.ButtonFace));
  }
  char16_t windowClass[16] = {};
  listBox_ = Handle && GetClassNameW(Handle, windowClass, 16) > 0 && std::u16string_view(windowClass) == u"ListBox";
  HorzBar = MakeBar(this, control, nullptr, kBarHorz);
  VertBar = MakeBar(this, control, nullptr, kBarVert);
  for (TWScrollbar* bar : {HorzBar.get(), VertBar.get()}) {
    bar->SetEnabled(control->Enabled());
    if (!control->Visible()) bar->HideBar();
  }
}

void TSkinScrollbar::DrawBorderInto(HDC dc) {
  RECT r{};
  if (!GetWindowRect(Handle, &r)) return;
  const RECT outer{0, 0, r.right - r.left, r.bottom - r.top};
  HBRUSH shadow = CreateSolidBrush(ColorToRGB(SkinData->Colors.ButtonShadow));
  HBRUSH face = CreateSolidBrush(ColorToRGB(SkinData->Colors.ButtonFace));
  FrameRect(dc, &outer, shadow);
  const RECT inner{1, 1, outer.right - 1, outer.bottom - 1};
  FrameRect(dc, &inner, face);
  DeleteObject(shadow);
  DeleteObject(face);
}

bool TSkinScrollbar::BeforeMessage(TMessage& m) {
  if (m.Msg == WM_NCPAINT && DrawBorder) {
    CallOldProc(m);
    if (HDC dc = GetWindowDC(Handle)) {
      DrawBorderInto(dc);
      ReleaseDC(Handle, dc);
    }
    return false;
  }
  return TSkinControl::BeforeMessage(m);
}

void TSkinScrollbar::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEWHEEL:
      InvalidateVisible(HorzBar.get(), VertBar.get());
      break;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      PlaceBoth(HorzBar.get(), VertBar.get());
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      ShowRequest(m, HorzBar.get(), VertBar.get());
      break;
    case CM_VISIBLECHANGED:
      for (TWScrollbar* bar : {HorzBar.get(), VertBar.get()})
        if (bar) m.WParam ? bar->Place() : bar->HideBar();
      break;
    case CM_ENABLEDCHANGED:
      for (TWScrollbar* bar : {HorzBar.get(), VertBar.get()})
        if (bar && Control) bar->SetEnabled(Control->Enabled());
      TSkinControl::AfterMessage(m);
      break;
    case CM_RECREATEWND:
      if (FormSkin && IsWindow(FormSkin->Window))
        PostMessageW(FormSkin->Window, CM_SKINRESCROLL, reinterpret_cast<WPARAM>(Handle), 0);
      break;
    case CM_SKINPAINTBORDER:
      if (m.LParam != kPaintDCMagic) break;
      DrawBorderInto(HDC(m.WParam));
      m.Result = kPaintDCMagic;
      break;
    case WM_PAINT:
      TSkinControl::AfterMessage(m);
      if (listBox_ && SkinData) {
        HDC dc = m.WParam ? HDC(m.WParam) : GetDC(Handle);
        PaintSelectedListRow(Handle, dc, SkinData->Colors);
        if (!m.WParam) ReleaseDC(Handle, dc);
      }
      break;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
}

void TSkinScrollbar::PaintControl(HDC dc, const RECT&) {
  RefreshBars(Handle, HorzBar.get(), VertBar.get());
  const RECT corner = ScrollCorner(Handle, HorzBar.get(), VertBar.get());
  if (!corner.IsEmpty()) FillFace(dc, corner);
}

void TSkinScrollbar::ApplyColor() {
  if (HasFixedColor()) {
    savedFixedColor_ = TColor(OrdProp("FixedColor"));
    fixedColorSaved_ = true;
    SetPropValue(TObjectRef(Control), "FixedColor", std::to_string(SkinData->Colors.ButtonFace));
  }
  TSkinControl::ApplyColor();
}

void TSkinScrollbar::RestoreColor() {
  if (fixedColorSaved_ && Control)
    SetPropValue(TObjectRef(Control), "FixedColor", std::to_string(savedFixedColor_));
  TSkinControl::RestoreColor();
  HorzBar.reset();
  VertBar.reset();
}

// ---- TSkinListView ----

TSkinListView::~TSkinListView() = default;

void TSkinListView::AttachScroll(TControl* control, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) {
  TSkinScrollbar::AttachScroll(control, skinData, formSkin, attachData);
  if (!Handle) return;
  const HWND header = reinterpret_cast<HWND>(SendMessageW(Handle, kLvmGetHeader, 0, 0));
  if (!header || !IsWindow(header)) return;
  HeaderSkin = CreateSkinner("TSkinHeader", 0);
  if (HeaderSkin) HeaderSkin->AttachWindow(header, skinData, formSkin, attachData);
}

// ---- TSkinScrollbarH ----

TSkinScrollbarH::~TSkinScrollbarH() = default;

void TSkinScrollbarH::AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) {
  if (Attached || !handle || !skinData) return;
  TSkinControl::AttachWindow(handle, skinData, formSkin, attachData);
  Control = nullptr;
  HorzBar = MakeBar(this, nullptr, handle, kBarHorz);
  VertBar = MakeBar(this, nullptr, handle, kBarVert);
}

void TSkinScrollbarH::AfterMessage(TMessage& m) {
  if (!IsWindowVisible(Handle) && VertBar) VertBar->HideBar();
  switch (m.Msg) {
    case WM_SIZE:
    case WM_NCPAINT:
      PlaceBoth(HorzBar.get(), VertBar.get());
      Repaint();
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      ShowRequest(m, HorzBar.get(), VertBar.get());
      break;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
}

void TSkinScrollbarH::PaintControl(HDC dc, const RECT&) {
  InvalidateVisible(HorzBar.get(), VertBar.get());
  const RECT corner = ScrollCorner(Handle, HorzBar.get(), VertBar.get());
  if (!corner.IsEmpty()) FillFace(dc, corner);
}

void TSkinScrollbarH::RestoreColor() {
  TSkinControl::RestoreColor();
  HorzBar.reset();
  VertBar.reset();
}

// ---- TSkinScControl ----

TSkinScControl::~TSkinScControl() = default;

void TSkinScControl::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool,
                                   int attachData) {
  AttachScroll(control, skinData, formSkin, attachData);
}

void TSkinScControl::AttachScroll(TControl* control, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) {
  if (Attached || !control || !skinData) return;
  TSkinControl::AttachControl(control, formSkin, skinData, false, attachData);
  Bar = MakeBar(this, control, nullptr, kBarControl);
  Bar->SetShowHint(control->ShowHint());
  Bar->SetHint(control->Hint());
  if (!control->Visible()) Bar->HideBar();
}

void TSkinScControl::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case SBM_SETSCROLLINFO:
    case CN_VSCROLL:
      if (Bar) Bar->Invalidate();
      break;
    case CM_VISIBLECHANGED:
      if (Bar && !m.WParam) Bar->HideBar();
      break;
    case WM_NCPAINT:
      if (auto* win = dynamic_cast<TWinControl*>(Control)) Handle = win->HandleIfAllocated();
      if (Bar) Bar->Place();
      break;
    case WM_WINDOWPOSCHANGED:
      if (Bar) Bar->Place();
      break;
    default:
      TSkinControl::AfterMessage(m);
      break;
  }
}

void TSkinScControl::PaintControl(HDC, const RECT&) {
  if (Bar) Bar->Invalidate();
}

void TSkinScControl::RestoreColor() {
  TSkinControl::RestoreColor();
  Bar.reset();
}
