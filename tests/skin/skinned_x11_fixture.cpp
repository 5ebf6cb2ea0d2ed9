#include "tests/skin/skinned_x11_fixture.h"

#include "platform/display/display.h"
#include "platform/forms/application.h"
#include "platform/forms/standard_classes.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"
#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "tests/skin/flat_skin.h"
#include "tests/support/test_support.h"

namespace skintest {

void X11Application::StartOnX(bool packsSkins) {
  if (!server.available()) GTEST_SKIP() << "needs Xvfb";
  if (!testsupport::HaveTool("xdotool")) GTEST_SKIP() << "needs xdotool";
  if (packsSkins && !testsupport::HaveTool("/usr/bin/python3")) GTEST_SKIP() << "needs python3 for the skin packer";
  RecreateApplication();
  auto x11 = display::OpenX11Display();
  if (!x11) GTEST_SKIP() << "needs an X display";
  ASSERT_TRUE(UseDisplay(std::move(x11)));
  Application->Initialize();
  Application->SetTitle("Velmora");
  RegisterStandardClasses();
  RegisterSkinClasses();
}

void X11Application::TearDown() {
  FreeSkinManager();
  SetSkinManagerFactory(nullptr);
  // The application's own window lives on the X display too: it goes first, so that the X
  // connection can be let go before the server is. A display still in use would outlive its
  // server, and closing it later ends the process inside Xlib.
  RecreateApplication();
  EXPECT_NE(UseHeadlessDisplay(), nullptr) << "a window still lives on the X display";
}

void X11Application::Pump() {
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}

std::string X11Application::Xdo(const std::string& args) {
  auto out = displaytest::RunWhileServing("xdotool " + args, Pump, 20000);
  EXPECT_TRUE(out.has_value()) << args;
  displaytest::ServeFor(300, Pump);
  return out.value_or("");
}

uint32_t X11Application::Shot(int x, int y) {
  return displaytest::ScreenshotPixel(x, y).value_or(0xFF000000u);
}

uint32_t X11Application::Shot(HWND h, int x, int y) {
  RECT r{};
  GetWindowRect(h, &r);
  return Shot(r.left + x, r.top + y);
}

MenuLoopSteps::~MenuLoopSteps() { Stop(); }

void MenuLoopSteps::Start(std::vector<Step> steps) {
  steps_ = std::move(steps);
  next_ = 0;
  timer_.reset(CreateComponent<TTimer>(nullptr));
  timer_->SetInterval(700);
  timer_->SetOnTimer([this](TObject*) {
    if (next_ >= steps_.size()) {
      timer_->SetEnabled(false);
      return;
    }
    auto shot = displaytest::TakeScreenshot();
    std::string action = "key Escape";
    if (shot) action = steps_[next_](*shot);
    ++next_;
    displaytest::RunWhileServing("xdotool " + action, [] {}, 20000);
  });
  timer_->SetEnabled(true);
}

void MenuLoopSteps::Stop() { timer_.reset(); }

void SkinnedX11Form::ShowOnX(const char* description, std::initializer_list<const char*> skin3rd,
                             const std::function<void(TForm*)>& fill) {
  StartOnX();
  if (IsSkipped() || HasFatalFailure()) return;
  UseSkinManage();
  sd = LoadedSkinData(flatskin::FlatSkin());
  ASSERT_TRUE(sd->Ready());
  for (const char* line : skin3rd) sd->Skin3rd()->Add(line);
  sd->SetActive(true);
  sd->Loaded();
  form = new TForm(Application);
  form->SetDescription(description);
  form->AfterConstruction();
  if (fill) fill(form);
  form->Show();
  displaytest::ServeFor(600, Pump);
  ASSERT_NE(SkinManage()->FindForm(form->Handle()), nullptr);
}

void SkinnedX11Form::TearDown() {
  if (form) form->Free();
  form = nullptr;
  Pump();
  sd.reset();
  X11Application::TearDown();
}

}  // namespace skintest
