// TForm1: class information and the event handlers of the main window.
#include "app/tarnwick1.h"

#include "app/compare_run.h"
#include "app/config.h"
#include "app/console.h"
#include "app/footprint_analysis.h"
#include "app/master_footprint.h"
#include "app/program_exit.h"
#include "app/shell_integration.h"
#include "platform/forms/application.h"
#include "platform/forms/button.h"
#include "platform/forms/check_box.h"
#include "platform/forms/edit.h"
#include "platform/forms/label.h"
#include "platform/forms/open_dialog.h"
#include "platform/forms/progress_bar.h"
#include "platform/forms/screen.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/strings.h"
#include "platform/user/user_display.h"

namespace Tarnwick1 {

TForm1* Form1 = nullptr;

std::string FolderPart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithTrailingSeparator(const std::string& text) {
  const std::string trimmed = Trim(text);
  if (text.size() >= 3 && (trimmed.empty() || trimmed.back() != '/')) return text + "/";
  return text;
}

}  // namespace Tarnwick1

using namespace Tarnwick1;

TForm1::TForm1(TComponent* owner) : TForm(owner) {}

TForm1::~TForm1() {
  if (SorterView == this) SorterView = nullptr;
  if (Form1 == this) Form1 = nullptr;
}

const TClassInfo& TForm1::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TForm1>("TForm1", &TForm::StaticClassInfo())
                                     .Field("Button1", &TForm1::Button1)
                                     .Field("Label2", &TForm1::Label2)
                                     .Field("Edit1", &TForm1::Edit1)
                                     .Field("edit_pix", &TForm1::edit_pix)
                                     .Field("Label5", &TForm1::Label5)
                                     .Field("OpenDialog1", &TForm1::OpenDialog1)
                                     .Field("edit_prec", &TForm1::edit_prec)
                                     .Field("Label1", &TForm1::Label1)
                                     .Field("Button2", &TForm1::Button2)
                                     .Field("imgprop", &TForm1::imgprop)
                                     .Field("imgreset", &TForm1::imgreset)
                                     .Field("Button3", &TForm1::Button3)
                                     .Field("Button4", &TForm1::Button4)
                                     .Field("Edit2", &TForm1::Edit2)
                                     .Field("Label3", &TForm1::Label3)
                                     .Field("Button5", &TForm1::Button5)
                                     .Field("SkinData1", &TForm1::SkinData1)
                                     .Field("SkinStore1", &TForm1::SkinStore1)
                                     .Field("imgcomp", &TForm1::imgcomp)
                                     .Field("Edit3", &TForm1::Edit3)
                                     .Field("Label4", &TForm1::Label4)
                                     .Field("Label6", &TForm1::Label6)
                                     .Field("ProgressBar1", &TForm1::ProgressBar1)
                                     .Field("CheckBox1", &TForm1::CheckBox1)
                                     .Field("CheckBox2", &TForm1::CheckBox2)
                                     .Field("CheckBox3", &TForm1::CheckBox3)
                                     .Field("CheckBox4", &TForm1::CheckBox4)
                                     .Field("CheckBox5", &TForm1::CheckBox5)
                                     .Field("CheckBox6", &TForm1::CheckBox6)
                                     .Field("CheckBox7", &TForm1::CheckBox7)
                                     .Field("CheckBox8", &TForm1::CheckBox8)
                                     .Field("CheckBox9", &TForm1::CheckBox9)
                                     .Field("CheckBox10", &TForm1::CheckBox10)
                                     .Field("Edit4", &TForm1::Edit4)
                                     .Field("Button6", &TForm1::Button6)
                                     .Field("Label7", &TForm1::Label7)
                                     .Field("Button7", &TForm1::Button7)
                                     .Field("Button8", &TForm1::Button8)
                                     .Field("CheckBox11", &TForm1::CheckBox11)
                                     .Method("FormCreate", &TForm1::FormCreate)
                                     .Method("FormActivate", &TForm1::FormActivate)
                                     .Method("FormClose", &TForm1::FormClose)
                                     .Method("FormDestroy", &TForm1::FormDestroy)
                                     .Method("Button1Click", &TForm1::Button1Click)
                                     .Method("Button2Click", &TForm1::Button2Click)
                                     .Method("Button3Click", &TForm1::Button3Click)
                                     .Method("Button4Click", &TForm1::Button4Click)
                                     .Method("Button5Click", &TForm1::Button5Click)
                                     .Method("Button6Click", &TForm1::Button6Click)
                                     .Method("Button7Click", &TForm1::Button7Click)
                                     .Method("Button8Click", &TForm1::Button8Click)
                                     .Method("CheckBox9Click", &TForm1::CheckBox9Click)
                                     .Method("Edit1DblClick", &TForm1::Edit1DblClick)
                                     .Method("Edit2DblClick", &TForm1::Edit2DblClick)
                                     .Method("Edit4DblClick", &TForm1::Edit4DblClick)
                                     .Method("Edit1MouseMove", &TForm1::Edit1MouseMove)
                                     .Method("Edit2MouseMove", &TForm1::Edit2MouseMove)
                                     .Method("Edit4MouseMove", &TForm1::Edit4MouseMove)
                                     .Method("imgpropMouseMove", &TForm1::imgpropMouseMove)
                                     .Method("Edit2Exit", &TForm1::Edit2Exit)
                                     .Method("Edit4Exit", &TForm1::Edit4Exit)
                                     .Method("imgresetClick", &TForm1::imgresetClick)
                                     .Creator([](TComponent* owner) { return new TForm1(owner); })
                                     .Build();
  return info;
}

