// The dialogs driven by keys on the headless display: message dialogs (restyled as the
// application restyles them), the plain message box, the open-file dialog over a temporary
// folder (filter list, typed patterns, folders, cancel) and the folder dialog.
#include <gmock/gmock.h>

#include <deque>

#include "platform/forms/folder_dialog.h"
#include "platform/forms/hint_window.h"
#include "platform/forms/list_box.h"
#include "platform/forms/message_dialog.h"
#include "platform/forms/screen.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/system_metrics.h"
#include "platform/gdi/text.h"
#include "platform/rtl/files.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "tests/platform/forms/forms_test_support.h"
#include "tests/support/test_support.h"

namespace formstest {
namespace {

using ::testing::ElementsAre;

// Steps run one at a time whenever the modal loop has nothing to do, so that each step sees
// what the previous one's input did. A dialog left open after the last step is cancelled and
// the test fails instead of hanging.
class Script {
 public:
  explicit Script(std::deque<std::function<void()>> steps) : steps_(std::move(steps)) {
    Application->OnIdle = [this](TObject*) { Next(); };
  }
  ~Script() { Application->OnIdle = nullptr; }
  bool Done() const { return steps_.empty(); }

 private:
  void Next() {
    if (!steps_.empty()) {
      auto step = std::move(steps_.front());
      steps_.pop_front();
      step();
      idle_ = 0;
      return;
    }
    if (++idle_ > 100) {
      ADD_FAILURE() << "a dialog was left open";
      if (Screen->ActiveForm()) Screen->ActiveForm()->SetModalResult(mrCancel);
    }
  }
  std::deque<std::function<void()>> steps_;
  int idle_ = 0;
};

// A key typed, with Alt held or not.
struct TypedKey {
  unsigned vk;
  char32_t ch = 0;
  bool alt = false;
};

class Dialogs : public FormsTest {
 protected:
  void Press(unsigned vk, char32_t ch = 0) { screen->TypeKey(vk, ch); }
  void Press(const TypedKey& key) {
    if (key.alt) screen->PressKey(VK_MENU);
    screen->TypeKey(key.vk, key.ch);
    if (key.alt) screen->ReleaseKey(VK_MENU);
  }
  void Text(const std::string& s) {
    for (char c : s) {
      unsigned vk = (c >= 'a' && c <= 'z') ? unsigned(c - 32) : unsigned(static_cast<unsigned char>(c));
      if (c == '.') vk = 0xBE;
      if (c == '*') vk = VK_MULTIPLY;
      if (c == '/') vk = 0xBF;
      screen->TypeKey(vk, static_cast<char32_t>(c));
    }
  }
  TCustomForm* Active() { return Screen->ActiveForm(); }
};

TEST_F(Dialogs, MessageDialogLayoutAndRestyling) {
  TComponentPtr<TMessageForm> d(CreateMessageDialog("2 images in /data/\rshall be scanned", mtInformation, mbYesNo));
  EXPECT_EQ(d->ClassName(), "TMessageForm");
  EXPECT_EQ(d->Caption(), "Information");
  auto* yes = dynamic_cast<TButton*>(d->FindComponent("Yes"));
  auto* no = dynamic_cast<TButton*>(d->FindComponent("No"));
  auto* message = dynamic_cast<TLabel*>(d->FindComponent("Message"));
  ASSERT_TRUE(yes && no && message);
  EXPECT_EQ(yes->Caption(), "&Yes");
  EXPECT_EQ(no->Caption(), "&No");
  EXPECT_TRUE(yes->Default());
  EXPECT_TRUE(no->Cancel());
  EXPECT_EQ(message->Caption(), "2 images in /data/\rshall be scanned");
  // The buttons sit side by side, centred, below the text.
  EXPECT_EQ(yes->Top(), no->Top());
  EXPECT_GT(yes->Top(), message->Top() + message->Height());
  EXPECT_NEAR(yes->Left() + (no->Left() + no->Width() - yes->Left()) / 2, d->ClientWidth() / 2, 1);
  // Restyled before showing: font, white background, blue text, a fifth wider.
  d->Font()->SetName("MS Sans Serif");
  d->Font()->SetSize(8);
  d->SetColor(clWhite);
  d->Font()->SetColor(clBlue);
  int width = d->Width();
  d->SetWidth(width * 12 / 10);
  EXPECT_EQ(d->Width(), width * 12 / 10);
  EXPECT_EQ(message->Font()->Color(), clBlue);  // the label follows the form's font
  EXPECT_EQ(message->Color(), clWhite);
  std::uint32_t background = 0;
  bool blueText = false;
  Script script({[&] {
    background = PixelOf(d.get(), d->ClientWidth() - 3, 3);
    for (int x = 0; x < message->Width(); ++x)
      for (int y = 0; y < message->Height(); ++y) {
        std::uint32_t px = PixelOf(message, x, y);
        if ((px & 0xFF) > 0xB0 && (px >> 16) < 0x60) blueText = true;
      }
    Press(VK_TAB, U'\t');
  }, [&] { Press(VK_RETURN, U'\r'); }});
  EXPECT_EQ(d->ShowModal(), mrNo);
  EXPECT_EQ(background, 0xFFFFFFu);
  EXPECT_TRUE(blueText);
  EXPECT_FALSE(d->Visible());
}

TEST_F(Dialogs, MessageDialogAnswersByKey) {
  struct Case {
    TMsgDlgButtons buttons;
    std::vector<TypedKey> keys;
    TModalResult expected;
  } cases[] = {
      {mbYesNo, {{VK_RETURN, U'\r'}}, mrYes},
      {mbYesNo, {{VK_ESCAPE, 27}}, mrNo},
      {mbYesNo, {{VK_RIGHT, 0}, {VK_SPACE, U' '}}, mrNo},
      {MsgDlgButton(mbOK), {{VK_ESCAPE, 27}}, mrOk},
      {mbOKCancel, {{VK_ESCAPE, 27}}, mrCancel},
      {mbYesNoCancel, {{VK_TAB, U'\t'}, {VK_TAB, U'\t'}, {VK_RETURN, U'\r'}}, mrCancel},
      // The underlined letters, with Alt and alone (the focus is on a button), in either case.
      {mbYesNo, {{'N', U'n', true}}, mrNo},
      {mbYesNo, {{'Y', U'y', true}}, mrYes},
      {mbYesNo, {{'N', U'n'}}, mrNo},
      {mbYesNo, {{'N', U'N'}}, mrNo},
      {mbYesNo, {{VK_RIGHT, 0}, {'Y', U'y'}}, mrYes},
      {mbYesNoCancel, {{'N', U'n', true}}, mrNo},
      {mbAbortRetryIgnore, {{'R', U'r'}}, mrRetry},
      {mbAbortRetryIgnore, {{'I', U'i', true}}, mrIgnore},
      {mbAbortRetryIgnore, {{'A', U'a', true}}, mrAbort},
      // A letter no button has answers nothing; the box still takes Enter.
      {mbYesNo, {{'Q', U'q', true}, {'Q', U'q'}, {VK_RETURN, U'\r'}}, mrYes},
  };
  for (const auto& c : cases) {
    std::deque<std::function<void()>> steps;
    for (const auto& key : c.keys) steps.push_back([this, key] { Press(key); });
    Script script(std::move(steps));
    EXPECT_EQ(MessageDlg("Going on?", mtConfirmation, c.buttons), c.expected);
    EXPECT_TRUE(script.Done());
  }
}

// Long paths in the question and the error box, at the screen sizes users have: the text is
// wrapped to fit (a path broken at its separators, a name without any anywhere), and the
// box, its buttons and the hint over such a path stay on the screen.
TEST_F(Dialogs, MessageBoxesAndHintsWithLongPathsFitTheScreen) {
  std::string deep, longest = "/srv";  // a 330-byte folder path, a 770-character one
  while (deep.size() < 320) deep += "/Archiv-" + std::to_string(deep.size());
  while (longest.size() < 760) longest += "/abcdefghij" + std::to_string(longest.size() % 7);
  const std::string texts[] = {"3001 images in " + deep + "/Fotos/\rshall be scanned\rand the matching ones will be copied. Going on?",
                               "Error while creating directory " + longest + "/image.jpg.",
                               "The file " + std::string(400, 'x') + ".jpg could not be read."};
  for (auto [w, h] : {std::pair{800, 600}, std::pair{1280, 1024}, std::pair{1920, 1080}}) {
    screen = UseHeadlessDisplay(w, h);
    ASSERT_NE(screen, nullptr);
    auto inside = [&](const TRect& r) { return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h; };
    for (const std::string& text : texts) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + ": " + text.substr(0, 40));
      TComponentPtr<TMessageForm> d(CreateMessageDialog(text, mtInformation, mbYesNo));
      d->Font()->SetName("MS Sans Serif");  // restyled as the program restyles it
      d->SetWidth(d->Width() * 12 / 10);
      auto* label = dynamic_cast<TLabel*>(d->FindComponent("Message"));
      auto* no = dynamic_cast<TButton*>(d->FindComponent("No"));
      TRect box{}, button{}, needed{0, 0, label->Width(), 0};
      Script script({[&] {
        box = d->BoundsRect();
        const TPoint p = no->ClientToScreen(TPoint{no->Width(), no->Height()});
        button = TRect{p.x - no->Width(), p.y - no->Height(), p.x, p.y};
        // The text as the label lays it out in its own width.
        HDC dc = GetDC(label->Handle());
        HGDIOBJ old = SelectObject(dc, label->Font()->Handle());
        DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(label->Handle(), dc);
        Press(VK_ESCAPE, 27);
      }});
      d->ShowModal();
      EXPECT_TRUE(inside(box) && inside(button)) << box.left << "," << box.top << " " << box.Width() << "x" << box.Height();
      EXPECT_LE(box.Width(), w * 3 / 4);
      EXPECT_LE(needed.Width(), label->Width());
      EXPECT_LE(needed.Height(), label->Height());
    }
    // The hint over the path field: a third of the screen wide at most, and on the screen even
    // where the mouse is at its far corner.
    TComponentPtr<THintWindow> hint(CreateComponent<THintWindow>(Application));
    TRect r = hint->CalcHintRect(w / 3, longest);
    EXPECT_LE(r.Width(), w / 3 + 6);
    OffsetRect(r, w - 10, h - 10);
    hint->ActivateHint(r, longest);
    RECT shown{};
    GetWindowRect(hint->Handle(), &shown);
    EXPECT_TRUE(inside(shown)) << shown.left << "," << shown.top << " " << shown.right << "," << shown.bottom;
  }
}

