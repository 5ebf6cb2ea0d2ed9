#include "skin/controls/skin_factory.h"

#include <cstring>
#include <functional>

#include "skin/controls/skin_bit_button.h"
#include "skin/controls/skin_boxes.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_box.h"
#include "skin/controls/skin_combo_box.h"
#include "skin/controls/skin_date_time.h"
#include "skin/controls/skin_edit.h"
#include "skin/controls/skin_header.h"
#include "skin/controls/skin_media_player.h"
#include "skin/controls/skin_obj_image.h"
#include "skin/controls/skin_progress.h"
#include "skin/controls/skin_scroll_bar.h"
#include "skin/controls/skin_status_bar.h"
#include "skin/controls/skin_tab.h"
#include "skin/controls/skin_track_bar.h"
#include "skin/controls/skin_up_down.h"

std::unique_ptr<TSkinControl> CreateSkinner(const char* className, int mode) {
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
      {"TSkinScrollbar", [] { return std::make_unique<TSkinScrollbar>(); }},
      {"TSkinListView", [] { return std::make_unique<TSkinListView>(); }},
      {"TSkinScrollbarH", [] { return std::make_unique<TSkinScrollbarH>(); }},
      {"TSkinScControl", [] { return std::make_unique<TSkinScControl>(); }},
      {"TSkinComBox", [] { return std::make_unique<TSkinComBox>(); }},
      {"TSkinTab", [] { return std::make_unique<TSkinTab>(); }},
      {"TSkinTab31", [] { return std::make_unique<TSkinTab31>(); }},
      {"TSkinTabBtn", [] { return std::make_unique<TSkinTabBtn>(); }},
      {"TSkinTabSheet", [] { return std::make_unique<TSkinTabSheet>(); }},
      {"TSkinTrackBar", [] { return std::make_unique<TSkinTrackBar>(); }},
      {"TSkinStatusBar", [] { return std::make_unique<TSkinStatusBar>(); }},
      {"TSkinHeader", [] { return std::make_unique<TSkinHeader>(); }},
      {"TSkinSpeedButton", [] { return std::make_unique<TSkinSpeedButton>(); }},
      {"TSkinDateTime", [] { return std::make_unique<TSkinDateTime>(); }},
      {"TSkinMP", [] { return std::make_unique<TSkinMP>(); }},
  };
  if (!className) return nullptr;
  if (std::strcmp(className, "TSkinBitButton") == 0) {
    auto button = std::make_unique<TSkinBitButton>();
    if (mode == 1) button->GlyphProperty = "PngImage";
    return button;
  }
  if (std::strcmp(className, "TSkinObjImage") == 0) {
    auto image = std::make_unique<TSkinObjImage>();
    image->Mode = mode;
    return image;
  }
  if (std::strcmp(className, "TSkinAdvPage") == 0) {
    auto page = std::make_unique<TSkinAdvPage>();
    page->Mode = mode;
    return page;
  }
  for (const Entry& e : kEntries) {
    if (std::strcmp(e.name, className) != 0) continue;
    auto made = e.make();
    // A single scroll bar draws no border of its own.
    if (mode == 1 && std::strcmp(className, "TSkinScrollbar") == 0) made->NoMouseForward = 1;
    return made;
  }
  return nullptr;
}
