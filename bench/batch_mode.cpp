// Batch mode as a user runs it: the real program ("velmora X", in a program folder of its own
// with a Velmora.cfg) over a generated folder, next to plain decodes of the same files in the
// same run. Every measured thing runs in child processes; their processor time (user + system)
// and peak memory come from wait4. Each figure is the best of several runs.
// Folders: JPEG photographs (12 of 3000 x 2000 and the master), the same photographs each
// carrying a profile (as camera and phone photographs do: LittleCMS's sRGB, ghostscript's sRGB
// and Adobe RGB (1998) profiles, a Display P3 profile written with LittleCMS), PNG photographs
// (the same), and a mixed folder of every type the program reads (photographs as JPEG, PNG, LZW
// TIFF, GIF and BMP, and an icon, an EMF and a WMF), and LZW TIFF photographs of 12 megapixels
// as libtiff writes them (four each: one-row strips, tiffcp's default; strips of 64 rows; one-row
// strips under the horizontal predictor; tiles of 256); and noisy photographs of 36 and 64
// megapixels, one a folder, in every format and compression (bench/noisy_files.h), each searched
// for a small master so that the one picture's decode is what is measured.
// Plain decodes: libjpeg-turbo's djpeg for JPEG, libpng, libtiff's strips (or tiles) and giflib
// each in a child of its own; bmptopnm for BMP; the small icon and metafiles are only read. The
// TIFF folders are also decoded by Pillow (one python3 process for the folder, less the same
// process decoding nothing), the noisy ones decoded and converted to RGB by it.
// Usage: bench_batch_mode [runs [jpeg|jpeg-icc|jpeg-gs-srgb|jpeg-a98|jpeg-p3|png|mixed|lzw-r1|lzw-r64|lzw2-r1|lzw-tiles|
//                               noisy|noisy-<kind>]]
// (default 3 runs of every folder);
// BENCH_VELMORA_DIR=<folder with velmora and libvelmora-gdiplus.so> measures another build.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <lcms2.h>
#include <tiffio.h>

#include "bench/child_runs.h"
#include "bench/large_files.h"
#include "bench/metafile_files.h"
#include "bench/noisy_files.h"
#include "bench/photo_files.h"
#include "bench/plain_decoders.h"

namespace {

using benchchild::Best;
using benchchild::RunChild;
using benchchild::RunProgram;
using benchchild::Shell;
using benchchild::Usage;

void PlainRead(const std::string& name) {
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) std::_Exit(2);
  std::vector<char> buffer(1 << 16);
  while (std::fread(buffer.data(), 1, buffer.size(), f) == buffer.size()) {
  }
  std::fclose(f);
}

std::string Extension(const std::string& name) { return name.substr(name.rfind('.') + 1); }

// The plain decode of one file by the library or tool of its type.
Usage PlainDecode(const std::string& name) {
  const std::string ext = Extension(name);
  if (ext == "jpg") return RunProgram({"djpeg", "-outfile", "/dev/null", name}, "/");
  if (ext == "bmp") return RunProgram({"bmptopnm", name}, "/");
  if (ext == "png") return RunChild([&] { benchplain::PlainPng(name); });
  if (ext == "tif") return RunChild([&] { benchplain::PlainTiffStrips(name); });
  if (ext == "gif") return RunChild([&] { benchplain::PlainGif(name); });
  return RunChild([&] { PlainRead(name); });
}

struct Folder {
  std::string name, path;
  std::vector<std::string> files;
  double largestMiB = 0;  // one decoded 24-bit image of the largest picture
  bool pillow = false;    // also decoded by Pillow
  bool toRGB = false;     // Pillow's decode converts to RGB, as the page holds every picture
  std::string master{};   // when not the first file
};

