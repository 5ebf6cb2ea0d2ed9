// The main window as the analysis and the run see it: edits by role, boxes by number, the
// progress bar, message pumping and the two kinds of message.
#include "app/tarnwick1.h"

#include "platform/forms/application.h"
#include "platform/forms/check_box.h"
#include "platform/forms/edit.h"
#include "platform/forms/message_dialog.h"
#include "platform/forms/progress_bar.h"
#include "platform/rtl/exceptions.h"

using namespace Tarnwick1;

TEdit* TForm1::EditOf(TSorterEdit edit) const {
  switch (edit) {
    case TSorterEdit::Edit1: return Edit1;
    case TSorterEdit::Edit2: return Edit2;
    case TSorterEdit::Edit3: return Edit3;
    case TSorterEdit::Edit4: return Edit4;
    case TSorterEdit::EditPix: return edit_pix;
    case TSorterEdit::EditPrec: return edit_prec;
    case TSorterEdit::ImgProp: return imgprop;
    case TSorterEdit::ImgComp: return imgcomp;
  }
  throw EInvalidOperation("No such edit");
}

TCheckBox* TForm1::Box(int box) const {
  TCheckBox* const boxes[] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6,
                              CheckBox7, CheckBox8, CheckBox9, CheckBox10, CheckBox11};
  if (box < 1 || box > 11) throw EInvalidOperation("No such check box");
  return boxes[box - 1];
}

std::string TForm1::Text(TSorterEdit edit) const { return EditOf(edit)->Text(); }

void TForm1::SetText(TSorterEdit edit, const std::string& text) { EditOf(edit)->SetText(text); }

void TForm1::RepaintEdit(TSorterEdit edit) { EditOf(edit)->Repaint(); }

bool TForm1::Checked(int box) const { return Box(box)->Checked(); }

void TForm1::SetChecked(int box, bool checked) {
  TCheckBox* b = Box(box);
  TNotifyEvent handler = std::move(b->OnClick);
  b->OnClick = nullptr;
  try {
    b->SetChecked(checked);
  } catch (...) {
    b->OnClick = std::move(handler);
    throw;
  }
  b->OnClick = std::move(handler);
}

void TForm1::SetProgressRange(int minimum, int maximum) {
  ProgressBar1->SetMin(minimum);
  ProgressBar1->SetMax(maximum);
  ProgressBar1->Repaint();
}

void TForm1::SetProgressPosition(int position) {
  ProgressBar1->SetPosition(position);
  ProgressBar1->Repaint();
}

void TForm1::ProcessMessages() { Application->ProcessMessages(); }

void TForm1::RepaintWindow() { Repaint(); }

// "E n d" and the close button end the application; a run that pumps messages meanwhile stops.
bool TForm1::StopRequested() const { return Application->Terminated(); }

TInfoAnswer TForm1::InfoDialog(const std::string& text, TInfoButtons buttons, TColor colour) {
  TComponentPtr<TMessageForm> dialog(
      CreateMessageDialog(text, mtInformation, buttons == TInfoButtons::YesNo ? mbYesNo : MsgDlgButton(mbOK)));
  dialog->Font()->SetName("MS Sans Serif");
  dialog->Font()->SetSize(8);
  dialog->SetColor(0xFFFFFF);
  dialog->Font()->SetColor(colour);
  dialog->SetWidth(dialog->Width() * 12 / 10);
  switch (dialog->ShowModal()) {
    case mrYes: return TInfoAnswer::Yes;
    case mrNo: return TInfoAnswer::No;
    case mrOk: return TInfoAnswer::Ok;
    default: return TInfoAnswer::Closed;
  }
}

void TForm1::PlainMessage(const std::string& text) { ShowMessage(text); }
