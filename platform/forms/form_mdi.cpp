// The MDI side of forms: an MDI form's client window and what its window leaves to
// DefFrameProc, an MDI child made by its client (WM_MDICREATE) and what it leaves to
// DefMDIChildProc.
#include <functional>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/user/hooks.h"
#include "platform/user/mdi.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

namespace {

// The form whose client holds new MDI children: the main form, else the first MDI form on the
// screen.
TCustomForm* MdiFrame() {
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  if (main && main->FormStyle() == fsMDIForm) return main;
  for (int i = 0; Screen && i < Screen->FormCount(); ++i)
    if (Screen->Forms(i)->FormStyle() == fsMDIForm) return Screen->Forms(i);
  return nullptr;
}

// While an MDI child's window is being made, the window is the form's from the creation hook on,
// so that whoever looks at it before the client returns it (other creation hooks) finds the form.
struct ChildCreation {
  const MDICREATESTRUCTW* params = nullptr;
  HHOOK hook = nullptr;
  std::function<void(HWND)> take;
};
std::vector<ChildCreation*> creations;

LRESULT TakeOnCreate(int code, WPARAM wParam, LPARAM lParam) {
  ChildCreation* c = creations.empty() ? nullptr : creations.back();
  if (c && code == HCBT_CREATEWND) {
    const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    if (cs && cs->lpCreateParams == c->params && c->take) {
      c->take(reinterpret_cast<HWND>(wParam));
      c->take = nullptr;
    }
  }
  return CallNextHookEx(c ? c->hook : nullptr, code, wParam, lParam);
}

}  // namespace

TCustomForm* TCustomForm::ActiveMDIChild() const {
  if (!clientHandle_) return nullptr;
  return dynamic_cast<TCustomForm*>(FindControl(reinterpret_cast<HWND>(SendMessageW(clientHandle_, WM_MDIGETACTIVE, 0, 0))));
}

void TCustomForm::Tile() {
  if (clientHandle_) SendMessageW(clientHandle_, WM_MDITILE, MDITILE_VERTICAL, 0);
}

void TCustomForm::CreateClient() {
  HWND h = HandleIfAllocated();
  if (formStyle_ != fsMDIForm || !h || clientHandle_) return;
  RECT r{};
  GetClientRect(h, &r);
  CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
  clientHandle_ = CreateWindowExW(WS_EX_CLIENTEDGE, u"MDIClient", nullptr,
                                  WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                                      WS_HSCROLL | WS_VSCROLL | MDIS_ALLCHILDSTYLES,
                                  0, 0, r.right, r.bottom, h, nullptr, GetModuleHandleW(nullptr), &ccs);
}

HWND TCustomForm::MdiParentWindow() {
  TCustomForm* frame = MdiFrame();
  if (frame && frame != this) frame->HandleNeeded();
  if (!frame || frame == this || !frame->ClientHandle())
    throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
  return frame->ClientHandle();
}

HWND TCustomForm::CreateWindowHandle(const TCreateParams& p, const std::u16string& className, HMENU id) {
  if (formStyle_ != fsMDIChild) return TWinControl::CreateWindowHandle(p, className, id);
  MDICREATESTRUCTW mcs{className.c_str(), p.Caption.c_str(), GetModuleHandleW(nullptr), p.X, p.Y, p.Width, p.Height,
                       p.Style | (windowState_ == wsMaximized ? WS_MAXIMIZE : 0), 0};
  ChildCreation creation{&mcs, nullptr, [this](HWND h) { TakeWindow(h); }};
  creation.hook = SetWindowsHookExW(WH_CBT, TakeOnCreate, nullptr, GetCurrentThreadId());
  creations.push_back(&creation);
  HWND h = reinterpret_cast<HWND>(SendMessageW(p.WndParent, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  creations.pop_back();
  if (creation.hook) UnhookWindowsHookEx(creation.hook);
  return h;
}

void TCustomForm::DestroyWindowHandle() {
  HWND h = HandleIfAllocated();
  HWND client = h ? GetParent(h) : nullptr;
  // The client hands the activation on to the next child.
  if (formStyle_ == fsMDIChild && client && (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_MDICHILD)) {
    SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(h), 0);
    if (!IsWindow(h)) return;
  }
  TWinControl::DestroyWindowHandle();
}

void TCustomForm::DefaultHandler(TMessage& m) {
  HWND h = HandleIfAllocated();
  if (h && clientHandle_) {
    m.Result = DefFrameProcW(h, clientHandle_, m.Msg, m.WParam, m.LParam);
    return;
  }
  if (h && formStyle_ == fsMDIChild) {
    m.Result = DefMDIChildProcW(h, m.Msg, m.WParam, m.LParam);
    return;
  }
  TWinControl::DefaultHandler(m);
}
