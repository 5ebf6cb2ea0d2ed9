#include "pdf/core/objects/object_import.h"

#include <deque>
#include <map>
#include <unordered_map>
#include <utility>

#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_stream.h"
#include "pdf/core/objects/pdf_structure.h"

namespace {

class TPDFObjectImporter {
 public:
  explicit TPDFObjectImporter(TPDFStructure& target) : target_(target) {}

  TPDFObject* Run(const TPDFObject& source) {
    TPDFObject* result = Copy(&source, 0);
    // Indirect objects are filled here rather than recursively, so long chains of references
    // cost no stack.
    while (!failed_ && !pending_.empty()) {
      const auto [from, to] = pending_.front();
      pending_.pop_front();
      Fill(from, to, 0);
    }
    return failed_ ? nullptr : result;
  }

 private:
  // A new empty container of the same kind, or a finished copy of a simple object.
  TPDFObject* Shell(const TPDFObject* from) {
    switch (from->Kind()) {
      case kPDFKindDictionary: return target_.NewDictionary();
      case kPDFKindArray: return target_.NewArray();
      case kPDFKindStream: return target_.NewStream("", false);
      case kPDFKindIndRef: return target_.NewNull();  // an indirect object cannot be a reference
      default: return CopySimple(from);
    }
  }

  TPDFObject* CopySimple(const TPDFObject* from) {
    switch (from->Kind()) {
      case kPDFKindBoolean: return target_.NewBoolean(static_cast<const TPDFBoolean*>(from)->Value());
      case kPDFKindNumeric: return target_.NewNumeric(static_cast<const TPDFNumeric*>(from)->Value());
      case kPDFKindName: return target_.NewName(static_cast<const TPDFName*>(from)->Name());
      case kPDFKindString: {
        const auto* s = static_cast<const TPDFString*>(from);
        return target_.NewString(s->Value(), s->IsHex());
      }
      default: return target_.NewNull();
    }
  }

  void CopyPairs(const TPDFDictionary* from, TPDFDictionary* to, int depth) {
    for (const auto& [key, value] : from->Pairs()) {
      if (key == nullptr || failed_) continue;
      to->SetPair(target_.GetKeyName(key->Name()), value != nullptr ? Copy(value, depth) : nullptr);
    }
  }

  void Fill(const TPDFObject* from, TPDFObject* to, int depth) {
    switch (from->Kind()) {
      case kPDFKindDictionary:
        CopyPairs(static_cast<const TPDFDictionary*>(from), static_cast<TPDFDictionary*>(to), depth);
        break;
      case kPDFKindArray: {
        auto* array = static_cast<TPDFArray*>(to);
        const auto& items = static_cast<const TPDFArray*>(from)->Items();
        array->Reserve(static_cast<int>(items.size()));
        for (const TPDFObject* item : items) {
          if (failed_) break;
          array->Add(item != nullptr ? Copy(item, depth) : nullptr);
        }
        break;
      }
      case kPDFKindStream: {
        const auto* stream = static_cast<const TPDFStream*>(from);
        auto* copy = static_cast<TPDFStream*>(to);
        CopyPairs(stream->Dictionary(), copy->Dictionary(), depth + 1);
        copy->SetData(stream->Data());
        copy->SetTag(stream->Tag());
        break;
      }
      default:
        break;
    }
  }

  TPDFObject* Copy(const TPDFObject* from, int depth) {
    if (from->Kind() == kPDFKindIndRef) return CopyReference(static_cast<const TPDFIndRef*>(from));
    if (!IsContainer(from)) return CopySimple(from);
    if (const auto it = copies_.find(from); it != copies_.end()) return it->second;
    if (depth >= kPDFMaxNestingDepth) return target_.NewNull();
    TPDFObject* to = Shell(from);
    copies_.emplace(from, to);
    Fill(from, to, depth + 1);
    return to;
  }

  TPDFObject* CopyReference(const TPDFIndRef* ref) {
    const std::pair<int, int> key{ref->TargetNumber(), ref->TargetGeneration()};
    if (const auto it = references_.find(key); it != references_.end())
      return target_.NewIndRef(it->second.first, it->second.second);
    // Resolving may load the object; it does not change the reference itself.
    TPDFObject* resolved = const_cast<TPDFIndRef*>(ref)->Resolve();
    if (resolved == nullptr) return target_.NewNull();
    if (!target_.OnMakeIndirect) {
      failed_ = true;
      return target_.NewNull();
    }
    TPDFObject* shell;
    if (const auto it = copies_.find(resolved); it != copies_.end()) {
      shell = it->second;
    } else {
      shell = Shell(resolved);
      copies_.emplace(resolved, shell);
      if (IsContainer(resolved)) pending_.emplace_back(resolved, shell);
    }
    // Two references that resolve to one object share one indirect copy.
    auto made = indirect_.find(shell);
    if (made == indirect_.end()) {
      int number = 0, generation = 0;
      target_.MakeIndirect(shell, number, generation);
      made = indirect_.emplace(shell, std::make_pair(number, generation)).first;
    }
    references_.emplace(key, made->second);
    return target_.NewIndRef(made->second.first, made->second.second);
  }

  static bool IsContainer(const TPDFObject* o) {
    return o->Kind() == kPDFKindDictionary || o->Kind() == kPDFKindArray || o->Kind() == kPDFKindStream;
  }

  TPDFStructure& target_;
  std::unordered_map<const TPDFObject*, TPDFObject*> copies_;
  std::map<std::pair<int, int>, std::pair<int, int>> references_;
  std::unordered_map<const TPDFObject*, std::pair<int, int>> indirect_;
  std::deque<std::pair<const TPDFObject*, TPDFObject*>> pending_;
  bool failed_ = false;
};

}  // namespace

TPDFObject* ImportObject(TPDFStructure& target, const TPDFObject& source) {
  return TPDFObjectImporter(target).Run(source);
}
