#include "pdf/core/document/pdf_document.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "pdf/content/font/pdf_font.h"
#include "pdf/core/md5.h"
#include "pdf/core/pagetree/page_tree.h"
#include "pdf/core/pdf_helpers.h"
#include "pdf/core/pdf_text_string.h"
#include "pdf/core/xmp/xmp_packet.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/numbers.h"

const std::array<const char*, kStandardFontCount> kStandardFontNames = {
    "Courier",     "Courier-Bold",   "Courier-BoldOblique", "Courier-Oblique",  "Helvetica",
    "Helvetica-Bold", "Helvetica-BoldOblique", "Helvetica-Oblique", "Times-Roman", "Times-Bold",
    "Times-Italic", "Times-BoldItalic", "Symbol", "ZapfDingbats"};

TPDFIndObj::TPDFIndObj(TPDFDocument* document, int number, int generation, TPDFObject* object)
    : document_(document), number_(number), generation_(generation), object_(object) {}

TPDFDocument::TPDFDocument() {
  InitStructure();
  Clear();
}

TPDFDocument::~TPDFDocument() {
  pageTree_.reset();
  images_.clear();
  fonts_.clear();
  reusedFonts_.clear();
  slots_.clear();
  xmp_.reset();
}

void TPDFDocument::InitStructure() {
  structure_ = std::make_unique<TPDFStructure>();
  structure_->OnResolve = [this](TPDFIndRef&, int objNum, int) { return ResolveObject(objNum); };
  structure_->OnMakeIndirect = [this](TPDFObject* obj, int& objNum, int& gen) { MakeIndirect(obj, objNum, gen); };
  UnitsDivisor = 1.0;
  CoordinateOrigin = 0;
  ImageSettings = {0, 0, 0};
  xmp_.reset();
}

void TPDFDocument::Clear() {
  // The page tree and the images point into the store, so they go before it is cleared.
  pageTree_.reset();
  images_.clear();
  fonts_.clear();
  reusedFonts_.clear();
  slots_.clear();
  indexNumbers_.clear();
  indexPositions_.clear();
  structure_->Clear();
  trailer_ = structure_->NewDictionary();
  nextObjectNumber_ = 1;
  security_ = TPDFSecurityState{};
  pageTree_ = std::make_unique<TPDFPageTree>(nullptr);
}

TPDFIndObj* TPDFDocument::Slot(int index) const {
  return index >= 0 && index < SlotCount() ? slots_[static_cast<size_t>(index)].get() : nullptr;
}

void TPDFDocument::RebuildNumberIndex() {
  std::vector<std::pair<int32_t, int32_t>> index;
  index.reserve(slots_.size());
  for (size_t i = 0; i < slots_.size(); ++i) index.emplace_back(slots_[i]->ObjectNumber(), static_cast<int32_t>(i));
  std::sort(index.begin(), index.end());
  indexNumbers_.resize(index.size());
  indexPositions_.resize(index.size());
  for (size_t i = 0; i < index.size(); ++i) {
    indexNumbers_[i] = index[i].first;
    indexPositions_[i] = index[i].second;
  }
}

TPDFIndObj* TPDFDocument::NewIndObj(TPDFObject* obj, bool rebuild) {
  if (PDFCast<TPDFNumeric>(trailer_->GetValue("Size")) == nullptr) trailer_->SetValue("Size", structure_->NewNumeric(1));
  int highest = 0;
  if (highestFor_ == slots_.size()) {
    highest = highestNumber_;
  } else {
    for (const auto& slot : slots_) highest = std::max(highest, slot->ObjectNumber());
  }
  const int number = highest + 1;
  slots_.push_back(std::make_unique<TPDFIndObj>(this, number, 0, obj));
  // Thousands of new objects (a picture's strips) do not each walk every slot.
  highestNumber_ = number;
  highestFor_ = slots_.size();
  if (obj != nullptr) obj->SetObjectNumber(number, 0);
  if (rebuild) {
    // The new number is above every other: an index in step with the slots grows at its end
    // (a picture of thousands of strips made thousands of sorts of the whole index).
    if (indexNumbers_.size() + 1 == slots_.size()) {
      indexNumbers_.push_back(number);
      indexPositions_.push_back(static_cast<int32_t>(slots_.size() - 1));
    } else {
      RebuildNumberIndex();
    }
  }
  nextObjectNumber_ = number + 1;
  PDFCast<TPDFNumeric>(trailer_->GetValue("Size"))->SetValue(number + 1);
  return slots_.back().get();
}

