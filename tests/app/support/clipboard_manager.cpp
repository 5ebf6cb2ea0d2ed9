#include "tests/app/support/clipboard_manager.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>

namespace apptest {

namespace {

void Reply(::Display* dpy, const XSelectionRequestEvent& r, Atom property) {
  XSelectionEvent e{};
  e.type = SelectionNotify;
  e.display = dpy;
  e.requestor = r.requestor;
  e.selection = r.selection;
  e.target = r.target;
  e.property = property;
  e.time = r.time;
  XSendEvent(dpy, r.requestor, False, 0, reinterpret_cast<XEvent*>(&e));
  XFlush(dpy);
}

}  // namespace

TestClipboardManager::TestClipboardManager() {
  thread_ = std::thread([this] { Run(); });
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!started_ && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

TestClipboardManager::~TestClipboardManager() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::optional<std::string> TestClipboardManager::Kept() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return kept_;
}

void TestClipboardManager::Run() {
  ::Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    started_ = true;
    return;
  }
  const Window win = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
  const Atom manager = XInternAtom(dpy, "CLIPBOARD_MANAGER", False);
  const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
  const Atom saveTargets = XInternAtom(dpy, "SAVE_TARGETS", False);
  const Atom targets = XInternAtom(dpy, "TARGETS", False);
  const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
  const Atom fetched = XInternAtom(dpy, "TEST_MANAGER_TEXT", False);
  XSetSelectionOwner(dpy, manager, win, CurrentTime);
  running_ = XGetSelectionOwner(dpy, manager) == win;
  started_ = true;
  std::optional<XSelectionRequestEvent> saving;  // the SAVE_TARGETS request being answered
  std::string text;
  while (!stop_) {
    while (XPending(dpy)) {
      XEvent ev;
      XNextEvent(dpy, &ev);
      if (ev.type == SelectionRequest) {
        const XSelectionRequestEvent& r = ev.xselectionrequest;
        const Atom prop = r.property != None ? r.property : r.target;
        if (r.selection == manager && r.target == saveTargets && !saving) {
          ++saves_;
          saving = r;
          XConvertSelection(dpy, clipboard, utf8, fetched, win, CurrentTime);
          XFlush(dpy);
        } else if (r.selection == manager && r.target == targets) {
          Atom list[] = {targets, saveTargets};
          XChangeProperty(dpy, r.requestor, prop, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(list), 2);
          Reply(dpy, r, prop);
        } else if (r.selection == clipboard && r.target == targets) {
          Atom list[] = {targets, utf8, XA_STRING};
          XChangeProperty(dpy, r.requestor, prop, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(list), 3);
          Reply(dpy, r, prop);
        } else if (r.selection == clipboard && (r.target == utf8 || r.target == XA_STRING)) {
          XChangeProperty(dpy, r.requestor, prop, r.target, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
          Reply(dpy, r, prop);
        } else {
          Reply(dpy, r, None);
        }
      } else if (ev.type == SelectionNotify && saving) {
        Atom property = None;
        if (ev.xselection.property != None) {
          Atom type = None;
          int format = 0;
          unsigned long count = 0, after = 0;
          unsigned char* data = nullptr;
          if (XGetWindowProperty(dpy, win, fetched, 0, 1 << 20, True, AnyPropertyType, &type, &format, &count, &after,
                                 &data) == Success &&
              data && format == 8) {
            text.assign(reinterpret_cast<char*>(data), count);
            {
              std::lock_guard<std::mutex> lock(mutex_);
              kept_ = text;
            }
            XSetSelectionOwner(dpy, clipboard, win, CurrentTime);
            property = saving->property != None ? saving->property : saving->target;
          }
          if (data) XFree(data);
        }
        Reply(dpy, *saving, property);
        saving.reset();
      }
    }
    pollfd p{ConnectionNumber(dpy), POLLIN, 0};
    poll(&p, 1, 10);
  }
  XDestroyWindow(dpy, win);
  XCloseDisplay(dpy);
}

}  // namespace apptest
