// The comparison run over a folder of photographs next to the plain decode of the same files.
// A generator makes the folder first (JPEG and PNG in turn, 2 to 12 megapixels, smooth
// gradients with grain like a photograph), in a child process so that the peak memory printed
// is the run's own. Then every file is decoded once with libjpeg-turbo or libpng alone, and the
// whole folder goes through the program's comparison run (master analysis, search, one
// footprint per file, copies of the matches).
// Usage: bench_compare_run [files [folder]]     (default 200 files in a temporary folder)
#include <time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "bench/measure.h"
#include "bench/photo_files.h"
#include "bench/plain_decoders.h"

#include "app/candidate_match.h"
#include "app/compare_run.h"
#include "app/heap_settings.h"
#include "app/master_footprint.h"
#include "app/sorter_view.h"
#include "platform/rtl/files.h"
#include "platform/rtl/string_list.h"

using benchphoto::Size;
using benchphoto::WriteJpeg;
using benchphoto::WritePng;
using benchplain::PlainJpeg;
using benchplain::PlainPng;

namespace {

// The machine may be shared: the figures are the process's processor time, which other
// programs do not inflate (every step runs on this one thread).
struct Clock {
  using time_point = double;
  static double now() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
  }
};

double Seconds(double t0) { return Clock::now() - t0; }

double WallNow() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

using benchmeasure::PeakMiB;

// ---- the generator ----

// 2 to 12 megapixels, landscape and portrait, 4:3 and 3:2.
Size SizeOf(int i) {
  const double mp = 2.0 + 10.0 * ((i * 37) % 100) / 99.0;
  const double ratio = (i % 3 == 0) ? 1.5 : 4.0 / 3.0;
  int w = int(std::sqrt(mp * 1e6 * ratio)), h = int(mp * 1e6 / w);
  if (i % 4 == 3) std::swap(w, h);
  return {w, h};
}

std::string FileName(const std::string& folder, int i) {
  char name[64];
  std::snprintf(name, sizeof name, "photo%03d.%s", i, i % 2 ? "png" : "jpg");
  return folder + name;
}

void Generate(const std::string& folder, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string name = FileName(folder, i);
    if (FileExists(FileNameToWide(name))) continue;
    if (i % 2) WritePng(name, i, SizeOf(i)); else WriteJpeg(name, i, SizeOf(i));
  }
}

// ---- the window the run reports to ----

class BenchView : public Tarnwick1::TSorterView {
 public:
  std::string Text(Tarnwick1::TSorterEdit edit) const override {
    const auto it = texts.find(edit);
    return it == texts.end() ? std::string() : it->second;
  }
  void SetText(Tarnwick1::TSorterEdit edit, const std::string& text) override { texts[edit] = text; }
  void RepaintEdit(Tarnwick1::TSorterEdit) override {}
  bool Checked(int box) const override { return box == 7; }
  void SetChecked(int, bool) override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int) override {}
  void ProcessMessages() override {}
  void RepaintWindow() override {}
  Tarnwick1::TInfoAnswer InfoDialog(const std::string&, Tarnwick1::TInfoButtons, TColor) override {
    return Tarnwick1::TInfoAnswer::Yes;
  }
  void PlainMessage(const std::string&) override {}
  std::map<Tarnwick1::TSorterEdit, std::string> texts;
};

}  // namespace

int main(int argc, char** argv) {
  // As the program itself does at its start.
  Tarnwick1::KeepLargeBuffersInHeap();
  const int count = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;
  std::string folder = argc > 2 ? argv[2] : WideToFileName(GetTempDir()) + "velmora-bench-photos";
  if (folder.back() != '/') folder += '/';
  ForceDirectories(FileNameToWide(folder));

  const double g0 = WallNow();
  const pid_t child = fork();
  if (child == 0) {
    Generate(folder, count);
    std::_Exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 2;
  std::printf("%d photographs in %s (made or found in %.1f s)\n", count, folder.c_str(), WallNow() - g0);

  std::map<bool, double> plain, road;
  std::map<bool, int> files;
  std::map<bool, double> pixels;
  for (int i = 0; i < count; ++i) {
    const bool png = i % 2;
    const std::string name = FileName(folder, i);
    auto t0 = Clock::now();
    png ? PlainPng(name) : PlainJpeg(name);
    plain[png] += Seconds(t0);
    files[png]++;
    const Size s = SizeOf(i);
    pixels[png] += double(s.w) * s.h;
  }

  BenchView view;
  Tarnwick1::SorterView = &view;
  const std::string target = folder + "compared/";
  view.SetText(Tarnwick1::TSorterEdit::Edit4, target);
  view.SetText(Tarnwick1::TSorterEdit::EditPix, "4");
  view.SetText(Tarnwick1::TSorterEdit::EditPrec, "75");
  Tarnwick1::MasterFootprint(FileName(folder, 0));

  // The same files one by one (per format), then the whole run as the program does it.
  for (int i = 0; i < count; ++i) {
    const bool png = i % 2;
    auto t0 = Clock::now();
    Tarnwick1::CompareImageFile(FileName(folder, i));
    road[png] += Seconds(t0);
  }
  auto r0 = Clock::now();
  const double w0 = WallNow();
  Tarnwick1::CompareRun(folder);
  const double run = Seconds(r0), runWall = WallNow() - w0;
  const int found = Tarnwick1::FilesFound, matched = Tarnwick1::MatchCount;

  std::printf("%-6s %6s %9s %14s %14s %7s\n", "format", "files", "avg MP", "plain ms/file", "road ms/file", "ratio");
  for (bool png : {false, true}) {
    const int n = files[png];
    std::printf("%-6s %6d %9.1f %14.1f %14.1f %7.2f\n", png ? "PNG" : "JPEG", n, pixels[png] / n / 1e6,
                1000 * plain[png] / n, 1000 * road[png] / n, road[png] / plain[png]);
  }
  const double allPlain = plain[false] + plain[true], allRoad = road[false] + road[true];
  std::printf("%-6s %6d %9s %14.1f %14.1f %7.2f\n", "all", count, "", 1000 * allPlain / count, 1000 * allRoad / count,
              allRoad / allPlain);
  std::printf("comparison run: %d files, %d matches, %.1f ms per file (processor time; %.1f ms wall)\n", found,
              matched, 1000 * run / found, 1000 * runWall / found);
  std::printf("peak memory %ld MiB\n", PeakMiB());
  std::string rm = "rm -rf '" + target + "'";
  if (std::system(rm.c_str()) != 0) return 1;
  return 0;
}