TPDFIndObj* TPDFDocument::FindIndObj(int objectNumber) const {
  const auto it = std::lower_bound(indexNumbers_.begin(), indexNumbers_.end(), objectNumber);
  if (it == indexNumbers_.end() || *it != objectNumber) return nullptr;
  return Slot(indexPositions_[static_cast<size_t>(it - indexNumbers_.begin())]);
}

TPDFObject* TPDFDocument::ResolveObject(int objectNumber) const {
  const TPDFIndObj* slot = FindIndObj(objectNumber);
  return slot != nullptr ? slot->GetObject() : nullptr;
}

void TPDFDocument::MakeIndirect(TPDFObject* obj, int& objNum, int& gen) {
  const TPDFIndObj* slot = NewIndObj(obj, true);
  objNum = slot->ObjectNumber();
  gen = slot->Generation();
}

// The trailer's dictionary under key; when it is missing or not a dictionary, a new one is made
// indirect and referenced there.
TPDFDictionary* TPDFDocument::TrailerDictionary(std::string_view key) {
  if (auto* dict = PDFCast<TPDFDictionary>(trailer_->GetValue(key, true))) return dict;
  TPDFDictionary* dict = structure_->NewDictionary();
  int num = 0, gen = 0;
  MakeIndirect(dict, num, gen);
  trailer_->SetValue(key, structure_->NewIndRef(num, gen));
  return dict;
}

TPDFDictionary* TPDFDocument::GetCatalog() { return TrailerDictionary("Root"); }

TPDFDictionary* TPDFDocument::GetInfoDictionary() { return TrailerDictionary("Info"); }

TPDFDictionary* TPDFDocument::FindPagesRoot() {
  auto* pages = PDFCast<TPDFDictionary>(GetCatalog()->GetValue("Pages", true));
  if (pages == nullptr) return nullptr;
  const std::string type = pages->GetType();
  if (!type.empty() && type != "Pages") {
    for (const auto& slot : slots_) {
      auto* dict = PDFCast<TPDFDictionary>(slot->GetObject());
      if (dict != nullptr && dict->GetType() == "Pages") pages = dict;
    }
  }
  return pages;
}

