// Message dialogs: a form of class TMessageForm with an icon for its type, the message in a
// wrapping label named "Message" (at most half the work area wide; a long path is broken) and
// one button per requested button (named "OK", "Yes", "No", ...), centred on the screen within
// the work area. The default button is OK, else Yes; Escape answers with Cancel, else No, else
// OK; a button's underlined letter answers with it.
//
//   CreateMessageDialog  builds it; the caller may change Font, Color and Width before
//                        ShowModal and frees it afterwards
//   MessageDlg           builds, shows modally, frees; returns the button's ModalResult
//   ShowMessage          the plain message box: OK only, the application's title as caption
#pragma once

#include <string>

#include "platform/forms/form.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = int;  // a set of TMsgDlgBtn bits
constexpr TMsgDlgButtons MsgDlgButton(TMsgDlgBtn b) { return 1 << b; }
inline constexpr TMsgDlgButtons mbYesNo = (1 << mbYes) | (1 << mbNo);
inline constexpr TMsgDlgButtons mbYesNoCancel = (1 << mbYes) | (1 << mbNo) | (1 << mbCancel);
inline constexpr TMsgDlgButtons mbOKCancel = (1 << mbOK) | (1 << mbCancel);
inline constexpr TMsgDlgButtons mbAbortRetryIgnore = (1 << mbAbort) | (1 << mbRetry) | (1 << mbIgnore);

class TMessageForm : public TForm {
 public:
  explicit TMessageForm(TComponent* owner);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  TMsgDlgType DialogType() const { return type_; }
  const std::string& Message() const { return message_; }
  std::string NonInteractiveText() const override { return message_; }

 protected:
  void Paint() override;
  TModalResult NonInteractiveResult() const override { return cancelResult_; }

 private:
  friend TMessageForm* CreateMessageDialog(const std::string&, TMsgDlgType, TMsgDlgButtons);
  TMsgDlgType type_ = mtCustom;
  std::string message_;
  TRect iconRect_{};
  TModalResult cancelResult_ = mrCancel;
};

// The form is owned by the application; free it after use.
TMessageForm* CreateMessageDialog(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons);
TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
void ShowMessage(const std::string& message);
// An OK box with a caption of its own (the exception box).
void MessageBoxForm(const std::string& message, const std::string& caption, TMsgDlgType type);

// The caption of each dialog type and button as the dialogs show them.
std::string MsgDlgTypeCaption(TMsgDlgType type);
std::string MsgDlgButtonCaption(TMsgDlgBtn button);