// Pillow's decode of the files in one python3 process, less that process decoding nothing.
Usage PillowDecode(const std::vector<std::string>& files, bool toRGB) {
  const char* script = toRGB ? "import sys\nfrom PIL import Image\nfor f in sys.argv[1:]:\n  Image.open(f).convert('RGB')\n"
                             : "import sys\nfrom PIL import Image\nfor f in sys.argv[1:]:\n  Image.open(f).load()\n";
  std::vector<std::string> argv = {"/usr/bin/python3", "-c", script};
  Usage idle = RunProgram(argv, "/");
  argv.insert(argv.end(), files.begin(), files.end());
  Usage u = RunProgram(argv, "/");
  u.cpu -= idle.cpu;
  u.failed = u.failed || idle.failed;
  return u;
}

constexpr benchphoto::Size kPhoto{3000, 2000};
constexpr benchphoto::Size kLarge{4000, 3000};

// Four LZW TIFF photographs of 12 megapixels (the first the master) in the layout given.
Folder LZWFolder(const std::string& root, const std::string& name, const benchlarge::TiffKind& kind) {
  Folder f{name, root + name + "/", {}, kLarge.w * kLarge.h * 3 / 1048576.0, true};
  mkdir(f.path.c_str(), 0755);
  for (int i = 0; i < 4; ++i) {
    char file[32];
    std::snprintf(file, sizeof file, "photo%02d.tif", i);
    f.files.push_back(f.path + file);
    if (access(f.files.back().c_str(), R_OK) != 0)
      benchlarge::WriteTiff(f.files.back(), kLarge.w, kLarge.h, kind,
                            benchlarge::PhotoRows(kLarge.w, kLarge.h, benchlarge::Photo::RGB8, i));
  }
  return f;
}

// The TIFF folders: one-row strips (tiffcp's default for pictures this wide), strips of 64 rows,
// one-row strips under the horizontal predictor, tiles of 256.
const std::vector<std::pair<std::string, benchlarge::TiffKind>>& LZWKinds() {
  static const std::vector<std::pair<std::string, benchlarge::TiffKind>> kinds = {
      {"lzw-r1", {8, 3, PHOTOMETRIC_RGB, 1, 1, 0}},
      {"lzw-r64", {8, 3, PHOTOMETRIC_RGB, 1, 64, 0}},
      {"lzw2-r1", {8, 3, PHOTOMETRIC_RGB, 2, 1, 0}},
      {"lzw-tiles", {8, 3, PHOTOMETRIC_RGB, 1, 0, 256}},
  };
  return kinds;
}

// One noisy picture in a folder of its own, searched for `master`; written once.
Folder NoisyFolder(const std::string& root, const benchnoisy::Kind& kind, const std::string& master) {
  Folder f{kind.name, root + kind.name + "/", {}, kind.size.w * kind.size.h * 3 / 1048576.0, true, true, master};
  mkdir(f.path.c_str(), 0755);
  f.files.push_back(f.path + "noisy." + kind.ext);
  if (access(f.files[0].c_str(), R_OK) != 0) benchnoisy::Write(kind, f.files[0], root);
  return f;
}

// The bytes of a profile made with LittleCMS, as a photograph carries it; the profile is closed.
std::vector<uint8_t> Saved(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  std::vector<uint8_t> bytes;
  if (profile && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
    bytes.resize(size);
    if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
  }
  if (profile) cmsCloseProfile(profile);
  if (bytes.empty()) std::exit(2);
  return bytes;
}

std::vector<uint8_t> SRGBProfile() { return Saved(cmsCreate_sRGBProfile()); }

