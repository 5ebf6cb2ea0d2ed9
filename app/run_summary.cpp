#include "app/run_summary.h"

#include "platform/rtl/numbers.h"

namespace Tarnwick1 {

namespace {

constexpr const char* kCR = "\r";

// A summary names every match that is not in the target folder as a copy: a person who reads
// "were copied" looks for them there.
bool AllCopied(int32_t matches, const TCopyTally& tally) { return tally.Copied == matches; }

std::string CopiesSummary(int32_t matches, int32_t files, bool toClipboard, const std::string& target,
                          const TCopyTally& tally) {
  std::string s = IntToStr(matches) + " imagefiles out of " + IntToStr(files) + " files" + kCR;
  if (toClipboard) return s + "are matching to the pattern and were written into the clipboard ...";
  if (AllCopied(matches, tally)) return s + "are matching to the pattern and were copied to ..." + kCR + target;
  s += "are matching to the pattern; " + IntToStr(tally.Copied) + " of them were copied to ..." + kCR + target;
  if (tally.Failed > 0) s += kCR + IntToStr(tally.Failed) + " could not be copied: " + tally.FirstFailure;
  if (tally.AlreadyThere > 0)
    s += kCR + IntToStr(tally.AlreadyThere) + " were not copied: a file of that name was already there.";
  return s;
}

}  // namespace

std::string RunSummary(int32_t matches, int32_t files, bool toClipboard, const std::string& target,
                       const TCopyTally& tally, const std::string& searchNote) {
  const std::string s = CopiesSummary(matches, files, toClipboard, target, tally);
  return searchNote.empty() ? s : s + kCR + searchNote;
}

std::string ConsoleCopySummary(int32_t matches, int32_t files, const TCopyTally& tally, const std::string& target) {
  std::string s = IntToStr(matches) + " matching imagefiles out of " + IntToStr(files) + " files";
  if (AllCopied(matches, tally)) return s + " were copied to " + target;
  s += ": " + IntToStr(tally.Copied) + " were copied to " + target;
  if (tally.Failed > 0) s += ", " + IntToStr(tally.Failed) + " could not be copied";
  if (tally.AlreadyThere > 0) s += ", " + IntToStr(tally.AlreadyThere) + " were not copied: a file of that name was already there";
  return s;
}

}  // namespace Tarnwick1