bool TPDFDocument::InitNewDocument() {
  Clear();
  version_ = "1.4";
  TPDFStructure& s = *structure_;
  TPDFDictionary* info = s.NewDictionary();
  TPDFDictionary* catalog = s.NewDictionary();
  TPDFDictionary* pages = s.NewDictionary();
  TPDFDictionary* page = s.NewDictionary();
  TPDFDictionary* resources = s.NewDictionary();
  int pagesNum = 0, gen = 0;
  MakeIndirect(pages, pagesNum, gen);
  page->SetValue("Type", s.NewName("Page"));
  page->SetValue("Parent", s.NewIndRef(pagesNum, 0));
  page->SetValue("MediaBox", s.NewIntegerArray({0, 0, 612, 792}));
  page->SetValue("CropBox", s.NewIntegerArray({0, 0, 612, 792}));
  page->SetValue("Resources", resources);
  resources->SetValue("ProcSet", s.NewArrayFromObjects({s.NewName("PDF"), s.NewName("Text"), s.NewName("ImageB"),
                                                        s.NewName("ImageC"), s.NewName("ImageI")}));
  pages->SetValue("Type", s.NewName("Pages"));
  pages->SetValue("Count", s.NewNumeric(1));
  int pageNum = 0;
  MakeIndirect(page, pageNum, gen);
  pages->SetValue("Kids", s.NewArrayFromObjects({s.NewIndRef(pageNum, 0)}));
  catalog->SetValue("Type", s.NewName("Catalog"));
  catalog->SetValue("Pages", s.NewIndRef(pagesNum, 0));

  TMD5Digest digest;
  MD5String(FloatToStr(Now()), digest);
  TPDFString* id = s.NewString(MD5DigestToString(digest), true);

  int catalogNum = 0, infoNum = 0;
  MakeIndirect(catalog, catalogNum, gen);
  trailer_->SetValue("Root", s.NewIndRef(catalogNum, 0));
  MakeIndirect(info, infoNum, gen);
  trailer_->SetValue("Info", s.NewIndRef(infoNum, 0));
  trailer_->SetValue("ID", s.NewArrayFromObjects({id, id}));

  pageTree_ = std::make_unique<TPDFPageTree>(FindPagesRoot(),
                                             [this](const TPDFIndRef* ref) { return PageNumberOf(ref); });
  return true;
}

void TPDFDocument::SetInfoString(std::string_view key, std::string_view bytes) {
  TPDFDictionary* info = GetInfoDictionary();
  if (auto* present = PDFCast<TPDFString>(info->GetValue(key, true))) {
    present->SetValue(bytes);
    return;
  }
  info->SetValue(key, structure_->NewString(bytes, false));
}

void TPDFDocument::SetInfoEntry(std::string_view key, const WideString& value) {
  if (!xmp_) {
    xmp_ = std::make_unique<TOrvanePDFLibraryXMP>();
    xmp_->LoadPacket(ReadMetadataStream());
  }
  if (key != "dc:subject") SetInfoString(key, EncodePDFTextString(value, false));
  if (key == "Title") xmp_->SetTitle(value);
  else if (key == "Author") xmp_->SetAuthor(value);
  else if (key == "Subject") xmp_->SetSubject(value);
  else if (key == "Keywords") xmp_->SetKeywords(value);
  else if (key == "Creator") xmp_->SetCreator(value);
  else if (key == "Producer") xmp_->SetProducer(value);
  else if (key == "CreationDate") xmp_->SetCreationDate(value);
  else if (key == "ModDate") xmp_->SetModDate(value);
  else if (key == "dc:subject") xmp_->SetDCSubject(value);
}

void TPDFDocument::SetVersion(std::string_view text) {
  version_ = std::string(text);
  versionSet_ = true;
}

TPDFFont* TPDFDocument::AddStandardFont(int index) {
  if (index < 0 || index >= kStandardFontCount) return nullptr;
  auto font = std::make_unique<TPDFFont>(structure_.get(), "TalvoPDFF" + NewUniqueTag());
  if (!font->WriteStandardFont(kStandardFontNames[static_cast<size_t>(index)], index + 1)) return nullptr;
  fonts_.push_back(std::move(font));
  return fonts_.back().get();
}

TPDFFont* TPDFDocument::GetFont(int index) const {
  return index >= 0 && index < FontCount() ? fonts_[static_cast<size_t>(index)].get() : nullptr;
}

bool TPDFDocument::OwnsFont(const TPDFFont* font) const {
  return font != nullptr &&
         std::any_of(fonts_.begin(), fonts_.end(), [font](const auto& f) { return f.get() == font; });
}

std::string TPDFDocument::ReadMetadataStream() {
  auto* stream = PDFCast<TPDFStream>(GetCatalog()->GetValue("Metadata", true));
  if (stream == nullptr || stream->Dictionary()->GetType() != "Metadata") return {};
  const auto* subtype = PDFCast<TPDFName>(stream->Dictionary()->GetValue("Subtype", true));
  if (subtype == nullptr) subtype = PDFCast<TPDFName>(stream->Dictionary()->GetValue("SubType", true));
  if (subtype == nullptr || subtype->Name() != "XML") return {};
  std::string data;
  if (!stream->Decode(data)) return {};
  return data;
}

