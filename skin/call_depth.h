// Counts a call under way on an object for as long as it lives. The skin's wrappers count the
// calls into them that may reach application code or messages; one with a call under way is
// not freed, however its window ends meanwhile.
#pragma once

class TCallDepth {
 public:
  explicit TCallDepth(int& depth) : depth_(depth) { ++depth_; }
  ~TCallDepth() { --depth_; }
  TCallDepth(const TCallDepth&) = delete;
  TCallDepth& operator=(const TCallDepth&) = delete;

 private:
  int& depth_;
};
