#include "pdf/fonts/formats/cff/cff_dict.h"

#include <charconv>
#include <cmath>

#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_structure.h"

namespace {

constexpr size_t kMaxDictOperands = 48;

struct TOperatorEntry {
  int Code;  // 0-21, or 1200 + second byte for escaped operators
  const char* Key;
  TCFFDictItem::TKind Kind;
  bool Spaced;
};

constexpr TOperatorEntry kTopOperators[] = {
    {0, "version", TCFFDictItem::kString, true},
    {1, "Notice", TCFFDictItem::kString, true},
    {2, "FullName", TCFFDictItem::kString, true},
    {3, "FamilyName", TCFFDictItem::kString, true},
    {4, "Weight", TCFFDictItem::kString, true},
    {5, "FontBBox", TCFFDictItem::kArray, true},
    {13, "UniqueID", TCFFDictItem::kNumber, true},
    {14, "XUID", TCFFDictItem::kArray, true},
    {15, "charset", TCFFDictItem::kNumber, true},
    {16, "Encoding", TCFFDictItem::kNumber, true},
    {17, "CharStrings", TCFFDictItem::kNumber, true},
    {18, "Private", TCFFDictItem::kArray, true},
    {1200, "Copyright", TCFFDictItem::kString, true},
    {1201, "isFixedPitch", TCFFDictItem::kNumber, true},
    {1202, "italicAngle", TCFFDictItem::kNumber, true},
    {1203, "UnderlinePosition", TCFFDictItem::kNumber, true},
    {1204, "UnderlineThickness", TCFFDictItem::kNumber, true},
    {1205, "PaintType", TCFFDictItem::kNumber, true},
    {1206, "CharstringType", TCFFDictItem::kNumber, true},
    {1207, "FontMatrix", TCFFDictItem::kArray, true},
    {1208, "StrokeWidth", TCFFDictItem::kNumber, true},
    {1220, "SyntheticBase", TCFFDictItem::kNumber, true},
    {1221, "PostScript", TCFFDictItem::kString, true},
    {1222, "BaseFontName", TCFFDictItem::kString, true},
    {1223, "BaseFontBlend", TCFFDictItem::kArray, false},
    {1230, "ROS", TCFFDictItem::kArray, false},
    {1231, "CIDFontVersion", TCFFDictItem::kNumber, true},
    {1232, "CIDFontRevision", TCFFDictItem::kNumber, true},
    {1233, "CIDFontType", TCFFDictItem::kNumber, true},
    {1234, "CIDCount", TCFFDictItem::kNumber, true},
    {1235, "UIDBase", TCFFDictItem::kNumber, true},
    {1236, "FDArray", TCFFDictItem::kNumber, true},
    {1237, "FDSelect", TCFFDictItem::kNumber, true},
    {1238, "FontName", TCFFDictItem::kString, true},
};

constexpr TOperatorEntry kPrivateOperators[] = {
    {6, "BlueValues", TCFFDictItem::kArray, true},
    {7, "OtherBlues", TCFFDictItem::kArray, true},
    {8, "FamilyBlues", TCFFDictItem::kArray, true},
    {9, "FamilyOtherBlues", TCFFDictItem::kArray, true},
    {10, "StdHW", TCFFDictItem::kNumber, true},
    {11, "StdVW", TCFFDictItem::kNumber, true},
    {1209, "BlueScale", TCFFDictItem::kNumber, true},
    {1210, "BlueShift", TCFFDictItem::kNumber, true},
    {1211, "BlueFuzz", TCFFDictItem::kNumber, true},
    {1212, "StemSnapH", TCFFDictItem::kArray, true},
    {1213, "StemSnapV", TCFFDictItem::kArray, true},
    {1214, "ForceBold", TCFFDictItem::kNumber, true},
    {1217, "LanguageGroup", TCFFDictItem::kNumber, true},
    {1218, "ExpansionFactor", TCFFDictItem::kNumber, true},
    {1219, "initialRandomSeed", TCFFDictItem::kNumber, true},
    {19, "Subrs", TCFFDictItem::kNumber, true},
    {20, "defaultWidthX", TCFFDictItem::kNumber, true},
    {21, "nominalWidthX", TCFFDictItem::kNumber, true},
};

const TOperatorEntry* FindOperator(int code, int kind) {
  if (kind == 0) {
    for (const auto& e : kTopOperators) {
      if (e.Code == code) return &e;
    }
  } else {
    for (const auto& e : kPrivateOperators) {
      if (e.Code == code) return &e;
    }
  }
  return nullptr;
}

// A real operand: nibbles from the high one on, until a byte whose low nibble is 0xf.
std::string ReadReal(std::string_view data, size_t& i) {
  static constexpr const char* kNibbles[16] = {"0", "1", "2", "3", "4", "5", "6", "7",
                                               "8", "9", ".", "E", "E-", "", "-", ""};
  std::string text;
  while (++i < data.size()) {
    const uint8_t b = uint8_t(data[i]);
    text += kNibbles[b >> 4];
    if ((b & 15) == 15) break;
    text += kNibbles[b & 15];
  }
  return text;
}

}  // namespace

