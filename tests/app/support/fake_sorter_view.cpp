#include "tests/app/support/fake_sorter_view.h"

namespace apptest {

FakeSorterView::FakeSorterView() : previous_(Tarnwick1::SorterView) { Tarnwick1::SorterView = this; }

FakeSorterView::~FakeSorterView() { Tarnwick1::SorterView = previous_; }

std::string FakeSorterView::Text(Tarnwick1::TSorterEdit edit) const {
  const auto it = texts.find(edit);
  return it == texts.end() ? std::string() : it->second;
}

void FakeSorterView::SetText(Tarnwick1::TSorterEdit edit, const std::string& text) { texts[edit] = text; }

bool FakeSorterView::Checked(int box) const {
  const auto it = boxes.find(box);
  return it != boxes.end() && it->second;
}

void FakeSorterView::SetChecked(int box, bool checked) { boxes[box] = checked; }

void FakeSorterView::SetProgressRange(int minimum, int maximum) {
  progressMin = minimum;
  progressMax = maximum;
}

void FakeSorterView::SetProgressPosition(int position) {
  progressPosition = position;
  positions.push_back(position);
}

Tarnwick1::TInfoAnswer FakeSorterView::InfoDialog(const std::string& text, Tarnwick1::TInfoButtons buttons,
                                                  TColor colour) {
  dialogs.push_back({text, buttons, colour});
  return answer;
}

}  // namespace apptest
