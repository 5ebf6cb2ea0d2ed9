// The main window TForm1: its controls (read from the description compiled in under "TForm1"),
// its event handlers, and the window side of what the analysis and the run need.
#pragma once

#include <string>

#include "app/sorter_view.h"
#include "platform/forms/form.h"

class TButton;
class TCheckBox;
class TEdit;
class TLabel;
class TOpenDialog;
class TProgressBar;

class TForm1 : public TForm, public Tarnwick1::TSorterView {
 public:
  explicit TForm1(TComponent* owner);
  ~TForm1() override;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  TButton* Button1 = nullptr;
  TLabel* Label2 = nullptr;
  TEdit* Edit1 = nullptr;
  TEdit* edit_pix = nullptr;
  TLabel* Label5 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TEdit* edit_prec = nullptr;
  TLabel* Label1 = nullptr;
  TButton* Button2 = nullptr;
  TEdit* imgprop = nullptr;
  TButton* imgreset = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button4 = nullptr;
  TEdit* Edit2 = nullptr;
  TLabel* Label3 = nullptr;
  TButton* Button5 = nullptr;
  // The skin component (the window's packed skin) and the skin store; no code here calls them.
  TComponent* SkinData1 = nullptr;
  TComponent* SkinStore1 = nullptr;
  TEdit* imgcomp = nullptr;
  TEdit* Edit3 = nullptr;
  TLabel* Label4 = nullptr;
  TLabel* Label6 = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TCheckBox* CheckBox2 = nullptr;
  TCheckBox* CheckBox3 = nullptr;
  TCheckBox* CheckBox4 = nullptr;
  TCheckBox* CheckBox5 = nullptr;
  TCheckBox* CheckBox6 = nullptr;
  TCheckBox* CheckBox7 = nullptr;
  TCheckBox* CheckBox8 = nullptr;
  TCheckBox* CheckBox9 = nullptr;
  TCheckBox* CheckBox10 = nullptr;
  TEdit* Edit4 = nullptr;
  TButton* Button6 = nullptr;
  TLabel* Label7 = nullptr;
  TButton* Button7 = nullptr;
  TButton* Button8 = nullptr;
  TCheckBox* CheckBox11 = nullptr;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  void Button6Click(TObject* Sender);
  void Button7Click(TObject* Sender);
  void Button8Click(TObject* Sender);
  void CheckBox9Click(TObject* Sender);
  void Edit1DblClick(TObject* Sender);
  void Edit2DblClick(TObject* Sender);
  void Edit4DblClick(TObject* Sender);
  void Edit1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void Edit2MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void Edit4MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void imgpropMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void Edit2Exit(TObject* Sender);
  void Edit4Exit(TObject* Sender);
  void imgresetClick(TObject* Sender);

  // What the analysis and the run use of the window.
  std::string Text(Tarnwick1::TSorterEdit edit) const override;
  void SetText(Tarnwick1::TSorterEdit edit, const std::string& text) override;
  void RepaintEdit(Tarnwick1::TSorterEdit edit) override;
  bool Checked(int box) const override;
  // Sets the box without running its click handler (as the configuration is read).
  void SetChecked(int box, bool checked) override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void ProcessMessages() override;
  void RepaintWindow() override;
  bool StopRequested() const override;
  Tarnwick1::TInfoAnswer InfoDialog(const std::string& text, Tarnwick1::TInfoButtons buttons, TColor colour) override;
  void PlainMessage(const std::string& text) override;

 private:
  TEdit* EditOf(Tarnwick1::TSorterEdit edit) const;
  TCheckBox* Box(int box) const;
  void ShowOwnText(TEdit* edit);
  void ConsoleMode();
  void TakeFileArgument(const std::string& argument);
  // Analyses the master shown unless its bounds are those of the last analysis; false when it
  // fails its checks.
  bool MasterAnalysedForRun();
  // The buttons that start work on the shared analysis state.
  void SetWorkButtonsEnabled(bool enabled);
};

namespace Tarnwick1 {

// The main window (the module's Form1).
extern TForm1* Form1;

// The program: the application object, the main window and its message loop. Returns the
// process's exit status (batch mode: 0 after a completed run, non-zero after an error).
int RunProgram(int argc, char** argv);

// The trailing-separator rule of the folder edits: a text of at least 3 characters whose
// trimmed form does not end in "/" gets one appended (to the untrimmed text).
std::string WithTrailingSeparator(const std::string& text);
// Everything up to and including the last "/".
std::string FolderPart(const std::string& path);

}  // namespace Tarnwick1
