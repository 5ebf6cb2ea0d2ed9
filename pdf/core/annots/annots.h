// TPDFAnnots: the annotation list that the page tree attaches to the selected page's /Annots.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class TPDFArray;
class TPDFIndRef;

class TPDFAnnots {
 public:
  using TPageNumberEvent = std::function<int(const TPDFIndRef* pageRef)>;

  TPDFAnnots();
  // No array, current index -1, the per-annotation entries emptied.
  void Clear();
  // Clear, then keep the array.
  void Attach(TPDFArray* annots);

  TPDFArray* Array() const { return annots_; }
  int32_t CurrentIndex() const { return currentIndex_; }
  TPageNumberEvent OnPageNumber;

 private:
  TPDFArray* annots_ = nullptr;
  // Per-annotation entries (kinds, rectangles, references); filled by annotation editing.
  std::vector<int32_t> kinds_;
  std::vector<double> rects_;
  std::vector<TPDFIndRef*> refs_;
  int32_t currentIndex_ = -1;
};
