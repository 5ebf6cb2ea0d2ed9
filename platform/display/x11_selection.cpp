#include "platform/display/x11_selection.h"

#include <X11/Xatom.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace display {

namespace {

// Replies larger than this would need the incremental protocol; they are refused.
constexpr size_t kMaxReplyBytes = size_t{8} << 20;

// UTF-8 to Latin-1 for the STRING target; characters beyond Latin-1 become '?'.
std::string Latin1(const std::string& utf8, bool* lossless) {
  std::string out;
  *lossless = true;
  for (size_t i = 0; i < utf8.size();) {
    auto c = static_cast<unsigned char>(utf8[i]);
    char32_t cp = c;
    size_t n = 1;
    if (c >= 0xc0 && c < 0xe0 && i + 1 < utf8.size()) {
      cp = ((c & 0x1f) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3f);
      n = 2;
    } else if (c >= 0xe0 && c < 0xf0) {
      cp = 0x10000;  // beyond Latin-1 whatever it is
      n = 3;
    } else if (c >= 0xf0) {
      cp = 0x10000;
      n = 4;
    }
    if (cp > 0xff) {
      *lossless = false;
      out.push_back('?');
    } else {
      out.push_back(static_cast<char>(cp));
    }
    i += n;
  }
  return out;
}

std::string Utf8FromLatin1(const std::string& latin1) {
  std::string out;
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xc0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
  }
  return out;
}

}  // namespace

X11Selection::X11Selection(::Display* dpy) : dpy_(dpy) {
  window_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), -10, -10, 1, 1, 0, 0, 0);
  XSelectInput(dpy_, window_, PropertyChangeMask);
  clipboard_ = XInternAtom(dpy_, "CLIPBOARD", False);
  targets_ = XInternAtom(dpy_, "TARGETS", False);
  utf8_ = XInternAtom(dpy_, "UTF8_STRING", False);
  textAtom_ = XInternAtom(dpy_, "TEXT", False);
  timestamp_ = XInternAtom(dpy_, "TIMESTAMP", False);
  property_ = XInternAtom(dpy_, "VELMORA_SELECTION", False);
  incr_ = XInternAtom(dpy_, "INCR", False);
  manager_ = XInternAtom(dpy_, "CLIPBOARD_MANAGER", False);
  saveTargets_ = XInternAtom(dpy_, "SAVE_TARGETS", False);
  // One reply is one request; a server without big requests takes far less than our limit.
  long units = XExtendedMaxRequestSize(dpy_);
  if (units <= 0) units = XMaxRequestSize(dpy_);
  size_t serverLimit = units > 256 ? static_cast<size_t>(units) * 4 - 1024 : 0;
  maxReply_ = std::min(kMaxReplyBytes, serverLimit);
}

X11Selection::~X11Selection() { XDestroyWindow(dpy_, window_); }

void X11Selection::Own(std::string utf8) {
  text_ = std::move(utf8);
  XSetSelectionOwner(dpy_, clipboard_, window_, CurrentTime);
  owned_ = XGetSelectionOwner(dpy_, clipboard_) == window_;
  XFlush(dpy_);
}

void X11Selection::Disown() {
  if (owned_ && XGetSelectionOwner(dpy_, clipboard_) == window_) XSetSelectionOwner(dpy_, clipboard_, None, CurrentTime);
  owned_ = false;
  text_.clear();
}

bool X11Selection::Handle(XEvent& ev) {
  if (ev.xany.window != window_) return false;
  switch (ev.type) {
    case SelectionRequest:
      Serve(ev.xselectionrequest);
      return true;
    case SelectionClear:
      // Giving the selection up and taking it again at once (emptying the clipboard, then
      // filling it) leaves the notice of the first step queued behind the second: only an owner
      // the server no longer names has lost it.
      if (ev.xselectionclear.selection == clipboard_ && XGetSelectionOwner(dpy_, clipboard_) != window_) {
        owned_ = false;
        text_.clear();
      }
      return true;
    case SelectionNotify:
      notified_ = true;
      notifiedSelection_ = ev.xselection.selection;
      notifiedProperty_ = ev.xselection.property;
      return true;
    default:
      return true;  // property changes of our own window
  }
}

