#include "skin/controls/skin_media_player.h"

#include <algorithm>

#include "platform/forms/media_player.h"
#include "platform/forms/rtti.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/streams.h"
#include "platform/user/input.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"

namespace {

const char* const kButtonNames[TWMediaPlayer::kButtons] = {"MPPLAY", "MPPAUSE", "MPSTOP",   "MPNEXT", "MPPREV",
                                                          "MPSTEP", "MPBACK",  "MPRECORD", "MPEJECT"};
const char* const kStateNames[TWMediaPlayer::kStates] = {"EN", "DI", "CL"};

}  // namespace

std::string TWMediaPlayer::ResourceName(int button, int state) {
  return std::string(kStateNames[state]) + "_" + kButtonNames[button];
}

TWMediaPlayer::TWMediaPlayer(TSkinControl* skin, TSkinData* skinData, TControl* host)
    : SkinData(skinData), Host(host), Skin(skin) {
  for (int b = 0; b < kButtons; ++b)
    for (int s = 0; s < kStates; ++s) {
      const std::string name = ResourceName(b, s);
      if (!HasResource(name)) continue;  // an empty glyph
      const auto data = FindResourceData(name);
      TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
      Bitmaps[size_t(b)][size_t(s)].LoadFromStream(stream);
    }
  auto* parent = host->Parent();
  if (!parent) return;
  const TRect r = host->BoundsRect();
  if (CreateOwnWindow(u"TWMediaPlayer", parent->Handle(), r)) Follow();
}

void TWMediaPlayer::Follow() {
  if (!Handle) return;
  const TRect r = Host->BoundsRect();
  SetWindowPos(Handle, HWND_TOP, r.left, r.top, r.Width(), r.Height(),
               SWP_NOACTIVATE | (Host->Visible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  InvalidateRect(Handle, nullptr, FALSE);
}

int TWMediaPlayer::Set(const char* name) const { return int(GetOrdProp(TObjectRef(Host), name)); }

int TWMediaPlayer::ButtonAt(LPARAM lParam) const {
  RECT c{};
  GetClientRect(Handle, &c);
  const std::vector<RECT> rects = MediaButtonRects(Set("VisibleButtons"), c.right, c.bottom);
  const POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
  for (int i = 0; i < kButtons; ++i)
    if (PtInRect(rects[size_t(i)], p)) return i;
  return -1;
}

void TWMediaPlayer::Paint() {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(Handle, &ps);
  RECT c{};
  GetClientRect(Handle, &c);
  Skin->FillFace(dc, c);
  const TDataSkinButton* e = SkinData->Buttons.get();
  const int enabled = Set("EnabledButtons"), coloured = Set("ColoredButtons");
  const std::vector<RECT> rects = MediaButtonRects(Set("VisibleButtons"), c.right, c.bottom);
  for (int i = 0; i < kButtons; ++i) {
    const RECT& r = rects[size_t(i)];
    if (r.right <= r.left) continue;
    const bool on = (enabled >> i) & 1;
    const int frame = !on ? 3 : (Pressed && PressedButton == i) ? 2 : 1;
    if (e && !e->Bitmap.Empty())
      DrawSkinElement(dc, r, const_cast<TBitmap&>(e->Bitmap), false, e->Tile == 1, e->Trans == 1,
                      e->Frames(), frame, e->Margins());
    TBitmap& glyph = Bitmaps[size_t(i)][size_t(!on ? 1 : ((coloured >> i) & 1) ? 2 : 0)];
    if (!glyph.Empty()) DrawSkinFrameCentred(dc, r, glyph, true, 1, 1);
  }
  EndPaint(Handle, &ps);
}

LRESULT TWMediaPlayer::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      PressedButton = CurrentButton = ButtonAt(lParam);
      Pressed = PressedButton >= 0;
      SetCapture(Handle);
      InvalidateRect(Handle, nullptr, FALSE);
      Host->Perform(WM_LBUTTONDOWN, wParam, lParam);
      return 0;
    case WM_LBUTTONUP: {
      ReleaseCapture();
      CurrentButton = ButtonAt(lParam);
      const bool same = Pressed && CurrentButton == PressedButton;
      Pressed = false;
      InvalidateRect(Handle, nullptr, FALSE);
      if (same) Host->Perform(WM_LBUTTONUP, wParam, lParam);
      return 0;
    }
    default: return DefaultProc(msg, wParam, lParam);
  }
}

void TSkinMP::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                            int attachData) {
  if (Attached) return;
  TSkinControl::AttachControl(control, formSkin, skinData, setColor, attachData);
  if (Control && !Panel) Panel = std::make_unique<TWMediaPlayer>(this, skinData, Control);
}

void TSkinMP::AfterMessage(TMessage& message) {
  if (Panel && (message.Msg == WM_WINDOWPOSCHANGED || message.Msg == CM_VISIBLECHANGED)) Panel->Follow();
  TSkinControl::AfterMessage(message);
}

void TSkinMP::RestoreColor() {
  Panel.reset();
  TSkinControl::RestoreColor();
}
