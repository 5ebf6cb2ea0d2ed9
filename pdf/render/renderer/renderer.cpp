#include "pdf/render/renderer/renderer.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/colour/color_manager.h"
#include "pdf/render/colour/devicen_color_space.h"
#include "pdf/render/colour/indexed_color_space.h"
#include "pdf/render/colour/lab_color_space.h"
#include "pdf/render/colour/separation_color_space.h"
#include "pdf/render/funnel/text_funnel.h"
#include "pdf/render/patterns/zrx_pattern.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/metafile.h"

TPDFRenderer::TPDFRenderer(TPDFFontCollection* fonts)
    : fonts_(fonts),
      bitmap_(std::make_unique<TBitmap>()),
      metafile_(std::make_unique<TMetafile>()),
      eps_(std::make_unique<TPDFEPSExport>()),
      colorManager_(std::make_unique<TPDFSimpleColorManager>()),
      funnel_(std::make_unique<TPDFTextFunnel>()) {
  bitmap_->SetPixelFormat(pf24bit);
  InitDaubrixOptions(Options);
}

TPDFRenderer::~TPDFRenderer() = default;

void TPDFRenderer::SetCairoTarget(const WideString& path, HDC dc, uint8_t flag, int32_t first, int32_t second) {
  cairoPath_ = path;
  cairoDC_ = dc;
  cairoFlag_ = flag;
  cairoFirst_ = first;
  cairoSecond_ = second;
}

void TPDFRenderer::SetTargetDC(HDC dc, bool clearFirst, int32_t x, int32_t y) {
  targetDC_ = dc;
  clearFirst_ = clearFirst;
  targetX_ = x;
  targetY_ = y;
}

TPDFObject* TPDFRenderer::GetInheritedAttribute(TPDFDictionary* dict, std::string_view key) {
  std::unordered_set<const TPDFDictionary*> seen;
  while (dict != nullptr && seen.insert(dict).second) {
    if (TPDFObject* value = dict->GetValue(key)) return ResolveReference(value);
    dict = PDFCast<TPDFDictionary>(ResolveReference(dict->GetValue("Parent")));
  }
  return nullptr;
}

bool TPDFRenderer::GetPageBox(std::string_view name, double& x1, double& y1, double& x2, double& y2) {
  TPDFObject* box = GetInheritedAttribute(Page, name);
  if (box == nullptr && name != "MediaBox") {
    if (name != "CropBox") box = GetInheritedAttribute(Page, "CropBox");
    if (box == nullptr) box = GetInheritedAttribute(Page, "MediaBox");
  }
  auto* array = PDFCast<TPDFArray>(box);
  if (array == nullptr || array->Count() < 4 || !array->AllNumeric()) return false;
  double v[4];
  for (int i = 0; i < 4; ++i) v[i] = PDFCast<TPDFNumeric>(array->GetItem(i))->AsDouble();
  if (v[0] > v[2]) std::swap(v[0], v[2]);
  if (v[1] > v[3]) std::swap(v[1], v[3]);
  x1 = v[0], y1 = v[1], x2 = v[2], y2 = v[3];
  return true;
}

uint32_t TPDFRenderer::RegisterObject(void* obj) {
  if (obj == nullptr) return 0;
  auto found = std::find(registry_.begin(), registry_.end(), obj);
  if (found == registry_.end()) {
    // The index lives in the handle's low 27 bits.
    if (registry_.size() >= (size_t(1) << 27)) return 0;
    registry_.push_back(obj);
    found = registry_.end() - 1;
  }
  return kRendererHandleBase + uint32_t(found - registry_.begin());
}

void* TPDFRenderer::ObjectFromHandle(uint32_t handle) const {
  if ((handle & kRendererHandleBase) != kRendererHandleBase) return nullptr;
  const uint32_t index = handle & ((1u << 27) - 1);
  return index < registry_.size() ? registry_[index] : nullptr;
}

TPDFPoint TPDFRenderer::TransformPoint(const TPDFPoint& p) const {
  const TPDFMatrix& m = CurrentMatrix;
  TPDFPoint r{m[0] * p.X + m[2] * p.Y + m[4], m[1] * p.X + m[3] * p.Y + m[5]};
  // Matrices of enormous numbers overflow; a point without a value must not reach a back end.
  if (!std::isfinite(r.X)) r.X = 0;
  if (!std::isfinite(r.Y)) r.Y = 0;
  return r;
}