double CFFNumberValue(std::string_view text) {
  // from_chars reads no leading "+"; the texts here never have one.
  double v = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || !std::isfinite(v)) return 0;
  return v;
}

std::vector<TCFFDictItem> ReadCFFDict(std::string_view data, int kind,
                                      const std::function<std::string(int64_t sid)>& sidToString) {
  std::vector<TCFFDictItem> items;
  std::vector<std::string> stack;
  auto push = [&](std::string s) {
    if (stack.size() < kMaxDictOperands) stack.push_back(std::move(s));
  };
  auto emit = [&](TCFFDictItem item) {
    for (auto& existing : items) {
      if (existing.Key == item.Key) {
        existing = std::move(item);
        return;
      }
    }
    items.push_back(std::move(item));
  };
  for (size_t i = 0; i < data.size(); ++i) {
    const uint8_t b0 = uint8_t(data[i]);
    const size_t left = data.size() - i - 1;
    if (b0 <= 21) {
      int code = b0;
      if (b0 == 12) {
        if (left < 1) break;
        code = 1200 + uint8_t(data[++i]);
      }
      const TOperatorEntry* op = FindOperator(code, kind);
      if (op == nullptr) continue;
      TCFFDictItem item{op->Key, op->Kind, {}, op->Spaced};
      if (op->Kind == TCFFDictItem::kArray) {
        item.Operands = std::move(stack);
        stack.clear();
        // Private's operands are size and offset; the entry holds offset first.
        if (code == 18 && item.Operands.size() == 2) std::swap(item.Operands[0], item.Operands[1]);
      } else {
        if (stack.empty()) continue;
        std::string top = std::move(stack.back());
        stack.pop_back();
        if (op->Kind == TCFFDictItem::kString) {
          const double sid = CFFNumberValue(top);
          top = sidToString && sid >= 0 && sid < 65536 ? sidToString(int64_t(sid)) : std::string();
        }
        item.Operands.push_back(std::move(top));
      }
      emit(std::move(item));
    } else if (b0 == 28) {
      if (left < 2) break;
      push(std::to_string(int16_t(uint16_t(uint8_t(data[i + 1]) << 8 | uint8_t(data[i + 2])))));
      i += 2;
    } else if (b0 == 29) {
      if (left < 4) break;
      const uint32_t v = uint32_t(uint8_t(data[i + 1])) << 24 | uint32_t(uint8_t(data[i + 2])) << 16 |
                         uint32_t(uint8_t(data[i + 3])) << 8 | uint8_t(data[i + 4]);
      push(std::to_string(int32_t(v)));
      i += 4;
    } else if (b0 >= 32 && b0 <= 246) {
      push(std::to_string(int(b0) - 139));
    } else if (b0 >= 247 && b0 <= 254) {
      if (left < 1) break;
      const int b1 = uint8_t(data[++i]);
      push(std::to_string(b0 <= 250 ? (b0 - 247) * 256 + b1 + 108 : -(b0 - 251) * 256 - b1 - 108));
    } else if (b0 == 30) {
      push(ReadReal(data, i));
    }
    // 22-27, 31 and 255 are reserved and ignored.
  }
  return items;
}

std::string CFFDictToText(const std::vector<TCFFDictItem>& items) {
  std::string out = "<< ";
  for (const auto& item : items) {
    out += '/';
    out += item.Key;
    out += ' ';
    switch (item.Kind) {
      case TCFFDictItem::kNumber: out += item.Operands.empty() ? "0" : item.Operands[0]; break;
      case TCFFDictItem::kString:
        out += '(';
        out += item.Operands.empty() ? "" : item.Operands[0];
        out += ')';
        break;
      case TCFFDictItem::kArray: {
        out += item.Spaced ? "[ " : "[";
        for (size_t k = 0; k < item.Operands.size(); ++k) {
          if (k > 0) out += ' ';
          out += item.Operands[k];
        }
        out += item.Spaced ? " ]" : "]";
        break;
      }
    }
    out += ' ';
  }
  out += ">>";
  return out;
}

TPDFDictionary* BuildCFFDict(TPDFStructure& store, const std::vector<TCFFDictItem>& items) {
  TPDFDictionary* dict = store.NewDictionary();
  for (const auto& item : items) {
    TPDFObject* value = nullptr;
    switch (item.Kind) {
      case TCFFDictItem::kNumber:
        value = store.NewNumeric(item.Operands.empty() ? 0.0 : CFFNumberValue(item.Operands[0]));
        break;
      case TCFFDictItem::kString: value = store.NewString(item.Operands.empty() ? "" : item.Operands[0], false); break;
      case TCFFDictItem::kArray: {
        TPDFArray* array = store.NewArray();
        for (const auto& op : item.Operands) array->Add(store.NewNumeric(CFFNumberValue(op)));
        value = array;
        break;
      }
    }
    dict->SetValue(item.Key, value);
  }
  return dict;
}
