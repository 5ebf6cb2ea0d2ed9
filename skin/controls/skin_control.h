// TSkinControl: the base of the per-control skinners. A form wrapper gives each child control
// it skins one descendant, attached either to a class-library control (its WindowProc is
// replaced) or to a raw window (its window procedure is subclassed). Every message then passes
// BeforeMessage, the control's own procedure and AfterMessage; the descendants draw the
// control in PaintControl, off screen, and copy it in one blit.
//
// The form wrapper keeps its control wrappers; a wrapper goes with its control: when a
// class-library control is freed, its wrapper is let go of (once no call into it is under
// way). A wrapper never outlives the window it skins in a harmful way: once the window is
// destroyed (WM_NCDESTROY) the wrapper turns inactive and never touches the control again; the
// procedure it installed keeps forwarding to the old one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/forms/controls.h"
#include "platform/gdi/bitmap.h"

class TSkinData;
class TWinSkinForm;
class TGraphicControl;
class TSkinControlWatch;

// Attach states.
inline constexpr int kAttachNone = 0, kAttached = 1, kAttachDestroyed = 6;
// The two bits of MouseState.
inline constexpr uint8_t kMouseHot = 1, kMousePressed = 2;
// The form wrapper's paint-into-DC request and its answer.
inline constexpr UINT CM_SKINPAINTDC = 48202;
inline constexpr LPARAM kPaintDCMagic = 16802;

class TSkinControl {
 public:
  TSkinControl();
  virtual ~TSkinControl();
  TSkinControl(const TSkinControl&) = delete;
  TSkinControl& operator=(const TSkinControl&) = delete;

  // The skinner's class name (the name discovery chose it by).
  virtual const char* KindName() const { return "TSkinControl"; }
  // A container's skinner (panels, group boxes) is attached with the container flag.
  virtual bool IsContainer() const { return false; }

  virtual void AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                             int attachData);
  virtual void AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData);
  // Takes over the WindowProc of a control without a window; Handle stays 0.
  void AttachGraphicControl(TGraphicControl* control, TWinSkinForm* formSkin, TSkinData* skinData, int attachData);
  virtual void RestoreColor();
  // True passes the message on to the old procedure and AfterMessage.
  virtual bool BeforeMessage(TMessage& message);
  virtual void AfterMessage(TMessage& message);
  virtual void PaintWindow(HDC dc);
  virtual void PaintControl(HDC dc, const RECT& rect) {}
  virtual void ApplyColor();

  // ---- Helpers of the descendants ----
  // Every way of attaching records the skin, the form wrapper and the caller's data first,
  // and the attached state last.
  void BeginAttach(TSkinData* skinData, TWinSkinForm* formSkin, int attachData);
  void EndAttach();
  // With `setColor` the control's colour is kept and the skin's face colour given instead.
  void TakeFaceColor(TControl* control, bool setColor);
  void WndProc(TMessage& message);
  void Repaint();
  void CallOldProc(TMessage& message);
  // The mouse has gone without the control's own notice telling: CM_MOUSELEAVE reaches it.
  void SendMouseLeave();
  // A control without a window gets its own WindowProc back.
  void GiveGraphicWindowProcBack();
  void PaintMessage(TMessage& message);
  void EraseBackground(TMessage& message);
  void FillColor(HDC dc, const RECT& r, TColor color);
  void FillFace(HDC dc, const RECT& r);
  void FillControlColor(HDC dc, const RECT& r);
  UINT TextFlags(UINT flags) const;
  LONG_PTR Style() const;
  void ForwardMouseDown(const TMessage& message);
  // The caption: the control's "Caption" property, or the window text of a raw window.
  std::string ReadCaption() const;
  std::string WindowText() const;
  void DrawFocusRectFor(HDC dc, const std::u16string& text, const RECT& rect, UINT flags);
  // Published properties of the control, by name (defaults when missing).
  int64_t OrdProp(const char* name) const;
  std::string StrProp(const char* name) const;
  bool HasProp(const char* name) const;
  std::string ClassNameOf() const;

  // ---- State ----
  uint8_t MouseState = 0;
  int AttachData = 0;
  bool IsEnabled = true;
  bool IsFocused = false;
  std::string Caption;
  HWND Handle = nullptr;
  bool Active = true;
  bool IsUnicode = false;
  TSkinData* SkinData = nullptr;
  TControl* Control = nullptr;
  // A control without a window of its own (a speed button): painted through its canvas on the
  // parent's DC, repainted through its Invalidate. Control is the same control then.
  TGraphicControl* GraphicControl = nullptr;
  RECT WindowRect{0, 0, 0, 0};
  bool SetColor = false;
  TColor SavedColor = clBtnFace;
  bool Attached = false;
  int AttachState = kAttachNone;
  TWinSkinForm* FormSkin = nullptr;
  int NoMouseForward = 0;
  // Calls into the wrapper's procedure under way; the wrapper is not freed during one.
  int Depth = 0;
  // The control was freed while a call was under way: the wrapper goes once it returns.
  bool Doomed = false;

 private:
  friend class TSkinControlWatch;
  // The control is being freed: the wrapper never touches it again and goes with it.
  void ControlFreed();
  void Dispatch(TMessage& message);
  // What the installed procedure calls: this wrapper while it lives, else the old procedure.
  struct Link {
    TSkinControl* self = nullptr;
  };
  void Detach();
  void HookWindowProc(TControl* control);
  std::shared_ptr<Link> link_;
  TComponentPtr<TComponent> watch_;  // a TSkinControlWatch
  TWndMethod oldWindowProc_;
  TWndMethod retiredWindowProc_;  // this wrapper's WindowProc once given back
  WNDPROC instance_ = nullptr;
  WNDPROC oldWndProc_ = nullptr;
};

// Dest takes Source's size and pixel format and Source drawn into it.
void CopyBitmap(const TBitmap& source, TBitmap& dest);

// Integer a * b / c rounded, as MulDiv on Windows: -1 when c is 0 (never a size).
int SkinMulDiv(int a, int b, int c);