// Display P3 as phones tag their photographs: P3 primaries, D65 white, sRGB's tone curve.
std::vector<uint8_t> DisplayP3Profile() {
  const cmsCIExyY d65 = {0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE p3 = {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
  const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = curve ? cmsCreateRGBProfile(&d65, &p3, curves) : nullptr;
  if (curve) cmsFreeToneCurve(curve);
  return Saved(profile);
}

// A profile ghostscript installs (Debian package libgs-common).
std::vector<uint8_t> GhostscriptProfile(const std::string& name) {
  const std::string path = "/usr/share/color/icc/ghostscript/" + name;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    std::fprintf(stderr, "%s is missing (Debian package libgs-common)\n", path.c_str());
    std::exit(2);
  }
  std::vector<uint8_t> bytes(1 << 20);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  return bytes;
}

// Twelve photographs and the master (photo00) of one type; made once, found after that. JPEG
// photographs carry the profile when one is given.
Folder PhotoFolder(const std::string& root, const std::string& name, const std::string& ext,
                   const std::vector<uint8_t>& profile = {}) {
  Folder f{name, root + name + "/", {}, kPhoto.w * kPhoto.h * 3 / 1048576.0};
  mkdir(f.path.c_str(), 0755);
  for (int i = 0; i < 13; ++i) {
    char file[32];
    std::snprintf(file, sizeof file, "photo%02d.%s", i, ext.c_str());
    f.files.push_back(f.path + file);
    if (access(f.files.back().c_str(), R_OK) == 0) continue;
    if (ext == "jpg")
      benchphoto::WriteJpeg(f.files.back(), i, kPhoto, profile);
    else
      benchphoto::WritePng(f.files.back(), i, kPhoto);
  }
  return f;
}

// Photographs in every raster type (ImageMagick converts the PNG ones), an icon and two
// metafiles.
Folder MixedFolder(const std::string& root, const Folder& png) {
  Folder f{"mixed", root + "mixed/", {}, png.largestMiB};
  mkdir(f.path.c_str(), 0755);
  const std::vector<std::pair<std::string, std::string>> made = {
      {"photo00.jpg", ""},
      {"photo01.png", ""},
      {"photo02.tif", "-compress lzw"},
      {"photo03.gif", ""},
      {"photo04.bmp", "-type truecolor"},
      {"photo05.jpg", ""},
      {"icon.ico", "-resize 48x32"},
  };
  for (const auto& [file, options] : made) {
    const std::string to = f.path + file;
    f.files.push_back(to);
    if (access(to.c_str(), R_OK) == 0) continue;
    const std::string ext = Extension(file);
    const int i = std::atoi(file.c_str() + 5);
    if (ext == "jpg")
      benchphoto::WriteJpeg(to, i, kPhoto);
    else if (ext == "png")
      benchphoto::WritePng(to, i, kPhoto);
    else if (!Shell("convert '" + png.files[size_t(i)] + "' " + options + " " +
                    (ext == "bmp" ? "BMP3:" : "") + "'" + to + "'"))
      std::exit(2);
  }
  f.files.push_back(f.path + "cells.emf");
  benchmeta::WriteEmf(f.files.back(), 640, 480);
  f.files.push_back(f.path + "cells.wmf");
  benchmeta::WriteWmf(f.files.back(), 640, 480);
  return f;
}

Usage RunBatch(const std::string& prog, const Folder& f, const std::string& target) {
  Shell("rm -rf '" + target + "'");
  const std::string cfg = (f.master.empty() ? f.files[0] : f.master) + "\r\n" + f.path + "\r\n" + target + "\r\n-\r\n------X--\r\n4\r\n75\r\n-\r\n";
  FILE* out = std::fopen((prog + "Velmora.cfg").c_str(), "wb");
  if (!out) std::exit(2);
  std::fwrite(cfg.data(), 1, cfg.size(), out);
  std::fclose(out);
  return RunProgram({prog + "velmora", "X"}, "/");
}

void Report(const Folder& f, const Usage& program, const Usage& plain, const Usage& pillow) {
  const double peak = program.peakKiB / 1024.0;
  std::printf("%-18s %5zu %11.3f %11.3f %7.2f %10.1f %12.1f %8.2f", f.name.c_str(), f.files.size(), program.cpu,
              plain.cpu, program.cpu / plain.cpu, peak, f.largestMiB, peak / f.largestMiB);
  if (f.pillow)
    std::printf(" %9.3f %8.2f", pillow.cpu, program.cpu / pillow.cpu);
  else
    std::printf(" %9s %8s", "-", "-");
  std::printf("%s\n", program.failed || plain.failed || pillow.failed ? "  [a run failed]" : "");
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string only = argc > 2 ? argv[2] : "";
  TIFFSetWarningHandler(nullptr);
  const char* tmp = std::getenv("TMPDIR");
  const std::string root = std::string(tmp && *tmp ? tmp : "/tmp") + "/velmora-bench-batch/";
  mkdir(root.c_str(), 0755);

  std::vector<Folder> folders;
  if (RunChild([&] {
        const Folder png = PhotoFolder(root, "png", "png");
        PhotoFolder(root, "jpeg", "jpg");
        PhotoFolder(root, "jpeg-icc", "jpg", SRGBProfile());
        PhotoFolder(root, "jpeg-gs-srgb", "jpg", GhostscriptProfile("srgb.icc"));
        PhotoFolder(root, "jpeg-a98", "jpg", GhostscriptProfile("a98.icc"));
        PhotoFolder(root, "jpeg-p3", "jpg", DisplayP3Profile());
        MixedFolder(root, png);
        for (const auto& [name, kind] : LZWKinds()) LZWFolder(root, name, kind);
      }).failed)
    return 2;
  const Folder png = PhotoFolder(root, "png", "png");
  if (only.empty() || only == "jpeg") folders.push_back(PhotoFolder(root, "jpeg", "jpg"));
  for (const char* profiled : {"jpeg-icc", "jpeg-gs-srgb", "jpeg-a98", "jpeg-p3"})
    if (only.empty() || only == profiled) folders.push_back(PhotoFolder(root, profiled, "jpg"));
  if (only.empty() || only == "png") folders.push_back(png);
  if (only.empty() || only == "mixed") folders.push_back(MixedFolder(root, png));
  for (const auto& [name, kind] : LZWKinds())
    if (only.empty() || only == name) folders.push_back(LZWFolder(root, name, kind));
  // The noisy pictures are written only when asked for (about 1 GB in all, some minutes). Their
  // master resembles none of them, so that no copy joins the decode in the program's time.
  const std::string small = root + "master-checks.png";
  if (access(small.c_str(), R_OK) != 0 && RunChild([&] { benchnoisy::WriteUnlikeMaster(small); }).failed) return 2;
  for (const benchnoisy::Kind& kind : benchnoisy::Kinds())
    if (only.empty() || only == "noisy" || only == kind.name) {
      if (RunChild([&] { NoisyFolder(root, kind, small); }).failed) return 2;
      folders.push_back(NoisyFolder(root, kind, small));
    }

  const std::string prog = benchchild::ProgramFolder(root, VELMORA_BUILD_DIR);
  std::printf("velmora X over generated folders in %s, best of %d runs (processor time, user + system)\n",
              root.c_str(), runs);
  std::printf("%-18s %5s %11s %11s %7s %10s %12s %8s %9s %8s\n", "folder", "files", "velmora s", "plain s", "ratio",
              "peak MiB", "image MiB", "peak/img", "Pillow s", "ratio");
  for (const Folder& f : folders) {
    const Usage program = Best(runs, [&] { return RunBatch(prog, f, root + "out/"); });
    const Usage plain = Best(runs, [&] {
      Usage all;
      for (const std::string& file : f.files) all.Add(PlainDecode(file));
      return all;
    });
    const Usage pillow = f.pillow ? Best(runs, [&] { return PillowDecode(f.files, f.toRGB); }) : Usage{};
    Report(f, program, plain, pillow);
    std::fflush(stdout);
  }
  Shell("rm -rf '" + root + "out/'");
  return 0;
}
