// The application object: title, the message loop (Run, ProcessMessages, HandleMessage,
// Terminate), the main form, the default exception handler, hints and modal notifications.
//
// Keys are routed as in a dialog before they are dispatched: a control first sees its key
// as CN_KEYDOWN (OnKeyDown), and Tab, arrows, Enter and Escape that the control does not
// want (WM_GETDLGCODE) go to its form as CM_DIALOGKEY (next control, default button, cancel
// button). Mouse moves track the control under the mouse (CM_MOUSEENTER / CM_MOUSELEAVE) and
// show its hint after HintPause, for HintHidePause.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/form.h"

class THintWindow;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  void Initialize();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  std::string ExeName() const;

  // The hidden window of class "TApplication" (owner of the clipboard and of dialogs).
  HWND Handle();
  // The program's icon, its "MAINICON" resource (null when it has none), which the forms show
  // in their captions.
  HICON IconHandle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  // Creates a form owned by the application; `reference` is set before the form's OnCreate
  // runs. The first form created becomes the main form.
  template <class T>
  void CreateForm(T*& reference) {
    T* form = new T(this);
    reference = form;
    try {
      form->AfterConstruction();
    } catch (...) {
      reference = nullptr;
      form->Free();
      throw;
    }
    if (!mainForm_) mainForm_ = form;
  }
  TCustomForm* MainForm() const { return mainForm_; }
  bool ShowMainForm = true;

  // Shows the main form and handles messages until Terminate.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles every message waiting, then returns.
  void ProcessMessages();
  // Handles one message, or waits for one when there is none.
  void HandleMessage();

  // The default exception handler: OnException when set, else ShowException.
  void HandleException(TObject* sender, const std::exception& e);
  // An error message box with the exception's message (a full stop added when the message
  // ends in a character after "."), titled with the application's title.
  void ShowException(const std::exception& e);
  std::function<void(TObject* Sender, const std::exception& E)> OnException;

  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  int HintPause = 500;
  int HintShortPause = 50;
  int HintHidePause = 2500;
  TColor HintColor = clInfoBk;
  void CancelHint();
  THintWindow* HintWindow() const { return hintWindow_; }
  TControl* MouseControl() const { return mouseControl_; }
  // The mouse has left `control` with no move of the mouse over this program's windows to tell
  // (it went to another program, or the window turned inactive): the control hears
  // CM_MOUSELEAVE, and the next move over it brings CM_MOUSEENTER again.
  void MouseLeft(TControl* control);

  TNotifyEvent OnModalBegin;
  TNotifyEvent OnModalEnd;
  TNotifyEvent OnIdle;

  // Without a display that anyone can answer (batch runs on the headless back end), modal
  // forms are not shown: their text goes to standard error and ShowModal returns at once.
  bool NonInteractive() const { return nonInteractive_; }
  void SetNonInteractive(bool v) { nonInteractive_ = v; }

  void Notification(TComponent* component, TOperation operation) override;

  // Used by the forms and the loop.
  void ModalStarted(TCustomForm* form);
  void ModalFinished(TCustomForm* form);
  void FormDestroyed(TCustomForm* form);
  // Frees a released form once the message being handled is done.
  void QueueRelease(TCustomForm* form);
  void DestroyHandle();

 private:
  friend void DoneApplication();
  bool ProcessMessage(MSG& msg);
  bool IsKeyMsg(MSG& msg);
  void TrackMouse(const MSG& msg);
  void SetMouseControl(TControl* control);
  void StartHintTimer(int ms);
  void HintTimerExpired();
  void HideHint();
  static void CALLBACK_HintTimer(HWND, UINT, UINT_PTR, DWORD);

  std::string title_;
  HWND handle_ = nullptr;
  HICON icon_ = nullptr;
  bool iconLoaded_ = false;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool showHint_ = true;
  bool nonInteractive_ = false;
  TControl* mouseControl_ = nullptr;
  TControl* hintControl_ = nullptr;
  THintWindow* hintWindow_ = nullptr;
  UINT_PTR hintTimer_ = 0;
  bool hintShown_ = false;
  bool hintHiding_ = false;
  DWORD lastHintHidden_ = 0;
  std::vector<TCustomForm*> released_;
};

// The application object of the program (module-level, as in the class library).
extern TApplication* Application;

// Frees the forms and windows of the application (the end of the program; after Run).
void DoneApplication();
// DoneApplication, then a fresh application and screen object (tests; embedding).
void RecreateApplication();