TEST_F(Dialogs, ShowMessageIsAnOkBoxTitledWithTheApplication) {
  std::string caption, text;
  Script script({[&] {
    auto* m = dynamic_cast<TMessageForm*>(Active());
    ASSERT_NE(m, nullptr);
    caption = m->Caption();
    text = m->Message();
    EXPECT_EQ(m->FindComponent("Yes"), nullptr);
    EXPECT_NE(m->FindComponent("OK"), nullptr);
    Press(VK_RETURN, U'\r');
  }});
  ShowMessage("3 imagefiles out of 7 files\rare matching to the pattern and were copied to ...\r/tmp/x/");
  EXPECT_EQ(caption, "Velmora");
  EXPECT_EQ(text, "3 imagefiles out of 7 files\rare matching to the pattern and were copied to ...\r/tmp/x/");
}

TEST_F(Dialogs, WithoutAnyoneToAnswerModalFormsDoNotWait) {
  Application->SetNonInteractive(true);
  testing::internal::CaptureStderr();
  ShowMessage("Process ended ...");
  TModalResult r = MessageDlg("Going on?", mtConfirmation, mbYesNo);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(r, mrNo);  // the cancel button's answer
  EXPECT_NE(err.find("Process ended ..."), std::string::npos);
  EXPECT_NE(err.find("Going on?"), std::string::npos);
}

