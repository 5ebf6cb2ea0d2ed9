// TXylClipboard: the clipboard object that puts one text on the clipboard as 8-bit text
// (CF_TEXT, UTF-8 here) and as UTF-16 text (CF_UNICODETEXT) at once.
#pragma once

#include <memory>
#include <string>

#include "platform/forms/clipboard.h"
#include "platform/rtl/strings.h"

class TXylClipboard : public TClipboard {
 public:
  // Both formats within one opening: the first empties the clipboard, the second joins it.
  // Raises EClipboardException "Cannot open clipboard" when another window holds it.
  void PutWideText(const WideString& text);
};

namespace Tarnwick1 {

// The unit's clipboard object; this program never sets it.
extern std::unique_ptr<TXylClipboard> XylClipboard;

// What a run in clipboard mode does with its list: a fresh clipboard object clears the
// clipboard and puts the (UTF-8) text on it in both formats.
void PutTextOnClipboard(const std::string& text);

}  // namespace Tarnwick1
