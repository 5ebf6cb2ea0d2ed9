// The class library's controls: TControl (position, size, text, colour, font, hint, cursor,
// mouse events) and TWinControl, a control with a window of the window layer.
//
// A windowed control creates its window when the window is first needed (Handle, showing the
// form), from CreateParams: a standard control class ("Button", "Edit", ...) or, for forms, a
// class named after the control's class. The window is subclassed so that every message goes
// through the control's WindowProc (a replaceable std::function, as the skinning engine
// replaces it), whose default is WndProc; what WndProc leaves to the window goes to the
// class's own procedure (DefaultHandler). Notifications a child sends its parent (WM_COMMAND,
// WM_CTLCOLOR...) come back to the child as CN_ messages. Every window of a control carries
// the control under the control atom (ControlAtomName), so FindControl leads from a window
// handle back to its control.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/classes.h"
#include "platform/forms/idents.h"
#include "platform/gdi/canvas.h"
#include "platform/user/messages.h"
#include "platform/user/wintypes.h"

class TWinControl;
class TCustomForm;

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};
using TWndMethod = std::function<void(TMessage&)>;

// The class library's own messages.
inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_GOTFOCUS = CM_BASE + 2,
                      CM_LOSTFOCUS = CM_BASE + 3, CM_CANCELMODE = CM_BASE + 4, CM_DIALOGKEY = CM_BASE + 5,
                      CM_DIALOGCHAR = CM_BASE + 6, CM_FOCUSCHANGED = CM_BASE + 7,
                      CM_PARENTFONTCHANGED = CM_BASE + 8, CM_PARENTCOLORCHANGED = CM_BASE + 9,
                      CM_HITTEST = CM_BASE + 10, CM_VISIBLECHANGED = CM_BASE + 11,
                      CM_ENABLEDCHANGED = CM_BASE + 12, CM_COLORCHANGED = CM_BASE + 13,
                      CM_FONTCHANGED = CM_BASE + 14, CM_CURSORCHANGED = CM_BASE + 15,
                      CM_TEXTCHANGED = CM_BASE + 18, CM_MOUSEENTER = CM_BASE + 19, CM_MOUSELEAVE = CM_BASE + 20,
                      CM_BUTTONPRESSED = CM_BASE + 24, CM_SHOWINGCHANGED = CM_BASE + 25, CM_ENTER = CM_BASE + 26,
                      CM_EXIT = CM_BASE + 27, CM_WANTSPECIALKEY = CM_BASE + 30, CM_RELEASE = CM_BASE + 33,
                      CM_SHOWHINTCHANGED = CM_BASE + 34, CM_PARENTSHOWHINTCHANGED = CM_BASE + 35,
                      CM_TABSTOPCHANGED = CM_BASE + 40, CM_HINTSHOW = CM_BASE + 48,
                      CM_RECREATEWND = CM_BASE + 51, CM_INVALIDATE = CM_BASE + 52,
                      CM_BIDIMODECHANGED = CM_BASE + 60, CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
// Notifications reflected back to the control that sent them: CN_BASE + the window message.
inline constexpr UINT CN_BASE = 0xBC00;
inline constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND, CN_NOTIFY = CN_BASE + WM_NOTIFY,
                      CN_KEYDOWN = CN_BASE + WM_KEYDOWN, CN_KEYUP = CN_BASE + WM_KEYUP, CN_CHAR = CN_BASE + WM_CHAR,
                      CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN, CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
                      CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX, CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
                      CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX, CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
                      CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG, CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
                      CN_HSCROLL = CN_BASE + WM_HSCROLL, CN_VSCROLL = CN_BASE + WM_VSCROLL;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = int;
inline constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char16_t& Key)>;

// Positions and sizes are kept within this range (a hostile description cannot overflow the
// arithmetic on them).
inline constexpr int kMaxCoordinate = 1 << 20;
int ClampCoordinate(int64_t v);
int ClampSize(int64_t v);