class OpenDialogs : public Dialogs {
 protected:
  void SetUp() override {
    Dialogs::SetUp();
    for (const char* f : {"b.JPG", "a.jpg", "c.png", "Z.jpg", "notes.txt", ".hidden.jpg"})
      testsupport::WriteFile(dir.File(f), "x");
    CreateDir(Utf8ToWide(dir.File("sub")));
    CreateDir(Utf8ToWide(dir.File("Alpha")));
    testsupport::WriteFile(dir.File("sub/inner.jpg"), "x");
    dlg = CreateComponent<TOpenDialog>(Application);
    dlg->SetFilter("JPG-files|*.JPG|PNG-files|*.PNG|All|*.JPG;*.PNG");
    dlg->SetOptions(OpenOption(ofPathMustExist) | OpenOption(ofFileMustExist) | OpenOption(ofEnableSizing));
    dlg->SetInitialDir(dir.path());
  }
  TOpenDialogForm* Form() { return dlg->DialogForm(); }
  std::vector<std::string> Shown() { return Form() ? Form()->Shown() : std::vector<std::string>{}; }

  testsupport::TempDir dir;
  TOpenDialog* dlg = nullptr;
};

TEST_F(OpenDialogs, ListsFoldersThenMatchingFilesSortedAndChoosesATypedName) {
  std::vector<std::string> first;
  Script script({[&] {
    first = Shown();
    EXPECT_TRUE(Form()->FileNameEdit->Focused());
    EXPECT_EQ(Form()->Caption(), "Open");
    Text("b.JPG");
    Press(VK_RETURN, U'\r');
  }});
  ASSERT_TRUE(dlg->Execute());
  EXPECT_THAT(first, ElementsAre("../", "Alpha/", "sub/", "a.jpg", "b.JPG", "Z.jpg"));
  EXPECT_EQ(dlg->FileName(), dir.File("b.JPG"));
  ASSERT_EQ(dlg->Files()->Count(), 1);
  EXPECT_EQ((*dlg->Files())[0], dir.File("b.JPG"));
}

