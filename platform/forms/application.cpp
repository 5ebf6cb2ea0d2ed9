#include "platform/forms/application.h"

#include <algorithm>
#include <iostream>

#include "platform/forms/hint_window.h"
#include "platform/forms/message_dialog.h"
#include "platform/forms/screen.h"
#include "platform/rtl/files.h"
#include "platform/rtl/strings.h"
#include "platform/user/default_proc.h"
#include "platform/user/icons.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"

TApplication* Application = nullptr;

namespace {

// The application and screen objects live from program start; at program end they are
// freed only when DoneApplication has already taken their windows down (the window layer
// may be gone by then).
struct GlobalObjects {
  GlobalObjects() {
    Screen = new TScreen(nullptr);
    Application = new TApplication(nullptr);
  }
  ~GlobalObjects() {
    if (Application && Application->ComponentCount() == 0 && !Application->HandleAllocated()) {
      Application->Free();
      Application = nullptr;
    }
    if (Screen && Screen->FormCount() == 0) {
      Screen->Free();
      Screen = nullptr;
    }
  }
};
GlobalObjects globals;

}  // namespace

const TClassInfo& TApplication::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TApplication>("TApplication", &TComponent::StaticClassInfo())
                                     .Prop("Title", &TApplication::Title, &TApplication::SetTitle)
                                     .Build();
  return info;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  WideString name = ExtractFileName(GetExecutablePath());
  WideString ext = ExtractFileExt(name);
  title_ = WideToFileName(name.substr(0, name.size() - ext.size()));
}

TApplication::~TApplication() {
  Destroying();
  if (hintTimer_) KillTimer(nullptr, hintTimer_);
  DestroyComponents();
  DestroyHandle();
}

HICON TApplication::IconHandle() {
  if (!iconLoaded_) {
    iconLoaded_ = true;
    icon_ = LoadIconW(GetModuleHandleW(nullptr), u"MAINICON");  // shared: never destroyed
  }
  return icon_;
}

void TApplication::Initialize() {
  // Without a display nobody can answer a dialog: batch runs must not wait for one.
  nonInteractive_ = CurrentDisplay().IsHeadless();
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) SetWindowTextA(handle_, title.c_str());
}

std::string TApplication::ExeName() const { return WideToFileName(GetExecutablePath()); }

HWND TApplication::Handle() {
  if (handle_) return handle_;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  if (!GetClassInfoExW(instance, u"TApplication", &existing)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = u"TApplication";
    RegisterClassExW(&wc);
  }
  std::u16string title = Utf8ToWide(title_);
  handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, u"TApplication", title.c_str(), WS_POPUP | WS_CAPTION, 0, 0, 0, 0,
                            nullptr, nullptr, instance, nullptr);
  return handle_;
}

void TApplication::DestroyHandle() {
  if (handle_) {
    DestroyWindow(handle_);
    handle_ = nullptr;
  }
}

void TApplication::Run() {
  if (mainForm_ && ShowMainForm && !terminated_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  TrackMouse(msg);
  if (!IsKeyMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (!released_.empty()) {
    std::vector<TCustomForm*> forms;
    forms.swap(released_);
    for (TCustomForm* f : forms) {
      bool alive = false;
      for (int i = 0; Screen && i < Screen->FormCount(); ++i)
        if (Screen->Forms(i) == f) alive = true;
      if (alive) f->Free();
    }
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  try {
    if (!ProcessMessage(msg)) {
      if (OnIdle) OnIdle(this);
      if (!terminated_) WaitMessage();
    }
  } catch (const std::exception& e) {
    HandleException(this, e);
  }
}

bool TApplication::IsKeyMsg(MSG& msg) {
  UINT m = msg.message;
  if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_KEYUP && m != WM_SYSKEYUP && m != WM_CHAR && m != WM_SYSCHAR)
    return false;
  if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) CancelHint();
  TWinControl* c = FindVCLWindow(msg.hwnd);
  if (!c) return false;
  TMessage cm{CN_BASE + m, msg.wParam, msg.lParam, 0};
  if (c->WindowProc) c->WindowProc(cm);
  if (cm.Result) return true;
  msg.wParam = cm.WParam;
  return false;
}

void TApplication::HandleException(TObject* sender, const std::exception& e) {
  if (OnException) {
    OnException(sender, e);
  } else {
    ShowException(e);
  }
}

void TApplication::ShowException(const std::exception& e) {
  std::string message = e.what();
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  MessageBoxForm(message, title_, mtError);
}

// ---- Mouse tracking and hints ----

void TApplication::SetShowHint(bool v) {
  showHint_ = v;
  if (!v) CancelHint();
}

void TApplication::SetMouseControl(TControl* control) {
  if (control == mouseControl_) return;
  TControl* old = mouseControl_;
  mouseControl_ = control;
  if (control) control->FreeNotification(this);
  if (old) old->Perform(CM_MOUSELEAVE);
  if (control && mouseControl_ == control) control->Perform(CM_MOUSEENTER);
}

void TApplication::MouseLeft(TControl* control) {
  if (!control) return;
  if (control == mouseControl_) {
    SetMouseControl(nullptr);
  } else {
    control->Perform(CM_MOUSELEAVE);
  }
}

void TApplication::TrackMouse(const MSG& msg) {
  switch (msg.message) {
    case WM_MOUSEMOVE: {
      TControl* c = FindVCLWindow(msg.hwnd);
      // A control without a window under the mouse is the one the mouse is over.
      if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleIfAllocated() == msg.hwnd)
        if (TControl* inner = w->ControlAtPos(TPoint{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)}, false))
          c = inner;
      SetMouseControl(c);
      if (c != hintControl_) {
        bool wasShown = hintShown_;
        HideHint();
        hintControl_ = c;
        if (c) {
          c->FreeNotification(this);
          bool recent = wasShown || (lastHintHidden_ && GetTickCount() - lastHintHidden_ < 500);
          StartHintTimer(recent ? HintShortPause : HintPause);
        }
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_MOUSEWHEEL:
      CancelHint();
      break;
    default:
      break;
  }
}

void TApplication::StartHintTimer(int ms) {
  if (hintTimer_) KillTimer(nullptr, hintTimer_);
  hintTimer_ = SetTimer(nullptr, 0, static_cast<UINT>(std::max(ms, 10)), &TApplication::CALLBACK_HintTimer);
}

void TApplication::CALLBACK_HintTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (Application) Application->HintTimerExpired();
}

