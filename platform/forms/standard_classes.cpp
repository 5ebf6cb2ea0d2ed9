#include "platform/forms/standard_classes.h"

#include "platform/forms/bit_btn.h"
#include "platform/forms/button.h"
#include "platform/forms/check_box.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/date_time_picker.h"
#include "platform/forms/edit.h"
#include "platform/forms/folder_dialog.h"
#include "platform/forms/form.h"
#include "platform/forms/label.h"
#include "platform/forms/list_box.h"
#include "platform/forms/list_view.h"
#include "platform/forms/media_player.h"
#include "platform/forms/menus.h"
#include "platform/forms/open_dialog.h"
#include "platform/forms/page_control.h"
#include "platform/forms/progress_bar.h"
#include "platform/forms/scroll_bar.h"
#include "platform/forms/tab_set.h"
#include "platform/forms/timer.h"
#include "platform/forms/track_bar.h"

void RegisterStandardClasses() {
  static const bool done = [] {
    for (const TClassInfo* c :
         {&TForm::StaticClassInfo(), &TButton::StaticClassInfo(), &TCheckBox::StaticClassInfo(),
          &TEdit::StaticClassInfo(), &TLabel::StaticClassInfo(), &TListBox::StaticClassInfo(),
          &TProgressBar::StaticClassInfo(), &TScrollBar::StaticClassInfo(), &TComboBox::StaticClassInfo(),
          &TListView::StaticClassInfo(), &TTimer::StaticClassInfo(), &TMainMenu::StaticClassInfo(),
          &TPopupMenu::StaticClassInfo(), &TMenuItem::StaticClassInfo(), &TOpenDialog::StaticClassInfo(),
          &TBrowseFolderDialog::StaticClassInfo(), &TTabControl::StaticClassInfo(), &TPageControl::StaticClassInfo(),
          &TTabSheet::StaticClassInfo(), &TTrackBar::StaticClassInfo(), &TBitBtn::StaticClassInfo(),
          &TSpeedButton::StaticClassInfo(), &TDateTimePicker::StaticClassInfo(), &TTabSet::StaticClassInfo(),
          &TMediaPlayer::StaticClassInfo()})
      RegisterClass(*c);
    return true;
  }();
  (void)done;
}
