// A stand-in for the main window that records what the routines do to it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/sorter_view.h"

namespace apptest {

class FakeSorterView : public Tarnwick1::TSorterView {
 public:
  FakeSorterView();
  ~FakeSorterView() override;

  std::string Text(Tarnwick1::TSorterEdit edit) const override;
  void SetText(Tarnwick1::TSorterEdit edit, const std::string& text) override;
  void RepaintEdit(Tarnwick1::TSorterEdit) override {}
  bool Checked(int box) const override;
  void SetChecked(int box, bool checked) override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void ProcessMessages() override {
    ++pumped;
    if (onPump) onPump();
  }
  void RepaintWindow() override {}
  Tarnwick1::TInfoAnswer InfoDialog(const std::string& text, Tarnwick1::TInfoButtons buttons,
                                    TColor colour) override;
  void PlainMessage(const std::string& text) override { messages.push_back(text); }

  std::map<Tarnwick1::TSorterEdit, std::string> texts;
  std::map<int, bool> boxes;
  int progressMin = 0, progressMax = 0, progressPosition = 0;
  std::vector<int> positions;
  int pumped = 0;
  std::function<void()> onPump;  // what the person does while the run pumps messages
  Tarnwick1::TInfoAnswer answer = Tarnwick1::TInfoAnswer::Yes;
  struct Dialog {
    std::string text;
    Tarnwick1::TInfoButtons buttons;
    TColor colour;
  };
  std::vector<Dialog> dialogs;
  std::vector<std::string> messages;

 private:
  Tarnwick1::TSorterView* previous_;
};

}  // namespace apptest