void TApplication::HintTimerExpired() {
  if (hintTimer_) {
    KillTimer(nullptr, hintTimer_);
    hintTimer_ = 0;
  }
  if (hintShown_) {
    HideHint();
    return;
  }
  TControl* c = hintControl_;
  if (!c || !showHint_ || !c->ShowHint() || c->Hint().empty()) return;
  POINT p{};
  GetCursorPos(&p);
  if (FindVCLWindow(WindowFromPoint(p)) != c) return;
  if (!hintWindow_) {
    hintWindow_ = CreateComponent<THintWindow>(this);
    hintWindow_->FreeNotification(this);
  }
  hintWindow_->SetColor(HintColor);
  TRect r = hintWindow_->CalcHintRect(Screen ? Screen->WorkAreaRect().Width() / 3 : 400, c->Hint());
  OffsetRect(r, p.x, p.y + 20);
  hintWindow_->ActivateHint(r, c->Hint());
  hintShown_ = true;
  StartHintTimer(HintHidePause);
}

void TApplication::HideHint() {
  if (hintShown_) lastHintHidden_ = GetTickCount();
  hintShown_ = false;
  if (hintWindow_) hintWindow_->ReleaseHandle();
}

void TApplication::CancelHint() {
  if (hintTimer_) {
    KillTimer(nullptr, hintTimer_);
    hintTimer_ = 0;
  }
  HideHint();
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove) {
    if (component == mouseControl_) mouseControl_ = nullptr;
    if (component == hintControl_) {
      hintControl_ = nullptr;
      if (hintTimer_ && !hintShown_) {
        KillTimer(nullptr, hintTimer_);
        hintTimer_ = 0;
      }
    }
    if (component == hintWindow_) {
      hintWindow_ = nullptr;
      hintShown_ = false;
    }
    if (component == mainForm_) mainForm_ = nullptr;
  }
  TComponent::Notification(component, operation);
}

void TApplication::ModalStarted(TCustomForm* form) {
  CancelHint();
  if (OnModalBegin) OnModalBegin(form);
}

void TApplication::ModalFinished(TCustomForm* form) {
  if (OnModalEnd) OnModalEnd(form);
}

void TApplication::FormDestroyed(TCustomForm* form) {
  if (form == mainForm_) mainForm_ = nullptr;
  released_.erase(std::remove(released_.begin(), released_.end(), form), released_.end());
}

void TApplication::QueueRelease(TCustomForm* form) {
  if (std::find(released_.begin(), released_.end(), form) == released_.end()) released_.push_back(form);
}

void DoneApplication() {
  if (!Application) return;
  Application->CancelHint();
  Application->DestroyComponents();
  Application->mainForm_ = nullptr;
  Application->DestroyHandle();
  if (Screen) Screen->SetCursor(crDefault);
}

void RecreateApplication() {
  DoneApplication();
  if (Application) Application->Free();
  // Forms that someone else owns keep the screen object; a fresh one starts empty.
  if (Screen) Screen->Free();
  Screen = new TScreen(nullptr);
  Application = new TApplication(nullptr);
}
