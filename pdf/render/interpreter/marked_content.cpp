// Marked content and optional content: what BDC, BMC and EMC make visible, and the visibility
// of optional-content groups and membership dictionaries.
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/renderer/renderer.h"

namespace {

// Groups are identified by the text of their references ("12 0 R").
std::string ReferenceText(const TPDFObject* obj) { return obj != nullptr ? obj->ToString() : std::string(); }

}  // namespace

void TPDFRenderer::OpBeginMarked(TPDFContentRun& run) {
  const std::string_view property = run.PopString();
  const std::string_view tag = run.PopString();
  BeginOptionalContent(run, tag, property);
}

void TPDFRenderer::OpBeginMarkedNoProperties(TPDFContentRun& run) {
  BeginOptionalContent(run, run.PopString(), {});
}

void TPDFRenderer::OpEndMarked(TPDFContentRun& run) {
  if (run.MarkedContent.empty()) {
    run.Visible = true;
    return;
  }
  run.Visible = run.MarkedContent.back();
  run.MarkedContent.pop_back();
}

// Content inside a hidden section stays hidden whatever an inner section says: a section can
// only hide more, and its end gives back the visibility it found.
void TPDFRenderer::BeginOptionalContent(TPDFContentRun& run, std::string_view tag, std::string_view property) {
  run.MarkedContent.push_back(run.Visible);
  if (run.Visible) run.Visible = SectionVisible(run, tag, property);
}

bool TPDFRenderer::SectionVisible(TPDFContentRun& run, std::string_view tag, std::string_view property) {
  bool visible = true;
  if (tag != "/OC" || run.Resources == nullptr || property.size() < 2) return visible;
  auto* properties = PDFCast<TPDFDictionary>(ResolveReference(run.Resources->GetValue("Properties")));
  if (properties == nullptr) return visible;
  auto* ref = PDFCast<TPDFIndRef>(properties->GetValue(property.substr(1)));
  auto* group = PDFCast<TPDFDictionary>(ResolveReference(ref));
  if (group == nullptr) return visible;
  const std::string type = group->GetType();
  if (type == "OCG") {
    const std::string text = ReferenceText(ref);
    for (const TPDFOptionalContentState& state : OptionalContentStates)
      if (ReferenceText(state.Reference) == text) visible = state.Visible;
  } else if (type == "OCMD") {
    visible = IsOptionalContentVisible(group);
  }
  return visible;
}

bool TPDFRenderer::IsOptionalContentVisible(TPDFDictionary* membership) {
  if (membership == nullptr) return true;
  std::vector<std::string> groups;
  TPDFObject* ocgs = membership->GetValue("OCGs");
  if (auto* ref = PDFCast<TPDFIndRef>(ocgs); ref != nullptr && PDFCast<TPDFDictionary>(ResolveReference(ref))) {
    groups.push_back(ReferenceText(ref));
  } else if (auto* array = PDFCast<TPDFArray>(ResolveReference(ocgs))) {
    for (TPDFObject* item : array->Items()) {
      auto* itemRef = PDFCast<TPDFIndRef>(item);
      if (itemRef != nullptr && PDFCast<TPDFDictionary>(ResolveReference(itemRef)))
        groups.push_back(ReferenceText(itemRef));
    }
  }
  std::string policy = "AnyOn";
  if (auto* p = PDFCast<TPDFName>(ResolveReference(membership->GetValue("P")))) policy = p->Name();
  size_t on = 0;
  for (const std::string& group : groups) {
    bool isOn = true;
    for (const TPDFOptionalContentState& state : OptionalContentStates)
      if (!state.Visible && ReferenceText(state.Reference) == group) isOn = false;
    if (isOn) ++on;
  }
  const size_t off = groups.size() - on;
  if (policy == "AllOn") return off == 0;
  if (policy == "AnyOn") return on > 0;
  if (policy == "AllOff") return on == 0;
  if (policy == "AnyOff") return off > 0;
  return false;
}