TEST_F(OpenDialogs, FilterListTypedPatternsAndCancel) {
  std::vector<std::string> png, all, typed;
  Script script({
      [&] {
        // The filter list is third in tab order: file name, Open, file types.
        Press(VK_TAB, U'\t');
        Press(VK_TAB, U'\t');
        Press(VK_DOWN);
      },
      [&] {
        EXPECT_EQ(Active()->ActiveControl(), Form()->TypeList);
        png = Shown();
        Press(VK_DOWN);
      },
      [&] {
        all = Shown();
        for (int i = 0; i < 4; ++i) Press(VK_TAB, U'\t');  // Cancel, list, path, round to the file name
        Text("*.txt");
        Press(VK_RETURN, U'\r');
      },
      [&] {
        EXPECT_EQ(Active()->ActiveControl(), Form()->FileNameEdit);
        typed = Shown();
        Press(VK_ESCAPE, 27);
      },
  });
  EXPECT_FALSE(dlg->Execute());
  EXPECT_THAT(png, ElementsAre("../", "Alpha/", "sub/", "c.png"));
  EXPECT_THAT(all, ElementsAre("../", "Alpha/", "sub/", "a.jpg", "b.JPG", "c.png", "Z.jpg"));
  EXPECT_THAT(typed, ElementsAre("../", "Alpha/", "sub/", "notes.txt"));
  EXPECT_EQ(dlg->FileName(), "");
}

