#include "app/file_stamp.h"

#include <sys/stat.h>

namespace Tarnwick1 {

namespace {

// Coarser than any file system's time stamps, and than the lag of the kernel's coarse clock.
constexpr time_t kSettleSeconds = 3;

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool Before(const timespec& t, const timespec& limit) {
  return t.tv_sec < limit.tv_sec || (t.tv_sec == limit.tv_sec && t.tv_nsec < limit.tv_nsec);
}

}  // namespace

bool TFileStamp::operator==(const TFileStamp& other) const {
  return Device == other.Device && Inode == other.Inode && Size == other.Size &&
         SameTime(Modified, other.Modified) && SameTime(Changed, other.Changed);
}

bool ReadFileStamp(const std::string& fileName, TFileStamp& stamp) {
  struct stat st {};
  if (stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  stamp.Device = uint64_t(st.st_dev);
  stamp.Inode = uint64_t(st.st_ino);
  stamp.Size = int64_t(st.st_size);
  stamp.Modified = st.st_mtim;
  stamp.Changed = st.st_ctim;
  return true;
}

bool SettledBefore(const TFileStamp& stamp, const timespec& start) {
  const timespec limit{start.tv_sec - kSettleSeconds, start.tv_nsec};
  return Before(stamp.Modified, limit) && Before(stamp.Changed, limit);
}

timespec WallClockNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

}  // namespace Tarnwick1
