#include "pdf/render/functions/pdf_resolve.h"

#include "pdf/core/objects/pdf_objects.h"

namespace {
// A reference naming a reference is legal but rare; a longer chain is a loop.
constexpr int kMaxReferenceChain = 32;
}  // namespace

TPDFObject* ResolvePDFObject(const TPDFResolveMethod& resolver, TPDFObject* obj) {
  for (int step = 0; step < kMaxReferenceChain; ++step) {
    auto* ref = PDFCast<TPDFIndRef>(obj);
    if (ref == nullptr) return obj;
    obj = resolver ? resolver(ref) : ref->Resolve();
  }
  return PDFCast<TPDFIndRef>(obj) ? nullptr : obj;
}
