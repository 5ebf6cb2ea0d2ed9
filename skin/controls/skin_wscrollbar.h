// TWScrollbar: a small window of the engine's own laid over one scroll bar of a scrolling
// control (its horizontal or vertical frame bar) or over a scroll bar control, painted from
// the skin's scroll-bar images. Presses are handed to the control underneath, so that the
// system's own scrolling runs; the window only shows it.
#pragma once

#include "platform/forms/controls.h"
#include "platform/gdi/bitmap.h"

class TSkinControl;
class TSkinData;

// Kinds of bar.
inline constexpr int kBarHorz = 0, kBarVert = 1, kBarControl = 2;
// Parts along a bar: arrows, the track before and after the thumb, the thumb.
inline constexpr int kPartNone = -1, kPartArrow1 = 0, kPartArrow2 = 1, kPartTrack1 = 2, kPartTrack2 = 3,
                     kPartThumb = 5;

// The part at position p along a bar of `length` with arrows of `arrow`.
int BarPartAt(int p, int arrow, int thumbStart, int thumbEnd, int length);
// The thumb of a scroll bar control of `length` with arrows of `arrowSize` (start, end): a zero
// range counts as 9999999; with a page the thumb takes the page's share, at least 8 pixels;
// without one it is an arrow long.
POINT ControlThumb(int length, int arrowSize, int min, int max, int page, int pos);
// Frames of the 23-frame "Scrollbar" strip: an arrow (0 first, 1 second) of a bar, by its state.
int ArrowFrame(bool vertical, int arrow, bool pressed, bool hot);
// Frame of the thumb element (1 normal, 2 pressed, 3 hot) and of the grip on the strip.
int ThumbFrame(bool pressed, bool hot);
int GripFrame(bool vertical, bool pressed, bool hot);

// A bar drawn from the skin's scroll-bar images into a DC at `bar`: face colour, the track
// element between the arrows (its disabled frame when disabled), the arrows (the hot part's
// pressed or hot frame), and, when enabled and inside the bar, the thumb with its grip centred
// on it. The arrows are the strip's height long, or `arrowSize` when the two differ by more
// than 2. Nothing without the strip.
struct TSkinBarLook {
  bool vertical = false, disabled = false, pressed = false;
  int arrowSize = 0, thumbStart = 0, thumbEnd = 0, hotPart = kPartNone;
};
void DrawSkinScrollBar(HDC dc, const RECT& bar, TSkinData* skin, const TSkinBarLook& look, TBitmap& buffer);

class TWScrollbar : public TWinControl {
 public:
  explicit TWScrollbar(TSkinControl* wrapper);
  ~TWScrollbar() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Over a bar of a class-library control, or of a raw window.
  void Init(TControl* control, int kind);
  void InitWindow(HWND host, int kind);
  // Lays the window over the host's bar, or hides it when the host shows no such bar.
  void Place();
  void HideBar();

  int Kind = kBarHorz;
  bool Vertical = false;
  int Length = 0;
  int ThumbStart = 0, ThumbEnd = 0;
  int BarLeft = 0, BarTop = 0;
  POINT DownPos{0, 0};
  int DragThumbStart = 0;
  bool Pressed = false;
  int HotPart = kPartNone;
  int ArrowSize = 0;
  HWND HostHandle = nullptr;
  TControl* HostControl = nullptr;
  TSkinControl* Skin = nullptr;
  RECT BarRect{0, 0, 0, 0};
  bool BarVisible = false;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  struct Geometry {
    RECT screen{0, 0, 0, 0};
    int thumbStart = 0, thumbEnd = 0;
    bool visible = false, disabled = false;
  };
  bool ReadGeometry(Geometry& g) const;
  void Start(HWND host, int kind);
  void PaintBar(HDC dc);
  void Press(TMessage& message);
  void Release(TMessage& message);
  int AlongOf(POINT p) const { return Vertical ? p.y : p.x; }
  HWND parentWindow_ = nullptr;
  TBitmap buffer_;
};
