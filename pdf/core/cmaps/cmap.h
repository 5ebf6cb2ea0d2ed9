// A CMap: character codes to CIDs (/CMapType 0 or 1) or to Unicode (/CMapType 2) by ranges,
// plus code sections that the font writer fills with its own code assignments.
//
// Ranges are kept as ranges (never expanded per code), so a range over all 2^32 codes costs
// one entry. MapCode builds a sorted index of the ranges on first use (again after a change),
// so a CMap is not for use by two threads at once.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Codes of one length with their 1- or 2-byte values, codes ascending.
class TOrvanePDFLibraryCMapSection {
 public:
  std::vector<uint32_t> Codes;
  std::vector<uint8_t> Values;  // Width bytes per code
  int CodeLength = 0;           // the caller's key
  int Width = 1;                // 1 or 2
};

struct TCMapCodespaceRange {
  uint32_t Low, High;
  int Bytes = 0;  // code length in bytes as the range was written (0: unknown)
};

struct TCMapCidRange {
  uint32_t Low, High;
  uint16_t CID;
};

struct TCMapBfRange {
  uint32_t Low, High;
  std::array<uint16_t, 4> Units;  // UTF-16 destination, 0 beyond its length
};

class TOrvanePDFLibraryCMap {
 public:
  // Kinds.
  static constexpr uint8_t kKindNone = 0;     // no /CMapType seen
  static constexpr uint8_t kKindUnicode = 1;  // /CMapType 2
  static constexpr uint8_t kKindCID = 2;      // /CMapType 0 or 1

  TOrvanePDFLibraryCMap() = default;
  virtual ~TOrvanePDFLibraryCMap() { Clear(); }
  TOrvanePDFLibraryCMap(const TOrvanePDFLibraryCMap&) = delete;
  TOrvanePDFLibraryCMap& operator=(const TOrvanePDFLibraryCMap&) = delete;

  // Frees the sections and empties every range list.
  void Clear();

  // Adds code with a value of 1 or 2 bytes to the section of this code length and value width
  // (made and appended when missing), keeping codes ascending; an equal code goes after the
  // ones present. Other value lengths are ignored.
  void AddMapping(int codeLength, uint32_t code, std::string_view value);
  // The first section in creation order with this code length (any, for 0) that holds code
  // gives its value (two bytes big-endian for width 2); 0 when none holds it.
  uint16_t Lookup(int codeLength, uint32_t code) const;

  void SetIdentity() { identity_ = true; }
  bool Identity() const { return identity_; }
  // Identity: the code itself. CID CMaps: the first CID range holding the code gives
  // CID + code - low; Unicode CMaps: the first bf range gives its first unit + code - low.
  // -1 when no range holds the code, for a CMap of no kind, or when the answer would not fit
  // in an int.
  int MapCode(uint32_t code) const;

  void AddCodespaceRange(uint32_t low, uint32_t high, int bytes = 0) { codespaceRanges_.push_back({low, high, bytes}); }
  void AddCidRange(uint32_t low, uint32_t high, uint16_t cid);
  // Keeps at most four units.
  void AddBfRange(uint32_t low, uint32_t high, std::u16string_view units);

  const std::vector<std::unique_ptr<TOrvanePDFLibraryCMapSection>>& Sections() const { return sections_; }
  const std::vector<TCMapCodespaceRange>& CodespaceRanges() const { return codespaceRanges_; }
  const std::vector<TCMapCidRange>& CidRanges() const { return cidRanges_; }
  const std::vector<TCMapBfRange>& BfRanges() const { return bfRanges_; }

  std::string Name;              // set by whoever loads the CMap
  uint8_t Kind = kKindNone;
  bool OneByteCodes = false;     // a bf or CID entry's low end was written with two hex digits
  int ParentIndex = -1;          // the font engines' cache index of the usecmap CMap
  std::string UseCMapName;

 private:
  // The ranges that hold any code, by low end; when none overlap, the one range holding a
  // code is found by binary search, otherwise the first in creation order by a walk.
  struct RangeIndex {
    bool Valid = false;
    bool Disjoint = false;
    std::vector<uint32_t> Order;
  };
  template <typename Range>
  static int64_t Find(const std::vector<Range>& ranges, RangeIndex& index, uint32_t code);

  std::vector<std::unique_ptr<TOrvanePDFLibraryCMapSection>> sections_;
  std::vector<TCMapCodespaceRange> codespaceRanges_;
  std::vector<TCMapCidRange> cidRanges_;
  std::vector<TCMapBfRange> bfRanges_;
  bool identity_ = false;
  mutable RangeIndex cidIndex_, bfIndex_;
};
