#include "tests/pdf/fonts/formats/cff_builder.h"

#include <cmath>

namespace glyphtest {

namespace {

std::string BigEndian(uint64_t v, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out += char((v >> (8 * i)) & 255);
  return out;
}

}  // namespace

std::string CFFIndex(const std::vector<std::string>& items, int offSize) {
  if (items.empty()) return std::string(2, '\0');
  uint64_t total = 1;
  for (const auto& item : items) total += item.size();
  if (offSize == 0) offSize = total < 0x100 ? 1 : total < 0x10000 ? 2 : total < 0x1000000 ? 3 : 4;
  std::string out = BigEndian(items.size(), 2) + char(offSize);
  uint64_t offset = 1;
  out += BigEndian(offset, offSize);
  for (const auto& item : items) {
    offset += item.size();
    out += BigEndian(offset, offSize);
  }
  for (const auto& item : items) out += item;
  return out;
}

std::string DictInt(int64_t v) {
  if (v >= -107 && v <= 107) return std::string(1, char(v + 139));
  if (v >= 108 && v <= 1131) return {char((v - 108) / 256 + 247), char((v - 108) % 256)};
  if (v >= -1131 && v <= -108) return {char((-v - 108) / 256 + 251), char((-v - 108) % 256)};
  if (v >= -32768 && v <= 32767) return char(28) + BigEndian(uint16_t(int16_t(v)), 2);
  return DictInt5(v);
}

std::string DictInt5(int64_t v) { return char(29) + BigEndian(uint32_t(int32_t(v)), 4); }

std::string DictReal(const std::string& text) {
  std::vector<int> nibbles;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      nibbles.push_back(c - '0');
    } else if (c == '.') {
      nibbles.push_back(0xa);
    } else if (c == '-') {
      nibbles.push_back(0xe);
    } else if (c == 'E' && i + 1 < text.size() && text[i + 1] == '-') {
      nibbles.push_back(0xc);
      ++i;
    } else if (c == 'E') {
      nibbles.push_back(0xb);
    }
  }
  nibbles.push_back(0xf);
  if (nibbles.size() % 2 == 1) nibbles.push_back(0xf);
  std::string out(1, char(30));
  for (size_t i = 0; i < nibbles.size(); i += 2) out += char(nibbles[i] << 4 | nibbles[i + 1]);
  return out;
}

std::string DictOp(int op) { return op >= 1200 ? std::string{char(12), char(op - 1200)} : std::string(1, char(op)); }

TType2& TType2::N(int64_t v) {
  if (v >= -1131 && v <= 1131) {
    bytes_ += DictInt(v);
  } else {
    bytes_ += char(28) + BigEndian(uint16_t(int16_t(v)), 2);
  }
  return *this;
}

TType2& TType2::Fixed(double v) {
  bytes_ += char(255) + BigEndian(uint32_t(int32_t(std::lround(v * 65536))), 4);
  return *this;
}

TType2& TType2::O(int op) {
  bytes_ += DictOp(op);
  return *this;
}

TType2& TType2::Raw(std::initializer_list<int> bytes) {
  for (int b : bytes) bytes_ += char(b);
  return *this;
}

std::string TCFFBuilder::Build() const {
  // Every offset is written in five bytes, so the DICTs' sizes do not depend on the offsets:
  // the layout is computed once with zeros and once with the real values.
  auto privateDict = [&](const std::vector<std::string>& subrs, int64_t) {
    std::string p = PrivateExtra;
    if (!subrs.empty()) {
      const size_t size = p.size() + 6;
      p += DictInt5(int64_t(size)) + DictOp(19);
    }
    return p;
  };
  struct TLayout {
    int64_t charset = 0, encoding = 0, fdselect = 0, charstrings = 0, fdarray = 0, priv = 0;
  } at;
  std::string font;
  for (int pass = 0; pass < 2; ++pass) {
    std::string top;
    if (CID) top += DictInt(391) + DictInt(392) + DictInt(0) + DictOp(1230);
    top += TopExtra;
    if (!Charset.empty()) top += DictInt5(at.charset) + DictOp(15);
    else if (CharsetValue >= 0) top += DictInt(CharsetValue) + DictOp(15);
    if (!Encoding.empty()) top += DictInt5(at.encoding) + DictOp(16);
    else if (EncodingValue >= 0) top += DictInt(EncodingValue) + DictOp(16);
    top += DictInt5(at.charstrings) + DictOp(17);
    const std::string topPrivate = privateDict(LocalSubrs, 0);
    if (WritePrivate) top += DictInt5(int64_t(topPrivate.size())) + DictInt5(at.priv) + DictOp(18);
    if (CID) top += DictInt5(at.fdselect) + DictOp(1237) + DictInt5(at.fdarray) + DictOp(1236);
    std::vector<std::string> strings = Strings;
    if (CID && strings.size() < 2) strings = {"Adobe", "Identity"};
    font = std::string("\x01\x00\x04\x04", 4) + CFFIndex({"Test"}) + CFFIndex({top}) + CFFIndex(strings) +
           CFFIndex(GlobalSubrs);
    at.charset = int64_t(font.size());
    font += Charset;
    at.encoding = int64_t(font.size());
    font += Encoding;
    at.fdselect = int64_t(font.size());
    font += FDSelect;
    at.charstrings = int64_t(font.size());
    font += CFFIndex(CharStrings);
    // Font DICTs, each naming its Private DICT; the Private DICTs follow.
    std::vector<std::string> privates;
    for (const auto& subrs : FontDictSubrs) privates.push_back(privateDict(subrs, 0));
    std::vector<int64_t> privateAt;
    auto fdExtra = [&](size_t i) { return i < FontDictExtra.size() ? FontDictExtra[i] : std::string(); };
    int64_t fdArraySize = 0;
    {
      std::vector<std::string> fds;
      for (size_t i = 0; i < privates.size(); ++i)
        fds.push_back(fdExtra(i) + DictInt5(int64_t(privates[i].size())) + DictInt5(0) + DictOp(18));
      fdArraySize = int64_t(CFFIndex(fds, 4).size());
    }
    at.fdarray = int64_t(font.size());
    int64_t next = at.fdarray + (CID ? fdArraySize : 0);
    std::string privatesData;
    for (size_t i = 0; i < privates.size(); ++i) {
      privateAt.push_back(next + int64_t(privatesData.size()));
      privatesData += privates[i] + (FontDictSubrs[i].empty() ? std::string() : CFFIndex(FontDictSubrs[i]));
    }
    if (CID) {
      std::vector<std::string> fds;
      for (size_t i = 0; i < privates.size(); ++i) {
        fds.push_back(fdExtra(i) + DictInt5(int64_t(privates[i].size())) + DictInt5(privateAt[i]) + DictOp(18));
      }
      font += CFFIndex(fds, 4) + privatesData;
    }
    at.priv = int64_t(font.size());
    font += topPrivate + (LocalSubrs.empty() ? std::string() : CFFIndex(LocalSubrs));
  }
  return font;
}

std::string OpenTypeFont(const std::vector<std::pair<std::string, std::string>>& tables) {
  std::string out = "OTTO" + BigEndian(tables.size(), 2) + std::string(6, '\0');
  uint32_t offset = uint32_t(12 + 16 * tables.size());
  std::string data;
  for (const auto& [tag, table] : tables) {
    out += tag + BigEndian(0, 4) + BigEndian(offset + data.size(), 4) + BigEndian(table.size(), 4);
    data += table;
  }
  return out + data;
}

}  // namespace glyphtest
