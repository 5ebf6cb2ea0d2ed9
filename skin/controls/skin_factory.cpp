#include "skin/controls/skin_factory.h"

#include <cstring>
#include <functional>

#include "skin/controls/skin_boxes.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_box.h"
#include "skin/controls/skin_edit.h"
#include "skin/controls/skin_progress.h"
#include "skin/controls/skin_up_down.h"

std::unique_ptr<TSkinControl> CreateSkinner(const char* className, int) {
  struct Entry {
    const char* name;
    std::function<std::unique_ptr<TSkinControl>()> make;
  };
  static const Entry kEntries[] = {
      {"TSkinButton", [] { return std::make_unique<TSkinButton>(); }},
      {"TSkinCheckBox", [] { return std::make_unique<TSkinCheckBox>(); }},
      {"TSkinRadioButton", [] { return std::make_unique<TSkinRadioButton>(); }},
      {"TSkinProgress", [] { return std::make_unique<TSkinProgress>(); }},
      {"TSkinEdit", [] { return std::make_unique<TSkinEdit>(); }},
      {"TSkinBox", [] { return std::make_unique<TSkinBox>(); }},
      {"TSkinBoxH", [] { return std::make_unique<TSkinBoxH>(); }},
      {"TSkinSizer", [] { return std::make_unique<TSkinSizer>(); }},
      {"TSkinGroupBox", [] { return std::make_unique<TSkinGroupBox>(); }},
      {"TSkinMenuButton", [] { return std::make_unique<TSkinMenuButton>(); }},
      {"TSkinUpDown", [] { return std::make_unique<TSkinUpDown>(); }},
  };
  if (!className) return nullptr;
  for (const Entry& e : kEntries)
    if (std::strcmp(e.name, className) == 0) return e.make();
  return nullptr;
}