// The shift state of mouse message key flags, and of the keyboard now.
TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyboardShiftState();
// The keys and mouse buttons a keyboard state (GetKeyboardState) holds down.
TShiftState KeyboardStateToShiftState(const BYTE* keyState256);

const TEnumInfo& AlignmentEnumInfo();
const TEnumInfo& BiDiModeEnumInfo();
// The extended window styles of a bidirectional mode: right-to-left reading for every mode but
// bdLeftToRight, the vertical scroll bar at the left for bdRightToLeft and
// bdRightToLeftNoAlign, right alignment for bdRightToLeft.
DWORD BiDiModeExStyle(TBiDiMode mode);

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }
  void Loaded() override;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return TRect{left_, top_, left_ + width_, top_ + height_}; }
  virtual TRect ClientRect() const;
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  virtual void SetClientWidth(int v);
  virtual void SetClientHeight(int v);
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible with every parent up to a shown top-level window.
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);

  // Caption and Text are the same text (UTF-8): the window text once there is a window. Text
  // often holds a file name, and file names are bytes: bytes that are not UTF-8 are kept in the
  // window text as lone surrogates and come back unchanged.
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& v) { SetText(v); }
  std::string Text() const { return GetText(); }
  void SetText(const std::string& v);
  std::u16string WideText() const { return GetTextW(); }
  void SetWideText(const std::u16string& v);

  TColor Color() const { return color_; }
  void SetColor(TColor c);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  TFont* Font() const { return &font_; }
  void SetFont(TFont* f);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& h) { hint_ = h; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c);
  // With ParentBiDiMode (the default) the control takes its parent's BiDiMode and follows it
  // when it changes (CM_PARENTBIDIMODECHANGED); setting BiDiMode itself ends that.
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode m);
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool v);
  // A mode taken from the parent is not written with the control.
  bool IsBiDiModeStored() const { return !parentBiDiMode_; }
  bool UseRightToLeftReading() const { return biDiMode_ != bdLeftToRight; }

  // Messages go through WindowProc (replaceable; the default calls WndProc).
  TWndMethod WindowProc;
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  virtual void Invalidate();
  virtual void Update();
  void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();

  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // The form the control is on (itself for a form), or nullptr.
  TCustomForm* ParentForm() const;

 protected:
  friend class TWinControl;
  virtual void WndProc(TMessage& message);
  virtual void DefaultHandler(TMessage& message) {}
  virtual std::string GetText() const;
  virtual std::u16string GetTextW() const { return text_; }
  virtual void SetTextW(const std::u16string& text);
  // Changes that windowed controls pass on to their windows.
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void BoundsChanged() {}
  // Takes the bounds, held to the coordinate range; false when nothing changed.
  bool StoreBounds(int left, int top, int width, int height);
  virtual void VisibleChanged() {}
  void ParentFontChanged();
  void ParentColorChanged();
  void ParentShowHintChanged();

  std::u16string text_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = false;
  mutable TFont font_;
  bool parentFont_ = true;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TCursor cursor_ = crDefault;
  TBiDiMode biDiMode_ = bdLeftToRight;
  bool parentBiDiMode_ = true;
  TWinControl* parent_ = nullptr;
  bool fromParent_ = false;  // copying the parent's font or colour
  int clickDown_ = 0;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  void BeforeDestruction() override;

  // The window, created on first use (with the parent's window first).
  HWND Handle();
  HWND HandleIfAllocated() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  void DestroyHandle();
  // The window is made again (CM_RECREATEWND): the old one goes, and a new one comes at once
  // where the parent has its window, keeping the focus the old one had.
  void RecreateWnd();
  // The procedure that was the window's before the control subclassed it.
  WNDPROC DefWndProc() const { return defWndProc_; }

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const;
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  // Every control with this parent, and every windowed one in tab order.
  void GetTabOrderList(std::vector<TWinControl*>& list);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v);
  int TabOrder() const;
  void SetTabOrder(int order);

  bool Focused() const;
  virtual bool CanFocus() const;
  virtual void SetFocus();
  // The next focusable control after `current` among this control's windowed descendants, in
  // tab order, wrapping around; nullptr when there is none.
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent);
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
  // Sends a message to every child control.
  void Broadcast(TMessage& message);
  // The topmost visible control without a window of its own at a point of the client area
  // (enabled ones only unless allowDisabled), or nullptr.
  TControl* ControlAtPos(TPoint p, bool allowDisabled) const;
  // Paints the visible controls without a window of their own into a DC of the client area.
  void PaintControls(HDC dc);
  // A control without a window is going: the window stops holding the mouse for it.
  void ControlGone(TControl* control);

  void Invalidate() override;
  void Update() override;
  bool Showing() const override;
  void SetBounds(int left, int top, int width, int height) override;
  TRect ClientRect() const override;
  void SetEnabled(bool v) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

 protected:
  struct TCreateParams {
    std::u16string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    std::u16string WinClassName;  // empty: a class of this control's own (its class name)
    bool SystemClass = false;     // the class is one of the standard controls
    UINT ClassStyle = 0;
    TCursor ClassCursor = crArrow;
  };
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  // Makes the window of the parameters (class name, child id); DestroyWindowHandle ends it.
  virtual HWND CreateWindowHandle(const TCreateParams& params, const std::u16string& className, HMENU id);
  virtual void DestroyWindowHandle();
  // The window becomes the control's: its messages go through WindowProc from here on.
  void TakeWindow(HWND h);
  // Called once the window exists and is subclassed: give it what the control holds.
  virtual void InitializeWnd() {}
  // Called before the window goes away: take from it what the control must keep.
  virtual void SaveWndState() {}
  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  std::u16string GetTextW() const override;
  void SetTextW(const std::u16string& text) override;
  void FontChanged() override;
  void ColorChanged() override;
  void VisibleChanged() override;
  // The window takes the extended styles of the new BiDiMode; the children that follow their
  // parent's mode are told.
  void BiDiModeChanged();
  virtual void DoEnter();
  virtual void DoExit();
  virtual bool DoKeyDown(WORD& key, TShiftState shift);
  virtual bool DoKeyPress(char16_t& key);
  virtual bool DoKeyUp(WORD& key, TShiftState shift);
  // The brush of the control's colour, with the DC set for its text (CN_CTLCOLOR...).
  HBRUSH ControlColorBrush(HDC dc);
  void UpdateBoundsFromWindow();
  bool inCreate_ = false;

 private:
  friend class TControl;
  LRESULT MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool ReflectToChild(TMessage& message, HWND child, UINT reflected);
  // Hands a mouse message on to the control without a window under it (or holding the mouse).
  bool ControlMouseMessage(TMessage& message);
  bool HasGraphicChildren() const;
  void PaintHandler(TMessage& message);
  void ReleaseWindow();
  void HandleCnKeyDown(TMessage& message);

  HWND handle_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  WNDPROC instance_ = nullptr;
  std::vector<TControl*> controls_;  // children in creation order
  std::vector<TWinControl*> tabList_;
  bool tabStop_ = false;
  TBrush brush_;
  bool destroyingHandle_ = false;
  TControl* mouseCapture_ = nullptr;  // the control without a window the mouse is held for
};

// The control of a window (through the control atom), or nullptr; FindVCLWindow looks up the
// window's parents too.
TWinControl* FindControl(HWND hwnd);
TWinControl* FindVCLWindow(HWND hwnd);
// The name of the window property that holds a window's control: "ControlOfs" followed by the
// module handle's and the thread's numbers, eight upper-case hexadecimal digits each.
const std::string& ControlAtomName();
ATOM ControlAtom();

// Creates a control owned and parented by `parent`, named and placed at once (how a form of
// our own builds its controls in code).
template <class T>
T* AddControl(TWinControl* parent, const char* name, int left, int top, int width, int height) {
  T* c = CreateComponent<T>(parent);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(left, top, width, height);
  return c;
}
