// Windows on an X server of the test's own, for tests that drive them with XTest (xdotool) as a
// person would and probe screenshots; among them a form wearing the flat test skin.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/form.h"
#include "platform/forms/timer.h"
#include "tests/skin/skin_test_support.h"
#include "tests/support/screen_test_support.h"

namespace skintest {

// An application on an X server of the test's own, the standard and the skin classes registered;
// the headless display and a fresh application come back afterwards.
class X11Application : public ::testing::Test {
 protected:
  // Skips the test without Xvfb or xdotool, or without python3 when the test packs skins.
  void StartOnX(bool packsSkins = true);
  void TearDown() override;
  static void Pump();
  // Runs xdotool with the arguments while the program serves its messages; what it printed.
  std::string Xdo(const std::string& args);
  static std::string Point(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }
  // A screenshot's pixel (0x00RRGGBB) at a screen point, or at a point of a window.
  uint32_t Shot(int x, int y);
  uint32_t Shot(HWND h, int x, int y);

  displaytest::PrivateXServer server;
};

// Steps run by a timer while a menu loop runs, each with a screenshot of the screen; what a step
// answers, xdotool does. Done() tells how many steps ran.
class MenuLoopSteps {
 public:
  using Step = std::function<std::string(const displaytest::Screenshot&)>;
  ~MenuLoopSteps();
  void Start(std::vector<Step> steps);
  void Stop();
  size_t Done() const { return next_; }

 private:
  TComponentPtr<TTimer> timer_;
  std::vector<Step> steps_;
  size_t next_ = 0;
};

class SkinnedX11Form : public X11Application {
 protected:
  void TearDown() override;
  // Shows the form of the description, skinned, with the Skin3rd lines added first and the form
  // filled by `fill` before it shows. Skips the test without Xvfb, xdotool or python3.
  void ShowOnX(const char* description, std::initializer_list<const char*> skin3rd,
               const std::function<void(TForm*)>& fill = {});
  template <class T>
  T* Find(const char* name) {
    return dynamic_cast<T*>(form->FindComponent(name));
  }

  SkinDataPtr sd;
  TForm* form = nullptr;
};

// 0x00RRGGBB of a colour, as screenshots give them.
inline uint32_t Rrggbb(TColor c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

}  // namespace skintest
