#include "platform/forms/media_player.h"

#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/forms/win/control_util.h"
#include "platform/user/input.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

const TEnumInfo& MPBtnTypeEnumInfo() {
  static const TEnumInfo e{"TMPBtnType",
                           {"btPlay", "btPause", "btStop", "btNext", "btPrev", "btStep", "btBack", "btRecord", "btEject"}};
  return e;
}

std::vector<RECT> MediaButtonRects(TButtonSet visible, int width, int height) {
  int count = 0;
  for (int i = 0; i < kMediaButtons; ++i) count += (visible >> i) & 1;
  std::vector<RECT> rects(kMediaButtons, RECT{0, 0, 0, 0});
  if (count == 0) return rects;
  int at = 0;
  for (int i = 0, k = 0; i < kMediaButtons; ++i) {
    if (!((visible >> i) & 1)) continue;
    const int right = int(int64_t(width) * ++k / count);
    rects[size_t(i)] = RECT{at, 0, right, height};
    at = right;
  }
  return rects;
}

const TClassInfo& TMediaPlayer::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TMediaPlayer>("TMediaPlayer", &TWinControl::StaticClassInfo())
          .Prop("VisibleButtons", &TMediaPlayer::VisibleButtons, &TMediaPlayer::SetVisibleButtons,
                {.Enum = &MPBtnTypeEnumInfo(), .IsSet = true})
          .Prop("EnabledButtons", &TMediaPlayer::EnabledButtons, &TMediaPlayer::SetEnabledButtons,
                {.Enum = &MPBtnTypeEnumInfo(), .IsSet = true})
          .Prop("ColoredButtons", &TMediaPlayer::ColoredButtons, &TMediaPlayer::SetColoredButtons,
                {.Enum = &MPBtnTypeEnumInfo(), .IsSet = true})
          .Event("OnClick", &TMediaPlayer::OnButtonClick)
          .Creator([](TComponent* o) { return new TMediaPlayer(o); })
          .Build();
  return info;
}

TMediaPlayer::TMediaPlayer(TComponent* owner) : TWinControl(owner) {
  width_ = 253;
  height_ = 30;
  color_ = clBtnFace;
}

void TMediaPlayer::SetVisibleButtons(TButtonSet v) {
  visible_ = v & 0x1FF;
  Invalidate();
}

void TMediaPlayer::SetEnabledButtons(TButtonSet v) {
  enabled_ = v & 0x1FF;
  Invalidate();
}

void TMediaPlayer::SetColoredButtons(TButtonSet v) {
  colored_ = v & 0x1FF;
  Invalidate();
}

int TMediaPlayer::ButtonAt(int x, int y) const {
  const std::vector<RECT> rects = MediaButtonRects(visible_, width_, height_);
  for (int i = 0; i < kMediaButtons; ++i)
    if (PtInRect(rects[size_t(i)], POINT{x, y})) return i;
  return -1;
}

void TMediaPlayer::Paint() {
  static const char16_t* const kLabels[kMediaButtons] = {u">", u"||", u"[]", u">>|", u"|<<", u"|>", u"<|", u"o", u"^"};
  HWND h = Handle();
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(h, &ps);
  RECT c{};
  GetClientRect(h, &c);
  FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
  const std::vector<RECT> rects = MediaButtonRects(visible_, c.right, c.bottom);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  for (int i = 0; i < kMediaButtons; ++i) {
    RECT r = rects[size_t(i)];
    if (r.right <= r.left) continue;
    RECT edge = r;
    DrawEdge(dc, &edge, i == pressed_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    stdctl::DrawControlText(dc, kLabels[i], r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, (enabled_ >> i) & 1);
  }
  SelectObject(dc, old);
  EndPaint(h, &ps);
}

void TMediaPlayer::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: Paint(); m.Result = 0; return;
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const int b = ButtonAt(short(LOWORD(m.LParam)), short(HIWORD(m.LParam)));
      pressed_ = b >= 0 && ((enabled_ >> b) & 1) ? b : -1;
      Invalidate();
      break;
    }
    case WM_LBUTTONUP: {
      const int b = ButtonAt(short(LOWORD(m.LParam)), short(HIWORD(m.LParam)));
      const int was = pressed_;
      pressed_ = -1;
      Invalidate();
      if (was >= 0 && b == was && OnButtonClick) {
        bool doDefault = true;
        OnButtonClick(this, TMPBtnType(b), doDefault);
      }
      break;
    }
    default: break;
  }
  TWinControl::WndProc(m);
}