// ---- start and end ----

void TForm1::FormCreate(TObject*) {
  Form1 = this;
  SorterView = this;
  try {
    InitConfigLocation();
    try {
      LoadConfig(*this);
    } catch (const EStreamError& e) {
      // Settings that cannot be read: batch mode has none to run with; the window says so and
      // starts with its defaults (the file is left as it is when the window goes).
      if (Tarnwick1::ConsoleMode()) throw;
      Application->HandleException(this, e);
    }
    if (edit_pix->Text().empty()) edit_pix->SetText("4");
    if (edit_prec->Text().empty()) edit_prec->SetText("75");
    if (!CommandLine().empty()) {
      if (Tarnwick1::ConsoleMode()) {
        ConsoleMode();
      } else {
        TakeFileArgument(CommandLine().front());
      }
    }
    OpenDialog1->SetInitialDir(FolderPart(Edit1->Text()));
  } catch (const std::exception& e) {
    // Batch mode has nobody to show an error to: it goes to standard error and ends the
    // program with a failure status.
    if (Tarnwick1::ConsoleMode()) {
      FailBatch(e.what(), kExitRunError);
    } else {
      Application->HandleException(this, e);
    }
  }
}

void TForm1::ConsoleMode() {
  // The window is never shown; the run happens here and the loop ends at once.
  Application->ShowMainForm = false;
  std::string master;
  try {
    master = MasterFootprint(Edit1->Text());
  } catch (const EUnreadableImage& e) {
    // Comparing against a master that could not be read would run every file against bounds
    // it never had.
    FailBatch(e.what(), kExitMasterError);
    return;
  }
  imgprop->SetText(master);
  if (master.empty()) {
    // The master's problem is already on standard error; comparing against nothing would
    // copy by stale or empty bounds.
    FailBatch("", kExitMasterError);
    return;
  }
  // A signal during the master's analysis: there is no run to start.
  if (!EndRequested()) imgcomp->SetText(CompareRun(Edit2->Text()));
  // A run that a signal stopped ends the program with the signal's status; copies that could
  // not be made and output that was lost (each already told on standard error) fail the run.
  NoteEndFromOutside();
  if (CopyTally.Failed > 0 || ConsoleOutputFailed()) FailBatch("", kExitRunError);
  Application->Terminate();
}

void TForm1::TakeFileArgument(const std::string& argument) {
  // A relative name from a terminal means the file in the current folder.
  const std::string file = WideToFileName(ExpandFileName(FileNameToWide(argument)));
  const std::string d = LongPath(FolderPart(file));
  Edit1->SetText(d + DisplayName(file));
  Edit2->SetText(d);
  Edit4->SetText(d + "compared/");
}

void TForm1::FormActivate(TObject*) { Application->HintHidePause = 5000; }

// Settings that cannot be saved are told, and the program ends all the same: a window that
// could not be closed would keep the person until a signal ends it.
void TForm1::FormClose(TObject*, TCloseAction&) {
  NoteEndFromOutside();
  // An end from outside (a signal, the display gone) has nobody to answer a dialog: the save
  // as the window goes tells a failure on standard error, once.
  if (!EndRequested()) SaveConfigOnTheWayOut(*this, true);
  Application->Terminate();
}

void TForm1::FormDestroy(TObject*) {
  // The window is going away: nothing can show an error any more.
  SaveConfigOnTheWayOut(*this, false);
  Application->Terminate();
}

