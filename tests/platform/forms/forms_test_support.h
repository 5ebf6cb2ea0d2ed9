// Helpers of the forms tests: a fresh application on a headless display for every test,
// input sent as the user would, and a form class read from a description with every control.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/button.h"
#include "platform/forms/check_box.h"
#include "platform/forms/edit.h"
#include "platform/forms/form.h"
#include "platform/forms/label.h"
#include "platform/forms/open_dialog.h"
#include "platform/forms/progress_bar.h"
#include "platform/user/user_display.h"

namespace formstest {

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Handles every message waiting (several rounds, so that posted follow-ups are handled too).
  void Pump();
  // Handles messages for about `ms` milliseconds (timers).
  void PumpFor(int ms);
  // A click in the middle of a control (or at a point of it), as the mouse gives it.
  void ClickOn(TControl* c);
  void ClickAt(TControl* c, int x, int y);
  void DoubleClickOn(TControl* c);
  void MoveOver(TControl* c);
  // A key pressed and released (with the character it types).
  void Key(unsigned vk, char32_t ch = 0);
  void Type(const std::string& ascii);
  // Ctrl (or Shift) held around a key.
  void CtrlKey(char letter);
  void ShiftKey(unsigned vk);
  // The colour (0x00RRGGBB) of a point of a control's client area on the screen.
  std::uint32_t PixelOf(TControl* c, int x, int y);

  display::HeadlessDisplay* screen = nullptr;
};

// A form of the test's own, freed after the test.
class OwnFormTest : public FormsTest {
 protected:
  void TearDown() override;
  // A form read from the description, filled by `fill` (when given) and shown.
  void ShowDescribed(const char* description, const std::function<void(TForm*)>& fill = {});
  // An empty form at (50, 50), 400 x 300, not shown yet.
  void NewPlainForm();

  TComponentPtr<TForm> form;
};

// 0x00RRGGBB of a colour value (system colours resolved).
std::uint32_t ScreenColor(TColor c);

// A test component that streams its own data as a binary property: a 32-bit count and that
// many bytes, as the skin component stores its packed skin.
class TStreamWidget : public TComponent {
 public:
  explicit TStreamWidget(TComponent* owner) : TComponent(owner) {}
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  void DefineProperties(TFiler& filer) override;
  void Loaded() override;
  bool Active() const { return active_; }
  void SetActive(bool v) { active_ = v; }
  std::string data;
  bool loadedWithData = false;

 private:
  bool active_ = false;
};

// A form class as an application writes one: published controls and handlers.
class TTestForm : public TForm {
 public:
  explicit TTestForm(TComponent* owner) : TForm(owner) {}
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TEdit* Edit1 = nullptr;
  TEdit* Edit2 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TCheckBox* CheckBox2 = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TStreamWidget* Widget1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void Edit1DblClick(TObject* Sender);
  void Edit1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void Edit1Exit(TObject* Sender);
  void Edit1Change(TObject* Sender);

  // What happened, in order ("Create", "Activate", "Button1Click", ...). A pointer so that
  // the log outlives the form (OnDestroy writes into it).
  std::vector<std::string>* log = nullptr;
  std::function<void()> onButton1;
  void Log(const std::string& s) {
    if (log) log->push_back(s);
  }
};

extern const char* const kTestFormText;

// Creates the test form from kTestFormText, logging into `log`.
TTestForm* MakeTestForm(std::vector<std::string>* log, std::string_view text = kTestFormText);

}  // namespace formstest
