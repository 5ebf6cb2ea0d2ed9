#include "app/xyl_clipbrd.h"

#include "platform/user/clipboard.h"

void TXylClipboard::PutWideText(const WideString& text) {
  Open();
  try {
    SetAsText(WideToUtf8(text));
    SetBuffer(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

namespace Tarnwick1 {

std::unique_ptr<TXylClipboard> XylClipboard;

void PutTextOnClipboard(const std::string& text) {
  auto clipboard = std::make_unique<TXylClipboard>();
  clipboard->Clear();
  clipboard->PutWideText(Utf8ToWide(text));
}

}  // namespace Tarnwick1