// The underlined letters: with Alt each reaches its control wherever the focus is; alone
// only where the focus is on a button (in the file name they are typed).
TEST_F(OpenDialogs, AccessKeysReachTheirControls) {
  std::vector<std::string> focused;
  std::string typed;
  auto note = [&] { focused.push_back(Active()->ActiveControl()->Name()); };
  Script script({
      [&] { Press({'T', U't', true}); },
      [&] {
        note();
        Press({'I', U'i', true});
      },
      [&] {
        note();
        Press({'N', U'n', true});
      },
      [&] {
        note();
        Text("bot");  // letters of Open and of the labels, typed into the name
      },
      [&] {
        typed = Form()->FileNameEdit->Text();
        Form()->FileNameEdit->SetText("b.JPG");
        Form()->CancelButton->SetFocus();
        Press({'O', U'o'});
      },
  });
  ASSERT_TRUE(dlg->Execute());
  EXPECT_THAT(focused, ElementsAre("TypeList", "PathEdit", "FileNameEdit"));
  EXPECT_EQ(typed, "bot");
  EXPECT_EQ(dlg->FileName(), dir.File("b.JPG"));

  // Alt+O opens from the list too.
  Script again({[&] {
    Form()->FileList->SetFocus();
    Form()->FileNameEdit->SetText("a.jpg");
    Press({'O', U'o', true});
  }});
  ASSERT_TRUE(dlg->Execute());
  EXPECT_EQ(dlg->FileName(), dir.File("a.jpg"));
}

TEST_F(OpenDialogs, FoldersAreEnteredFromTheListAndMissingFilesRefused) {
  std::string folder, warned;
  std::vector<std::string> inner;
  Application->OnModalBegin = [&](TObject* f) {
    // The warning about a missing file, answered with Enter.
    if (auto* m = dynamic_cast<TMessageForm*>(f)) {
      warned = m->Message();
      screen->TypeKey(VK_RETURN, U'\r');
    }
  };
  Script script({
      [&] {
        Text("missing.jpg");
        Press(VK_RETURN, U'\r');
      },
      [&] {
        EXPECT_NE(Form(), nullptr);  // still open
        // Into the list: Shift+Tab from the file name goes to the path, once more to the list.
        Form()->FileList->SetFocus();
        Press(VK_DOWN);  // ../
        Press(VK_DOWN);  // Alpha/
        Press(VK_DOWN);  // sub/
        Press(VK_RETURN, U'\r');
      },
      [&] {
        folder = Form()->Folder();
        inner = Shown();
        Press(VK_DOWN);  // inner.jpg (after ../ which is selected)
      },
      [&] {
        EXPECT_EQ(Form()->FileNameEdit->Text(), "inner.jpg");
        Press(VK_RETURN, U'\r');
      },
  });
  ASSERT_TRUE(dlg->Execute());
  EXPECT_NE(warned.find("File not found."), std::string::npos);
  EXPECT_EQ(folder, dir.File("sub/"));
  EXPECT_THAT(inner, ElementsAre("../", "inner.jpg"));
  EXPECT_EQ(dlg->FileName(), dir.File("sub/inner.jpg"));
}

// A name that is not UTF-8 (Latin-1) is listed with a placeholder and chosen with its bytes.
TEST_F(OpenDialogs, ANameThatIsNotUtf8IsChosenWithItsBytes) {
  testsupport::WriteFile(dir.File("caf\xE9.jpg"), "x");
  std::vector<std::string> shown;
  std::string typed;
  Script script({
      [&] {
        shown = Shown();
        Form()->FileList->SetFocus();
        for (int i = 0; i < 6; ++i) Press(VK_DOWN);  // ../ Alpha/ sub/ a.jpg b.JPG caf?.jpg
      },
      [&] {
        typed = Form()->FileNameEdit->Text();
        Press(VK_RETURN, U'\r');
      },
  });
  ASSERT_TRUE(dlg->Execute());
  EXPECT_THAT(shown, ElementsAre("../", "Alpha/", "sub/", "a.jpg", "b.JPG", "caf\xEF\xBF\xBD.jpg", "Z.jpg"));
  EXPECT_EQ(typed, "caf\xE9.jpg");
  EXPECT_EQ(dlg->FileName(), dir.File("caf\xE9.jpg"));
}

