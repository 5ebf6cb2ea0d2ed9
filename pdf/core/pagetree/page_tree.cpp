#include "pdf/core/pagetree/page_tree.h"

#include <cmath>
#include <tuple>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/annots/annots.h"
#include "pdf/core/objects/pdf_objects.h"

namespace {

// Page trees, /Parent chains and nested resources share the object nesting limit.
constexpr int kMaxTreeDepth = kPDFMaxNestingDepth;
// A content stream the painter may keep appending to is at most this large (encoded).
constexpr size_t kMaxReusedContent = 500000;

bool SameTarget(const TPDFIndRef* a, int number, int generation) {
  return a != nullptr && a->TargetNumber() == number && a->TargetGeneration() == generation;
}

}  // namespace

TPDFPageTree::TPDFPageTree(TPDFDictionary* root, TPDFPageNumberEvent pageNumberOf)
    : OnPageNumber(std::move(pageNumberOf)) {
  root_ = root;
  store_ = root != nullptr ? root->Owner() : nullptr;
  painter_ = std::make_unique<TPDFPainter>(store_);
  painter_->Decimals = store_ != nullptr ? store_->Decimals : 4;
  painter_->OnChange = [this](TPDFPainter&) { FlushContent(); };
  annots_ = std::make_unique<TPDFAnnots>();
  annots_->OnPageNumber = [this](const TPDFIndRef* ref) { return PageNumberOfReference(ref); };
  if (root_ != nullptr) SelectPage(1);
}

TPDFPageTree::~TPDFPageTree() {
  // The painter must not flush into streams while it goes.
  painter_->OnChange = nullptr;
}

TPDFObject* TPDFPageTree::Resolve(TPDFObject* obj) const {
  if (auto* ref = PDFCast<TPDFIndRef>(obj)) return ref->Resolve();
  return obj;
}

int TPDFPageTree::ReadPageCount() {
  if (root_ == nullptr) return 0;
  const auto* count = PDFCast<TPDFNumeric>(root_->GetValue("Count", true));
  const int n = count != nullptr ? count->AsInteger() : 0;
  return n < 0 ? 0 : n;
}

TPDFDictionary* TPDFPageTree::MakeReplacementPage(TPDFArray* kids, int index) {
  TPDFDictionary* page = store_->NewDictionary();
  page->SetValue("Type", store_->NewName("Page"));
  if (parent_ != nullptr && parent_->HasNumber())
    page->SetValue("Parent", store_->NewIndRef(parent_->ObjectNumber(), parent_->Generation()));
  page->SetValue("Resources", store_->NewDictionary());
  page->SetValue("MediaBox", store_->NewDoubleArray({0.0, 0.0, 612.0, 792.0}));
  page->SetValue("CropBox", store_->NewDoubleArray({0.0, 0.0, 612.0, 792.0}));
  page->SetValue("Rotate", store_->NewNumeric(0));
  int num = 0, gen = 0;
  if (!store_->MakeIndirect(page, num, gen)) return nullptr;
  TPDFIndRef* ref = store_->NewIndRef(num, gen);
  kids->SetItem(index, ref);
  foundIn_ = kids;
  foundRef_ = ref;
  pageRefNumber_ = num;
  pageRefGeneration_ = gen;
  return page;
}