void X11Selection::Serve(const XSelectionRequestEvent& r) {
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = dpy_;
  reply.requestor = r.requestor;
  reply.selection = r.selection;
  reply.target = r.target;
  reply.property = None;
  reply.time = r.time;
  Atom prop = r.property != None ? r.property : r.target;
  if (r.selection == clipboard_ && owned_ && text_.size() <= maxReply_) {
    bool lossless = true;
    std::string latin1;
    if (r.target == targets_) {
      Atom list[] = {targets_, utf8_, XA_STRING, textAtom_, timestamp_};
      XChangeProperty(dpy_, r.requestor, prop, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(list), 5);
      reply.property = prop;
    } else if (r.target == utf8_ || (r.target == textAtom_ && (Latin1(text_, &lossless), !lossless))) {
      XChangeProperty(dpy_, r.requestor, prop, utf8_, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text_.data()), static_cast<int>(text_.size()));
      reply.property = prop;
    } else if (r.target == XA_STRING || r.target == textAtom_) {
      latin1 = Latin1(text_, &lossless);
      XChangeProperty(dpy_, r.requestor, prop, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(latin1.data()), static_cast<int>(latin1.size()));
      reply.property = prop;
    } else if (r.target == timestamp_) {
      long now = CurrentTime;
      XChangeProperty(dpy_, r.requestor, prop, XA_INTEGER, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(&now), 1);
      reply.property = prop;
    }
  }
  XSendEvent(dpy_, r.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
  XFlush(dpy_);
}

bool X11Selection::WaitForNotify(const std::function<void()>& pump, int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!notified_) {
    pump();
    if (notified_) break;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    XFlush(dpy_);
    pollfd p{ConnectionNumber(dpy_), POLLIN, 0};
    poll(&p, 1, static_cast<int>(std::min<long long>(left, 20)));
  }
  return true;
}

std::optional<std::string> X11Selection::Read(const std::function<void()>& pump) {
  if (owned_) return text_;
  if (XGetSelectionOwner(dpy_, clipboard_) == None) return std::nullopt;
  for (Atom target : {utf8_, static_cast<Atom>(XA_STRING)}) {
    notified_ = false;
    XDeleteProperty(dpy_, window_, property_);
    XConvertSelection(dpy_, clipboard_, target, property_, window_, CurrentTime);
    XFlush(dpy_);
    if (!WaitForNotify(pump, 1000)) return std::nullopt;
    if (notifiedProperty_ == None) continue;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy_, window_, property_, 0, static_cast<long>(kMaxReplyBytes / 4), True,
                           AnyPropertyType, &type, &format, &count, &after, &data) != Success)
      return std::nullopt;
    std::string bytes;
    if (data && format == 8) bytes.assign(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    if (type == incr_ || format != 8) return std::nullopt;  // incremental transfers are not read
    return target == utf8_ ? bytes : Utf8FromLatin1(bytes);
  }
  return std::nullopt;
}

bool X11Selection::Persist(const std::function<void()>& pump) {
  if (!owned_ || XGetSelectionOwner(dpy_, manager_) == None) return false;
  notified_ = false;
  notifiedSelection_ = None;
  // The property names the targets the manager is to keep; its reply names the property on
  // success and None when it did not keep them.
  Atom keep[] = {utf8_, XA_STRING};
  XChangeProperty(dpy_, window_, property_, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(keep), 2);
  XConvertSelection(dpy_, manager_, saveTargets_, property_, window_, CurrentTime);
  XFlush(dpy_);
  // The manager asks for the text meanwhile; Handle answers it.
  if (!WaitForNotify(pump, 2000) || notifiedSelection_ != manager_ || notifiedProperty_ == None) return false;
  // The manager owns the text now; asking it again at exit would only ask it for its own.
  owned_ = false;
  return true;
}

}  // namespace display