namespace {

TPDFDictionary* ResolvedDictionary(TPDFObject* o) {
  if (auto* ref = PDFCast<TPDFIndRef>(o)) return PDFCast<TPDFDictionary>(ref->Resolve());
  return PDFCast<TPDFDictionary>(o);
}

std::string GroupName(TPDFObject* group) {
  const TPDFDictionary* dict = ResolvedDictionary(group);
  return dict != nullptr ? dict->GetValueText("Name") : std::string();
}

// The group names of each usage application for viewing that names any group.
std::vector<std::unordered_set<std::string>> ViewApplications(TPDFArray* usage) {
  std::vector<std::unordered_set<std::string>> apps;
  if (usage == nullptr) return apps;
  for (TPDFObject* entry : usage->Items()) {
    const TPDFDictionary* app = ResolvedDictionary(entry);
    if (app == nullptr || app->GetValueText("Event") != "View") continue;
    auto* groups = PDFCast<TPDFArray>(app->GetValue("OCGs", true));
    if (groups == nullptr || groups->Count() == 0) continue;
    std::unordered_set<std::string> names;
    for (TPDFObject* g : groups->Items()) names.insert(GroupName(g));
    apps.push_back(std::move(names));
  }
  return apps;
}

}  // namespace

TPDFOptionalContentStates TPDFDocument::OptionalContentStates() {
  TPDFOptionalContentStates states;
  auto* props = PDFCast<TPDFDictionary>(GetCatalog()->GetValue("OCProperties", true));
  if (props == nullptr) return states;
  auto* groups = PDFCast<TPDFArray>(props->GetValue("OCGs", true));
  if (groups == nullptr) return states;
  auto* config = PDFCast<TPDFDictionary>(props->GetValue("D", true));
  if (config == nullptr) {
    // Without a default configuration no group is shown.
    for (TPDFObject* item : groups->Items()) states.push_back({PDFCast<TPDFIndRef>(item), false});
    return states;
  }
  auto listed = [config](std::string_view key, const std::string& text) {
    auto* list = PDFCast<TPDFArray>(config->GetValue(key, true));
    return list != nullptr && list->ContainsText(text);
  };
  // An empty usage list is stored where there is none, as writers of the document expect.
  if (config->GetValue("AS") == nullptr) config->SetValue("AS", structure_->NewArray());
  const std::vector<std::unordered_set<std::string>> viewApps =
      ViewApplications(PDFCast<TPDFArray>(config->GetValue("AS", true)));
  const bool baseOn = config->GetValueText("BaseState") != "OFF";
  for (TPDFObject* item : groups->Items()) {
    TPDFOptionalContentState state;
    state.Reference = PDFCast<TPDFIndRef>(item);
    const std::string text = item != nullptr ? item->ToString() : std::string();
    state.Visible = baseOn ? !listed("OFF", text) : listed("ON", text);
    // A usage application for viewing shows only the groups it names.
    const std::string name = GroupName(item);
    for (const auto& names : viewApps)
      if (!names.contains(name)) state.Visible = false;
    states.push_back(state);
  }
  return states;
}

int TPDFDocument::PageNumberOf(const TPDFIndRef* pageRef) {
  if (pageRef == nullptr || !pageTree_) return 0;
  // A page is an object of this document, so no count beyond the slots can hold it.
  const int count = std::min(pageTree_->ReadPageCount(), SlotCount());
  for (int n = 1; n <= count; ++n) {
    const TPDFIndRef* ref = pageTree_->PageReference(n);
    if (ref != nullptr && ref->TargetNumber() == pageRef->TargetNumber() &&
        ref->TargetGeneration() == pageRef->TargetGeneration())
      return n;
  }
  return 0;
}