TEST_F(OpenDialogs, BackspaceGoesUpAndAFolderNameIsEntered) {
  std::string up, typedFolder;
  Script script({
      [&] {
        Form()->FileList->SetFocus();
        Press(VK_BACK, 8);
      },
      [&] {
        up = Form()->Folder();
        Form()->FileNameEdit->SetFocus();
        Form()->FileNameEdit->SetText(dir.File("sub"));
        Press(VK_RETURN, U'\r');
      },
      [&] {
        typedFolder = Form()->Folder();
        Press(VK_ESCAPE, 27);
      },
  });
  EXPECT_FALSE(dlg->Execute());
  EXPECT_EQ(up, WideToUtf8(ExtractFilePath(Utf8ToWide(dir.path()))));
  EXPECT_EQ(typedFolder, dir.File("sub/"));
}

// With ofEnableSizing the dialog is sized by dragging its corner, never below the size it
// opens at, and its list grows with it; a name longer than the list is wide is scrolled into
// view with the list's horizontal bar. Without the option the frame stays as it is.
TEST_F(OpenDialogs, TheDialogIsSizedByItsFrameAndLongNamesScrollIntoView) {
  const std::string longName = "holiday_" + std::string(120, 'w') + "_end.jpg";
  testsupport::WriteFile(dir.File(longName), "x");
  for (bool sizing : {true, false})
    for (const TPoint drag : {TPoint{160, 120}, TPoint{-90, -70}}) {
      SCOPED_TRACE(std::string(sizing ? "sizable" : "fixed") + " by " + std::to_string(drag.x));
      dlg->SetOptions(sizing ? OpenOption(ofEnableSizing) : OpenOption(ofFileMustExist));
      TRect before, after, listBefore, listAfter;
      int row = -1, inkBefore = -1, inkAfter = -1, clientWidth = 0;
      // The rightmost inked column of the long name's row, inside the list.
      auto rightmostInk = [&] {
        HWND h = Form()->FileList->Handle();
        RECT r{};
        SendMessageW(h, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        int last = -1;
        for (int y = r.top + 1; y < r.bottom - 1; ++y)
          for (int x = 0; x < r.right; ++x) {
            const TPoint p = Form()->FileList->ClientToScreen(TPoint{x, y});
            if (screen->ScreenPixel(p.x, p.y) != 0xFFFFFF) last = std::max(last, x);
          }
        return last;
      };
      Script script({
          [&] {
            before = Form()->BoundsRect();
            listBefore = Form()->FileList->BoundsRect();
            // The bottom right corner, dragged.
            screen->MoveMouse(before.right - 2, before.bottom - 2);
            screen->PressButton(display::MouseButton::Left);
            screen->MoveMouse(before.right - 2 + drag.x / 2, before.bottom - 2 + drag.y / 2);
            screen->MoveMouse(before.right - 2 + drag.x, before.bottom - 2 + drag.y);
            screen->ReleaseButton(display::MouseButton::Left);
          },
          [&] {
            after = Form()->BoundsRect();
            listAfter = Form()->FileList->BoundsRect();
            const auto& shown = Form()->Shown();
            row = static_cast<int>(std::find(shown.begin(), shown.end(), longName) - shown.begin());
            Form()->FileList->SetTopIndex(row);
          },
          [&] {
            inkBefore = rightmostInk();
            // Clicks on the horizontal bar left of its right arrow page to the right.
            RECT w{};
            GetWindowRect(Form()->FileList->Handle(), &w);
            const int y = w.bottom - 2 - GetSystemMetrics(SM_CYHSCROLL) / 2;
            const int x = w.right - 2 - GetSystemMetrics(SM_CYHSCROLL) - 6;
            for (int i = 0; i < 12; ++i) screen->Click(x, y);
          },
          [&] {
            inkAfter = rightmostInk();
            clientWidth = Form()->FileList->ClientWidth();
            Press(VK_ESCAPE, 27);
          },
      });
      EXPECT_FALSE(dlg->Execute());
      const bool grows = sizing && drag.x > 0;
      EXPECT_EQ(after.Width() - before.Width(), grows ? drag.x : 0);
      EXPECT_EQ(after.Height() - before.Height(), grows ? drag.y : 0);
      EXPECT_EQ(listAfter.Width() - listBefore.Width(), grows ? drag.x : 0);
      EXPECT_EQ(listAfter.Height() - listBefore.Height(), grows ? drag.y : 0);
      // Cut at the list's edge at first; scrolled, its end in view inside the rows' margin.
      EXPECT_EQ(inkBefore, clientWidth - 1);
      EXPECT_GT(inkAfter, clientWidth / 2);
      EXPECT_LE(inkAfter, clientWidth - 3);
    }
}

class FolderDialogs : public Dialogs {
 protected:
  void SetUp() override {
    Dialogs::SetUp();
    CreateDir(Utf8ToWide(dir.File("photos")));
    CreateDir(Utf8ToWide(dir.File("photos/2020")));
    CreateDir(Utf8ToWide(dir.File("zeta")));
    testsupport::WriteFile(dir.File("file.jpg"), "x");
    dlg = CreateComponent<TBrowseFolderDialog>(Application);
    dlg->SetTitle("Which directory shall be used for comparing images?");
    dlg->SetFolder(dir.path());
  }
  TBrowseFolderForm* Form() { return dlg->DialogForm(); }
  testsupport::TempDir dir;
  TBrowseFolderDialog* dlg = nullptr;
};

TEST_F(FolderDialogs, OkReturnsTheStartingFolderOrTheSelectedSubfolder) {
  std::vector<std::string> shown;
  std::string caption, title;
  Script script({[&] {
    shown = Form()->Shown();
    caption = Form()->Caption();
    title = Form()->TitleLabel->Caption();
    Press(VK_RETURN, U'\r');
  }});
  ASSERT_TRUE(dlg->Execute());
  EXPECT_EQ(dlg->Folder(), dir.path());
  EXPECT_THAT(shown, ElementsAre("../", "photos/", "zeta/"));  // folders only
  EXPECT_EQ(caption, "Browse For Folder");
  EXPECT_EQ(title, "Which directory shall be used for comparing images?");

  Script again({[&] {
    Press(VK_DOWN);  // ../
    Press(VK_DOWN);  // photos/
    Press(VK_RETURN, U'\r');
  }});
  ASSERT_TRUE(dlg->Execute());
  EXPECT_EQ(dlg->Folder(), dir.File("photos"));
}

TEST_F(FolderDialogs, ArrowsEnterAndLeaveFoldersAndCancelKeepsTheFolder) {
  std::string inside, back;
  Script script({
      [&] {
        Press(VK_DOWN);
        Press(VK_DOWN);   // photos/
        Press(VK_RIGHT);  // into it
      },
      [&] {
        inside = Form()->Folder();
        Press(VK_LEFT);  // back up, photos/ selected again
      },
      [&] {
        back = Form()->Folder();
        EXPECT_EQ(Form()->FolderList->ItemIndex(), 1);
        Press(VK_ESCAPE, 27);
      },
  });
  EXPECT_FALSE(dlg->Execute());
  EXPECT_EQ(inside, dir.File("photos/"));
  EXPECT_EQ(back, dir.path() + "/");
  EXPECT_EQ(dlg->Folder(), dir.path());
}

// Entering a folder by a double click on its row or by Right enters that one folder and
// leaves no row selected: OK returns the folder the path shows, or a row picked inside it.
TEST_F(FolderDialogs, AnEnteredFolderIsReturnedUnlessARowIsPickedInside) {
  CreateDir(Utf8ToWide(dir.File("photos/2020/jan")));
  CreateDir(Utf8ToWide(dir.File("photos/2021")));
  for (bool byMouse : {true, false}) {
    for (int picks : {0, 1, 2}) {
      SCOPED_TRACE(std::string(byMouse ? "double click" : "Right") + ", rows picked inside: " + std::to_string(picks));
      std::string inside, path;
      int selected = -2;
      Script script({
          [&] {
            if (byMouse) {
              RECT r{};
              SendMessageW(Form()->FolderList->Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
              const TPoint p = Form()->FolderList->ClientToScreen(TPoint{r.left + 20, (r.top + r.bottom) / 2});
              screen->Click(p.x, p.y);
              screen->Click(p.x, p.y);
            } else {
              Press(VK_DOWN);   // ../
              Press(VK_DOWN);   // photos/
              Press(VK_RIGHT);  // into it
            }
          },
          [&] {
            inside = Form()->Folder();
            path = Form()->PathEdit->Text();
            selected = Form()->FolderList->ItemIndex();
            for (int i = 0; i < picks; ++i) Press(VK_DOWN);  // ../, then 2020/
            Press(VK_RETURN, U'\r');
          },
      });
      ASSERT_TRUE(dlg->Execute());
      EXPECT_EQ(inside, dir.File("photos/"));
      EXPECT_EQ(path, dir.File("photos"));
      EXPECT_EQ(selected, -1);
      EXPECT_EQ(dlg->Folder(), picks == 2 ? dir.File("photos/2020") : dir.File("photos"));
      dlg->SetFolder(dir.path());
    }
  }
}

TEST_F(FolderDialogs, FilesEditBoxNewFolderAndRoot) {
  dlg->SetIncludeFiles(true);
  dlg->SetShowEditBox(true);
  dlg->SetRoot(dir.path());
  std::vector<std::string> shown;
  Script script({
      [&] {
        shown = Form()->Shown();
        ASSERT_NE(Form()->NewFolderButton, nullptr);
        Form()->NewFolderButton->Click();
        Form()->NewFolderButton->Click();
      },
      [&] {
        EXPECT_TRUE(DirectoryExists(Utf8ToWide(dir.File("New Folder"))));
        EXPECT_TRUE(DirectoryExists(Utf8ToWide(dir.File("New Folder (2)"))));
        Form()->PathEdit->SetFocus();
        Form()->PathEdit->SetText("photos/2020");
        Press(VK_RETURN, U'\r');
      },
  });
  ASSERT_TRUE(dlg->Execute());
  EXPECT_THAT(shown, ElementsAre("photos/", "zeta/", "file.jpg"));  // at the root: no ../
  EXPECT_EQ(dlg->Folder(), dir.File("photos/2020"));
}

// Alt+M makes a new folder wherever the focus is, M alone where the focus is on a button; in
// the list M is the list's own key.
TEST_F(FolderDialogs, MakeNewFolderByItsAccessKey) {
  const std::string second = dir.File("New Folder (2)");
  bool afterAlt = false, afterListM = true;
  Script script({
      [&] { Press({'M', U'm', true}); },
      [&] {
        afterAlt = DirectoryExists(Utf8ToWide(dir.File("New Folder")));
        Form()->FolderList->SetFocus();
        Press({'M', U'm'});
      },
      [&] {
        afterListM = DirectoryExists(Utf8ToWide(second));
        Form()->OKButton->SetFocus();
        Press({'M', U'm'});
      },
      [&] { Press(VK_ESCAPE, 27); },
  });
  EXPECT_FALSE(dlg->Execute());
  EXPECT_TRUE(afterAlt);
  EXPECT_FALSE(afterListM);
  EXPECT_TRUE(DirectoryExists(Utf8ToWide(second)));
}

TEST_F(FolderDialogs, AMissingStartFolderStartsAtTheRoot) {
  dlg->SetFolder(dir.File("nowhere"));
  dlg->SetRoot(dir.File("photos"));
  dlg->SetAllowNewFolder(false);
  std::string start;
  Script script({[&] {
    start = Form()->Folder();
    EXPECT_EQ(Form()->NewFolderButton, nullptr);
    Press(VK_ESCAPE, 27);
  }});
  EXPECT_FALSE(dlg->Execute());
  EXPECT_EQ(start, dir.File("photos/"));
}

}  // namespace
}  // namespace formstest