TPDFDictionary* TPDFPageTree::WalkKids(TPDFArray* kids, int target, int64_t& counter, int depth) {
  if (depth > kMaxTreeDepth) return nullptr;
  TPDFDictionary* replacement = nullptr;
  for (int i = 0; i < kids->Count(); ++i) {
    auto* ref = PDFCast<TPDFIndRef>(kids->GetItem(i));
    if (ref == nullptr) continue;
    foundIn_ = kids;
    foundRef_ = ref;
    pageRefNumber_ = ref->TargetNumber();
    pageRefGeneration_ = ref->TargetGeneration();
    auto* dict = PDFCast<TPDFDictionary>(ref->Resolve());
    if (dict == nullptr) {
      TPDFDictionary* made = MakeReplacementPage(kids, i);
      if (replacement == nullptr) replacement = made;
      continue;
    }
    std::string type = dict->GetType();
    if (type.empty() && dict->IndexOfKey("Kids") >= 0) type = "Pages";
    if (type == "Pages") {
      const auto* countObj = PDFCast<TPDFNumeric>(dict->GetValue("Count", true));
      const int c = countObj != nullptr ? countObj->AsInteger() : 0;
      if (target <= counter + c) {
        if (auto* sub = PDFCast<TPDFArray>(dict->GetValue("Kids", true))) {
          parent_ = dict;
          return WalkKids(sub, target, counter, depth + 1);
        }
      } else {
        counter += c;
      }
    } else if (type == "Page") {
      if (counter + 1 == target) return dict;
      counter += 1;
    }
  }
  return replacement;
}

TPDFDictionary* TPDFPageTree::FindPage(int n) {
  if (root_ == nullptr || n < 1 || n > ReadPageCount()) return nullptr;
  parent_ = root_;
  auto* kids = PDFCast<TPDFArray>(root_->GetValue("Kids", true));
  if (kids == nullptr) return nullptr;
  TPDFDictionary* result = nullptr;
  bool walk = true;
  if (kids->Count() == ReadPageCount()) {
    TPDFObject* item = kids->GetItem(n - 1);
    foundIn_ = kids;
    foundRef_ = PDFCast<TPDFIndRef>(item);
    if (foundRef_ != nullptr) {
      pageRefNumber_ = foundRef_->TargetNumber();
      pageRefGeneration_ = foundRef_->TargetGeneration();
    }
    auto* dict = PDFCast<TPDFDictionary>(Resolve(item));
    if (dict == nullptr) return nullptr;
    if (dict->GetType() == "Page") {
      result = dict;
      walk = false;
    }
  }
  if (walk) {
    int64_t counter = 0;
    result = WalkKids(kids, n, counter, 0);
  }
  if (result != nullptr) pageCache_[n] = {result, parent_};
  return result;
}

TPDFStream* TPDFPageTree::NewContentStream() {
  TPDFStream* stream = store_->NewStream("", false);
  stream->Dictionary()->SetValue("LC", store_->NewName("iBRL"));
  int num = 0, gen = 0;
  store_->MakeIndirect(stream, num, gen);
  return stream;
}

// Makes /Contents an array of stream references whose last stream the painter can write into;
// false when the page has no usable /Contents.
bool TPDFPageTree::PrepareContents() {
  TPDFObject* contents = page_->GetValue("Contents");
  TPDFArray* array = nullptr;
  if (contents == nullptr) {
    TPDFStream* stream = NewContentStream();
    array = store_->NewArray();
    array->Add(store_->NewIndRef(stream->ObjectNumber(), stream->Generation()));
    page_->SetValue("Contents", array);
  } else if (auto* ref = PDFCast<TPDFIndRef>(contents)) {
    if (auto* target = PDFCast<TPDFArray>(ref->Resolve())) {
      array = target;
    } else {
      array = store_->NewArray();
      array->Add(ref);
    }
    page_->SetValue("Contents", array);
  } else {
    array = PDFCast<TPDFArray>(contents);
    if (array == nullptr) return false;
  }

  auto* last = PDFCast<TPDFStream>(Resolve(array->GetItem(array->Count() - 1)));
  const auto* marker = last != nullptr ? PDFCast<TPDFName>(last->Dictionary()->GetValue("LC", true)) : nullptr;
  const bool reusable =
      marker != nullptr && marker->Name() == "iBRL" && last->Data().size() <= kMaxReusedContent;
  if (!reusable) {
    TPDFStream* stream = NewContentStream();
    array->Add(store_->NewIndRef(stream->ObjectNumber(), stream->Generation()));
  }
  for (int i = 0; i < array->Count(); ++i) {
    auto* stream = PDFCast<TPDFStream>(Resolve(array->GetItem(i)));
    if (stream == nullptr) {
      stream = store_->NewStream("", false);
      int num = 0, gen = 0;
      store_->MakeIndirect(stream, num, gen);
      array->SetItem(i, store_->NewIndRef(num, gen));
    }
    contentStreams_.push_back(stream);
  }
  return true;
}

