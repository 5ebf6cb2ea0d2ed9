// The CLIPBOARD selection of the X11 back end: owning it with text offered as UTF8_STRING,
// STRING and TEXT, answering other programs' requests, reading another owner's text, and
// handing owned text to a clipboard manager before the program ends.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <optional>
#include <string>

namespace display {

class X11Selection {
 public:
  explicit X11Selection(::Display* dpy);
  ~X11Selection();
  X11Selection(const X11Selection&) = delete;
  X11Selection& operator=(const X11Selection&) = delete;

  void Own(std::string utf8);
  void Disown();
  bool Owns() const { return owned_; }
  // Takes the selection events meant for it; false for every other event.
  bool Handle(XEvent& ev);
  // `pump` reads pending X events (and so calls Handle) while a reply is awaited.
  std::optional<std::string> Read(const std::function<void()>& pump);
  // Asks the clipboard manager to keep the owned text; true once it answered that it did.
  bool Persist(const std::function<void()>& pump);

 private:
  void Serve(const XSelectionRequestEvent& r);
  bool WaitForNotify(const std::function<void()>& pump, int timeoutMs);

  ::Display* dpy_;
  Window window_;
  Atom clipboard_, targets_, utf8_, textAtom_, timestamp_, property_, incr_, manager_, saveTargets_;
  std::string text_;
  size_t maxReply_ = 0;  // the largest text one reply can carry
  bool owned_ = false;
  bool notified_ = false;
  Atom notifiedSelection_ = None;
  Atom notifiedProperty_ = None;
};

}  // namespace display
