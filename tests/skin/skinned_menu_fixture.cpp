#include "tests/skin/skinned_menu_fixture.h"

#include "platform/user/window.h"
#include "skin/menus/win_skin_pop_menu.h"
#include "skin/skin_manage.h"

namespace skintest {

void SkinnedMenuForm::TearDown() {
  // The timer goes before the form so that no step runs on a form being destroyed.
  timer_.reset();
  SkinnedFormFixture::TearDown();
}

void SkinnedMenuForm::Schedule(std::vector<std::function<void()>> steps) {
  steps_ = std::move(steps);
  next_ = 0;
  timer_.reset(CreateComponent<TTimer>(nullptr));
  timer_->SetInterval(30);
  timer_->SetOnTimer([this](TObject*) {
    if (next_ < steps_.size()) steps_[next_++]();
    if (next_ >= steps_.size()) timer_->SetEnabled(false);
  });
  timer_->SetEnabled(true);
}

TColor SkinnedMenuForm::ClientAt(HWND h, int x, int y) const {
  POINT p{x, y};
  ClientToScreen(h, &p);
  return ScreenAt(p.x, p.y);
}

TColor SkinnedMenuForm::WindowAt(HWND h, int x, int y) const {
  RECT r{};
  GetWindowRect(h, &r);
  return ScreenAt(r.left + x, r.top + y);
}

HWND OpenPopup(size_t index) {
  const auto& popups = SkinManage()->Popups();
  return index < popups.size() ? popups[index]->Window : nullptr;
}

HWND NewestPopup() {
  const auto& popups = SkinManage()->Popups();
  return popups.empty() ? nullptr : popups.back()->Window;
}

}  // namespace skintest