void TPDFPageTree::SelectPage(int n) {
  widthCached_ = heightCached_ = false;
  if (n < 1 || n > ReadPageCount()) n = currentPage_;
  selected_ = false;
  TPDFDictionary* page = nullptr;
  if (auto it = pageCache_.find(n); it != pageCache_.end()) {
    page = it->second.Page;
    parent_ = it->second.Parent;
  } else {
    page = FindPage(n);
  }
  if (page != nullptr && store_ != nullptr) {
    page_ = page;
    currentPage_ = n;
    // Until the new page is ready the painter must not flush into any stream.
    contentStreams_.clear();
    contentIndex_ = 0;
    if (auto* annots = PDFCast<TPDFArray>(page_->GetValue("Annots", true))) annots_->Attach(annots);
    else annots_->Clear();
    if (PrepareContents()) {
      painter_->Decimals = store_->Decimals;
      painter_->Clear();
      std::string text;
      contentStreams_.back()->Decode(text);
      painter_->SetContent(text);
      contentIndex_ = static_cast<int>(contentStreams_.size());
      selected_ = true;
    }
  }
  if (OnPageSelected) OnPageSelected(page);
}

void TPDFPageTree::FlushContent() {
  if (contentIndex_ < 1 || contentIndex_ > static_cast<int>(contentStreams_.size())) return;
  contentStreams_[static_cast<size_t>(contentIndex_ - 1)]->Compress(painter_->GetContent(), true);
}

// --- page size ---

double TPDFPageTree::ReadBoxSide(bool width) {
  if (page_ == nullptr) return width ? 612 : 792;
  TPDFArray* box = nullptr;
  TPDFDictionary* node = page_;
  for (int depth = 0; node != nullptr && depth <= kMaxTreeDepth; ++depth) {
    box = PDFCast<TPDFArray>(node->GetValue("MediaBox", true));
    if (box != nullptr) break;
    node = PDFCast<TPDFDictionary>(node->GetValue("Parent", true));
  }
  if (box != nullptr) {
    auto item = [box](int i) {
      const auto* n = PDFCast<TPDFNumeric>(box->GetItem(i));
      return n != nullptr ? n->Value() : 0.0;
    };
    return width ? std::abs(item(2) - item(0)) : std::abs(item(3) - item(1));
  }
  defaultWidth_ = 612;
  defaultHeight_ = 792;
  if (root_ != nullptr) {
    if (auto* rootBox = PDFCast<TPDFArray>(root_->GetValue("MediaBox", true))) {
      auto item = [rootBox](int i) {
        const auto* n = PDFCast<TPDFNumeric>(rootBox->GetItem(i));
        return n != nullptr ? n->Value() : 0.0;
      };
      defaultWidth_ = std::abs(item(2) - item(0));
      defaultHeight_ = std::abs(item(3) - item(1));
    }
  }
  page_->SetValue("MediaBox", store_->NewDoubleArray({0.0, 0.0, defaultWidth_, defaultHeight_}));
  return width ? defaultWidth_ : defaultHeight_;
}

double TPDFPageTree::GetPageWidth() {
  if (!widthCached_) {
    widthCache_ = ReadBoxSide(true);
    widthCached_ = true;
  }
  return widthCache_;
}

double TPDFPageTree::GetPageHeight() {
  if (!heightCached_) {
    heightCache_ = ReadBoxSide(false);
    heightCached_ = true;
  }
  return heightCache_;
}

