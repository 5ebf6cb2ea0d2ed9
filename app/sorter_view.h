// What the analysis and the comparison run need of the main window: the texts of its edits,
// its check boxes, the progress bar, message pumping and the two kinds of message. The main
// form provides it; tests provide a recording stand-in.
#pragma once

#include <string>

#include "platform/gdi/colors.h"

namespace Tarnwick1 {

enum class TSorterEdit { Edit1, Edit2, Edit3, Edit4, EditPix, EditPrec, ImgProp, ImgComp };

// Button sets and answers of the information dialog.
enum class TInfoButtons { Ok, YesNo };
enum class TInfoAnswer { Ok, Yes, No, Closed };

class TSorterView {
 public:
  virtual ~TSorterView() = default;

  virtual std::string Text(TSorterEdit edit) const = 0;
  virtual void SetText(TSorterEdit edit, const std::string& text) = 0;
  virtual void RepaintEdit(TSorterEdit edit) = 0;
  // Boxes 1 to 11 (CheckBox1 .. CheckBox11).
  virtual bool Checked(int box) const = 0;
  virtual void SetChecked(int box, bool checked) = 0;

  // ProgressBar1: range and position, then repainted.
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;

  virtual void ProcessMessages() = 0;
  virtual void RepaintWindow() = 0;
  // The person asked the program to end while work went on ("E n d", the close button).
  virtual bool StopRequested() const { return false; }

  // The restyled information dialog (font colour 0x00BBGGRR), shown modally.
  virtual TInfoAnswer InfoDialog(const std::string& text, TInfoButtons buttons, TColor colour) = 0;
  // The framework's plain message box.
  virtual void PlainMessage(const std::string& text) = 0;
};

// The window the module's routines work on (the main form once it exists).
extern TSorterView* SorterView;

}  // namespace Tarnwick1
