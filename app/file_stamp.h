// What the file system says of a file's identity and last change, to tell whether a file is
// still the one read earlier without reading it again.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace Tarnwick1 {

struct TFileStamp {
  uint64_t Device = 0;
  uint64_t Inode = 0;
  int64_t Size = -1;
  timespec Modified{};
  timespec Changed{};  // status change: any write, rename onto the name or change of times
  bool operator==(const TFileStamp& other) const;
};

// False when the file cannot be looked at.
bool ReadFileStamp(const std::string& fileName, TFileStamp& stamp);

// True when the file's last changes lie well before `start`: a write after `start` then shows
// in the stamp even on file systems whose times are coarse (two seconds on FAT) or lag the
// clock by a tick.
bool SettledBefore(const TFileStamp& stamp, const timespec& start);

// The wall clock, as the file system's times are taken.
timespec WallClockNow();

}  // namespace Tarnwick1