void TPDFPageTree::SetBox(double w, double h) {
  if (page_ == nullptr) return;
  page_->RemoveKey("MediaBox");
  page_->RemoveKey("CropBox");
  page_->SetValue("MediaBox", store_->NewDoubleArray({0.0, 0.0, w, h}));
  page_->SetValue("CropBox", store_->NewDoubleArray({0.0, 0.0, w, h}));
}

void TPDFPageTree::SetPageWidth(double w) {
  const double h = GetPageHeight();
  widthCache_ = w;
  widthCached_ = true;
  SetBox(w, h);
}

void TPDFPageTree::SetPageHeight(double h) {
  const double w = GetPageWidth();
  heightCache_ = h;
  heightCached_ = true;
  SetBox(w, h);
}

// --- resources ---

TPDFDictionary* TPDFPageTree::GetResources() {
  if (page_ == nullptr) return nullptr;
  if (page_->GetValue("Resources") == nullptr && parent_ != nullptr && parent_ != page_) {
    if (auto* inherited = PDFCast<TPDFDictionary>(parent_->GetValue("Resources", true))) return inherited;
  }
  if (auto* own = PDFCast<TPDFDictionary>(page_->GetValue("Resources", true))) return own;
  page_->RemoveKey("Resources");
  TPDFDictionary* fresh = store_->NewDictionary();
  page_->SetValue("Resources", fresh);
  return fresh;
}

TPDFDictionary* TPDFPageTree::CategoryDictionary(std::string_view category) {
  TPDFDictionary* resources = GetResources();
  if (resources == nullptr) return nullptr;
  if (auto* dict = PDFCast<TPDFDictionary>(resources->GetValue(category, true))) return dict;
  resources->RemoveKey(category);
  TPDFDictionary* fresh = store_->NewDictionary();
  resources->SetValue(category, fresh);
  return fresh;
}

void TPDFPageTree::AddResource(std::string_view category, std::string_view name, TPDFIndRef* ref) {
  if (ref == nullptr || name.empty()) return;
  TPDFDictionary* dict = CategoryDictionary(category);
  if (dict == nullptr) return;
  const auto* present = PDFCast<TPDFIndRef>(dict->GetValue(name));
  if (SameTarget(present, ref->TargetNumber(), ref->TargetGeneration())) return;
  dict->SetValue(name, store_->NewIndRef(ref->TargetNumber(), ref->TargetGeneration()));
}

void TPDFPageTree::AddFontResource(TPDFFont& font) { AddResource("Font", font.Name(), font.Ref()); }

void TPDFPageTree::AddExtGStateResource(std::string_view name, TPDFIndRef* ref) {
  AddResource("ExtGState", name, ref);
}

void TPDFPageTree::AddPatternResource(std::string_view name, TPDFIndRef* ref) { AddResource("Pattern", name, ref); }

// --- references and numbers ---

TPDFIndRef* TPDFPageTree::PageReference(int n) {
  const auto saved = std::tuple(pageRefNumber_, pageRefGeneration_, foundIn_, foundRef_, parent_);
  foundRef_ = nullptr;
  TPDFIndRef* result = FindPage(n) != nullptr ? foundRef_ : nullptr;
  std::tie(pageRefNumber_, pageRefGeneration_, foundIn_, foundRef_, parent_) = saved;
  return result;
}

int TPDFPageTree::PageNumberOfReference(const TPDFIndRef* ref) {
  if (ref == nullptr || root_ == nullptr) return 0;
  if (auto* kids = PDFCast<TPDFArray>(root_->GetValue("Kids", true)); kids != nullptr && kids->Count() == ReadPageCount()) {
    for (int i = 0; i < kids->Count(); ++i)
      if (SameTarget(PDFCast<TPDFIndRef>(kids->GetItem(i)), ref->TargetNumber(), ref->TargetGeneration())) return i + 1;
  }
  return OnPageNumber ? OnPageNumber(ref) : 0;
}
