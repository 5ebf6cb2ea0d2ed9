#include "pdf/core/annots/annots.h"

TPDFAnnots::TPDFAnnots() { Clear(); }

void TPDFAnnots::Clear() {
  annots_ = nullptr;
  currentIndex_ = -1;
  kinds_.clear();
  rects_.clear();
  refs_.clear();
}

void TPDFAnnots::Attach(TPDFArray* annots) {
  Clear();
  annots_ = annots;
}
