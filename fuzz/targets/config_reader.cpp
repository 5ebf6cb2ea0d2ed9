// Fuzz entry point: any bytes as the configuration file read into the window's settings, then
// written out and read into a fresh window, which must come out the same.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "app/config.h"
#include "app/sorter_view.h"
#include "platform/rtl/string_list.h"

namespace {

class SettingsOnly : public Tarnwick1::TSorterView {
 public:
  std::string Text(Tarnwick1::TSorterEdit edit) const override {
    const auto it = texts.find(edit);
    return it == texts.end() ? std::string() : it->second;
  }
  void SetText(Tarnwick1::TSorterEdit edit, const std::string& text) override { texts[edit] = text; }
  void RepaintEdit(Tarnwick1::TSorterEdit) override {}
  bool Checked(int box) const override { return box >= 1 && box <= 11 && boxes[box]; }
  void SetChecked(int box, bool checked) override {
    if (box < 1 || box > 11) std::abort();
    boxes[box] = checked;
  }
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int) override {}
  void ProcessMessages() override {}
  void RepaintWindow() override {}
  Tarnwick1::TInfoAnswer InfoDialog(const std::string&, Tarnwick1::TInfoButtons, TColor) override { std::abort(); }
  void PlainMessage(const std::string&) override { std::abort(); }

  std::map<Tarnwick1::TSorterEdit, std::string> texts;
  bool boxes[12] = {};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SettingsOnly first;
  Tarnwick1::ApplyConfigText(text, first);
  const auto lines = Tarnwick1::ConfigLines(first);
  if (lines->Count() != 8) std::abort();
  SettingsOnly second;
  Tarnwick1::ApplyConfigText(lines->Text(), second);
  for (int box = 1; box <= 11; ++box) {
    if (first.Checked(box) != second.Checked(box)) std::abort();
  }
  using E = Tarnwick1::TSorterEdit;
  for (E edit : {E::Edit1, E::Edit2, E::Edit4, E::EditPix, E::EditPrec}) {
    if (first.Text(edit) != second.Text(edit)) std::abort();
  }
  return 0;
}
