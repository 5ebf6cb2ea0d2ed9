// The widths and vertical metrics of a CID font: W and DW, W2 and DW2.
//
// W arrays are read as ranges of CIDs clamped to 0..65535; the first width given for a CID
// wins. Filling skips CIDs already set, so the work grows with the array, never with the
// ranges it merely states.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class TPDFArray;
class TPDFObject;

class TCIDWidths {
 public:
  static constexpr uint32_t kCIDCount = 65536;

  int32_t Default = 1000;  // DW
  // Reads a W array; resolve turns references into objects. A W that is no array leaves only
  // the default.
  void Read(const TPDFArray* w, const std::function<TPDFObject*(TPDFObject*)>& resolve);
  // The width W gives a CID, empty when W gives none.
  std::optional<int32_t> Find(int64_t cid) const;
  bool Empty() const { return widths_.empty(); }
  void Set(uint32_t first, uint32_t last, int32_t width);

 private:
  static constexpr int32_t kUnset = INT32_MIN;
  uint32_t NextUnset(uint32_t cid);
  std::vector<int32_t> widths_;
  std::vector<uint32_t> next_;  // union-find over set CIDs: the next CID that may be unset
};

struct TW2Entry {
  int32_t First = 0, Last = 0, W1y = 0, Vx = 0, Vy = 0;
};

struct TCIDVerticalMetrics {
  int32_t DefaultVy = 880, DefaultW1y = -1000;  // DW2
  std::vector<TW2Entry> W2;
  void ReadDW2(const TPDFArray* dw2);
  void ReadW2(const TPDFArray* w2, const std::function<TPDFObject*(TPDFObject*)>& resolve);
  // The last W2 entry whose range holds the CID, else the defaults.
  void Find(int64_t cid, int32_t& w1y, int32_t& vy) const;
};