void TForm1::Button3Click(TObject*) {
  SaveConfigOnTheWayOut(*this, true);
  Application->Terminate();
}

// ---- the work ----

void TForm1::SetWorkButtonsEnabled(bool enabled) {
  Button2->SetEnabled(enabled);
  Button4->SetEnabled(enabled);
  imgreset->SetEnabled(enabled);
}

void TForm1::Button2Click(TObject*) { imgprop->SetText(MasterFootprint(Edit1->Text())); }

bool TForm1::MasterAnalysedForRun() {
  if (MasterIsAnalysed(Edit1->Text(), edit_prec->Text())) return true;
  // Comparing against bounds no master gave would copy by nothing; the master shown is
  // analysed first, as batch mode does.
  const std::string properties = MasterFootprint(Edit1->Text());
  imgprop->SetText(properties);
  return !properties.empty();
}

void TForm1::Button4Click(TObject*) {
  const TCursor remembered = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  // The analysis state is shared: no second run or master analysis while this one pumps
  // the window's messages.
  SetWorkButtonsEnabled(false);
  try {
    // A master that fails its checks has said so in its dialog: nothing is compared or copied.
    if (MasterAnalysedForRun()) imgcomp->SetText(CompareRun(Edit2->Text()));
  } catch (...) {
    SetWorkButtonsEnabled(true);
    Screen->SetCursor(remembered);
    throw;
  }
  SetWorkButtonsEnabled(true);
  Screen->SetCursor(remembered);
}

void TForm1::imgresetClick(TObject*) {
  Edit3->SetText("");
  imgprop->SetText("");
  imgcomp->SetText("");
}

void TForm1::CheckBox9Click(TObject*) {
  const bool all = CheckBox9->Checked();
  for (int box = 1; box <= 8; ++box) Box(box)->SetChecked(all);
}

// ---- files and folders ----

void TForm1::Button1Click(TObject*) {
  OpenDialog1->SetInitialDir(FolderPart(Edit1->Text()));
  if (!OpenDialog1->Execute()) return;
  Edit1->SetText(OpenDialog1->FileName());
  Edit2->SetText(FolderPart(Edit1->Text()));
  const std::string trimmed = Trim(Edit2->Text());
  if (trimmed.empty() || trimmed.back() != '/') Edit2->SetText(Edit2->Text() + "/");
  if (Edit4->Text().empty()) Edit4->SetText(LongPath(FolderPart(Edit1->Text())) + "compared/");
}

void TForm1::Button5Click(TObject*) {
  std::string f = FolderPart(Edit2->Text());
  BrowseForFolder("Which directory shall be used for comparing images?", u"", f, false, false, true);
  Edit2->SetText(WithTrailingSeparator(f));
}

void TForm1::Button6Click(TObject*) {
  std::string f = FolderPart(Edit4->Text());
  BrowseForFolder("To which directory the matching images shall be copied?", u"", f, false, false, true);
  if (!f.empty()) {
    Edit4->SetText(f);
    TargetFolder = f;
  }
  Edit4->SetText(WithTrailingSeparator(Edit4->Text()));
}

void TForm1::Edit2Exit(TObject*) { Edit2->SetText(WithTrailingSeparator(Edit2->Text())); }

void TForm1::Edit4Exit(TObject*) { Edit4->SetText(WithTrailingSeparator(Edit4->Text())); }

void TForm1::Edit1DblClick(TObject*) { OpenInShell(Edit1->Text()); }
void TForm1::Edit2DblClick(TObject*) { OpenInShell(Edit2->Text()); }
void TForm1::Edit4DblClick(TObject*) { OpenInShell(Edit4->Text()); }

void TForm1::ShowOwnText(TEdit* edit) {
  edit->SetHint(edit->Text());
  edit->SetShowHint(true);
}

void TForm1::Edit1MouseMove(TObject*, TShiftState, int, int) { ShowOwnText(Edit1); }
void TForm1::Edit2MouseMove(TObject*, TShiftState, int, int) { ShowOwnText(Edit2); }
void TForm1::Edit4MouseMove(TObject*, TShiftState, int, int) { ShowOwnText(Edit4); }
void TForm1::imgpropMouseMove(TObject*, TShiftState, int, int) { ShowOwnText(imgprop); }

// ---- the "send to" entry ----

void TForm1::Button7Click(TObject*) { AddSendToLink(); }
void TForm1::Button8Click(TObject*) { RemoveSendToLink(); }
