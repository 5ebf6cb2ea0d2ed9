// Forms: top-level windows with their controls, read from a form description.
//
// A form class (TForm1) derives from TForm, publishes its controls as fields and its event
// handlers as methods (TClassBuilder Field and Method), and is created with
// CreateComponent<TForm1>(owner) or Application->CreateForm. Its AfterConstruction reads the
// description compiled into the program under the class's name ("TForm1", see resources.txt;
// or text given with SetDescription before), creating the controls, filling the fields and
// binding the handlers by name, and then runs OnCreate. Free runs OnDestroy.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/forms/controls.h"

enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter,
  poOwnerFormCenter
};
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// TBorderIcons: a set of these bits.
inline constexpr int biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8;
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                              mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

const TEnumInfo& PositionEnumInfo();
const TEnumInfo& FormBorderStyleEnumInfo();
const TEnumInfo& BorderIconsEnumInfo();
const TEnumInfo& WindowStateEnumInfo();
const TEnumInfo& FormStyleEnumInfo();
const TIdentMap& ModalResultIdents();

class TMainMenu;

class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // The description to read instead of the compiled-in one (before AfterConstruction).
  void SetDescription(std::string text) { description_ = std::move(text); }
  // No description at all (the class library's CreateNew); for forms built in code.
  void SetCreateNew() { createNew_ = true; }
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Loaded() override;

  TPosition Position() const { return position_; }
  void SetPosition(TPosition p) { position_ = p; }
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle s);
  int BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(int icons);
  // An MDI form (fsMDIForm) holds its MDI children (fsMDIChild) in a window of class
  // "MDIClient" that fills its client area; a child is made inside the client of the main form
  // (or of the first MDI form on the screen). The style is fixed once the window exists.
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle s) {
    if (!HandleAllocated()) formStyle_ = s;
  }
  HWND ClientHandle() const { return clientHandle_; }
  TCustomForm* ActiveMDIChild() const;
  // Arranges the MDI children side by side.
  void Tile();
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState s);
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* c);
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  bool Active() const { return active_; }
  bool Modal() const { return modal_; }
  TCanvas* Canvas() { return &canvas_; }

  // Published settings kept for the description's sake.
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int v) { pixelsPerInch_ = v; }
  int TextHeight() const { return textHeight_; }
  void SetTextHeight(int v) { textHeight_ = v; }
  bool OldCreateOrder() const { return oldCreateOrder_; }
  void SetOldCreateOrder(bool v) { oldCreateOrder_ = v; }
  bool Scaled() const { return scaled_; }
  void SetScaled(bool v) { scaled_ = v; }
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool v) { autoScroll_ = v; }
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool v) { keyPreview_ = v; }
  // The form's menu bar (a TMainMenu; anything else is taken as none).
  TComponent* Menu() const;
  void SetMenu(TComponent* menu);
  TMainMenu* MainMenu() const { return menu_; }
  void Notification(TComponent* component, TOperation operation) override;

  // Shows the form modally and returns its ModalResult (mrCancel when it is closed otherwise).
  // Raises EInvalidOperation "Cannot make a visible window modal" for a visible form.
  virtual TModalResult ShowModal();
  void Close();
  // Frees the form once the messages being handled are done.
  void Release();
  bool CloseQuery();
  void SetFocusWindow() { SetFocus(); }

  // Focus bookkeeping of the controls on the form.
  void SetFocusedControl(TWinControl* control);
  void FocusControl(TWinControl* control);
  void ControlRemoved(TControl* control);
  // Text for a modal form that cannot be shown (NonInteractive); the caption by default.
  virtual std::string NonInteractiveText() const;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnPaint;
  TNotifyEvent OnResize;

  TRect ClientRect() const override;
  void SetClientWidth(int v) override;
  void SetClientHeight(int v) override;
  bool Showing() const override;

 protected:
  void CreateParams(TCreateParams& params) override;
  HWND CreateWindowHandle(const TCreateParams& params, const std::u16string& className, HMENU id) override;
  void DestroyWindowHandle() override;
  void InitializeWnd() override;
  void DefaultHandler(TMessage& message) override;
  void WndProc(TMessage& message) override;
  void VisibleChanged() override;
  virtual void Paint();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  // Where the form goes on its first showing (Position).
  void PlaceForShowing();
  SIZE FrameSize() const;
  // The ModalResult for a modal form that cannot be shown.
  virtual TModalResult NonInteractiveResult() const { return mrCancel; }

 private:
  void Activated(bool active);
  void ReadDescription();
  DWORD WindowStyle() const;
  DWORD WindowExStyle() const;

  // Puts the menu's bar on the window (or takes it away).
  void ApplyMenu();
  // An MDI form's client window, made with the form's window.
  void CreateClient();
  // The client window an MDI child is made in; raises when there is no MDI form.
  HWND MdiParentWindow();
  bool MenuMessage(TMessage& m);

  std::optional<std::string> description_;
  TMainMenu* menu_ = nullptr;
  HWND clientHandle_ = nullptr;
  bool createNew_ = false;
  TPosition position_ = poDesigned;
  TFormBorderStyle borderStyle_ = bsSizeable;
  int borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TFormStyle formStyle_ = fsNormal;
  TWindowState windowState_ = wsNormal;
  TWinControl* activeControl_ = nullptr;
  TModalResult modalResult_ = mrNone;
  bool active_ = false;
  bool modal_ = false;
  bool placed_ = false;
  bool destroyCalled_ = false;
  bool releasing_ = false;
  TCanvas canvas_;
  int pixelsPerInch_ = 96;
  int textHeight_ = 13;
  bool oldCreateOrder_ = false;
  bool scaled_ = true;
  bool autoScroll_ = true;
  bool keyPreview_ = false;
  int pendingClientWidth_ = -1;
  int pendingClientHeight_ = -1;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};
