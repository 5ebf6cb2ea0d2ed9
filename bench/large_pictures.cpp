// Large pictures through batch mode: for each kind of file (JPEG baseline, CMYK and progressive,
// PNG of every colour type, TIFF of several kinds, BMP, GIF, an icon holding a PNG) a
// 64-megapixel picture alone in a folder (an interlaced GIF and a 16-bit grey PNG at the size
// cap), compared by the real program ("velmora X", in a program folder of its own) with a small
// master, next to the plain decode of the same file by libjpeg-turbo, libpng (the icon's entry
// too), libtiff, giflib or bmptopnm. Every measured thing runs in a child
// process; processor time (user + system) and peak memory come from wait4. The goal: peak memory
// at most the file's size plus 5 bytes per pixel, processor time at most 1.3 times the plain
// decode.
// Usage: bench_large_pictures [runs [name ...]]   (default 1 run of every picture);
// BENCH_VELMORA_DIR=<folder with velmora and libvelmora-gdiplus.so> measures another build.
// The files are made once under $TMPDIR/velmora-bench-large/ (about 1.5 GB).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/child_runs.h"
#include "bench/large_files.h"
#include "bench/plain_decoders.h"

namespace {

using benchchild::Usage;
using namespace benchlarge;

enum class Plain { Png, Tiff, Jpeg, Bmp, Gif, Ico };

struct Picture {
  std::string name, file;
  int w = 8000, h = 8000;
  Plain plain = Plain::Png;
  std::function<void(const std::string& path, int w, int h)> make;
};

std::vector<Picture> Pictures() {
  auto png = [](PngKind k, Photo photo) {
    return [k, photo](const std::string& p, int w, int h) { WritePng(p, w, h, k, PhotoRows(w, h, photo)); };
  };
  auto palettePng = [](bool trns) {
    return [trns](const std::string& p, int w, int h) {
      WritePng(p, w, h, PngKind{8, PNG_COLOR_TYPE_PALETTE, trns, 9}, PaletteRows(w, h));
    };
  };
  auto tiff = [](TiffKind k, Photo photo) {
    return [k, photo](const std::string& p, int w, int h) { WriteTiff(p, w, h, k, PhotoRows(w, h, photo)); };
  };
  const TiffKind rgb{8, 3, PHOTOMETRIC_RGB, 2, 0};
  TiffKind oneStrip = rgb;
  oneStrip.rowsPerStrip = 8000;
  // Strips of 64 rows: a page of few strips, each its own image placed on the page's rows.
  TiffKind rows64 = rgb;
  rows64.rowsPerStrip = 64;
  // libtiff's default strips of about 8 KB, PackBits and uncompressed.
  TiffKind packBits = rgb, uncompressed = rgb;
  packBits.predictor = uncompressed.predictor = 1;
  packBits.compression = COMPRESSION_PACKBITS;
  uncompressed.compression = COMPRESSION_NONE;
  return {
      {"jpeg-q90", "picture.jpg", 8000, 8000, Plain::Jpeg, [](const std::string& p, int w, int h) { WriteJpeg(p, w, h, 90); }},
      {"jpeg-cmyk", "picture.jpg", 8000, 8000, Plain::Jpeg,
       [](const std::string& p, int w, int h) { WriteJpegOf(p, w, h, true, false); }},
      {"jpeg-progressive", "picture.jpg", 8000, 8000, Plain::Jpeg,
       [](const std::string& p, int w, int h) { WriteJpegOf(p, w, h, false, true); }},
      {"png-rgb8", "picture.png", 8000, 8000, Plain::Png, png(PngKind{}, Photo::RGB8)},
      {"png-rgb16", "picture.png", 8000, 8000, Plain::Png, png(PngKind{16, PNG_COLOR_TYPE_RGB}, Photo::RGB16)},
      {"png-palette", "picture.png", 8000, 8000, Plain::Png, palettePng(false)},
      {"png-palette-trns", "picture.png", 8000, 8000, Plain::Png, palettePng(true)},
      {"png-palette-wide", "picture.png", 2097279, 32, Plain::Png, palettePng(false)},
      {"png-rgba8", "picture.png", 8000, 8000, Plain::Png, png(PngKind{8, PNG_COLOR_TYPE_RGB_ALPHA}, Photo::RGBA8)},
      {"png-rgba16", "picture.png", 8000, 8000, Plain::Png, png(PngKind{16, PNG_COLOR_TYPE_RGB_ALPHA}, Photo::RGBA16)},
      {"png-grey-alpha8", "picture.png", 8000, 8000, Plain::Png,
       png(PngKind{8, PNG_COLOR_TYPE_GRAY_ALPHA}, Photo::GreyAlpha8)},
      {"png-grey-alpha16", "picture.png", 8000, 8000, Plain::Png,
       png(PngKind{16, PNG_COLOR_TYPE_GRAY_ALPHA}, Photo::GreyAlpha16)},
      {"png-rgb8-adam7", "picture.png", 8000, 8000, Plain::Png,
       png(PngKind{8, PNG_COLOR_TYPE_RGB, false, 3, true}, Photo::RGB8)},
      {"png-rgba16-adam7", "picture.png", 8000, 8000, Plain::Png,
       png(PngKind{16, PNG_COLOR_TYPE_RGB_ALPHA, false, 3, true}, Photo::RGBA16)},
      // A file past 64 MiB at the size cap: its image data read a piece at a time.
      {"png-grey16-cap", "picture.png", 16384, 16384, Plain::Png, png(PngKind{16, PNG_COLOR_TYPE_GRAY}, Photo::Grey16)},
      {"png-palette-adam7", "picture.png", 8000, 8000, Plain::Png,
       [](const std::string& p, int w, int h) {
         WritePng(p, w, h, PngKind{8, PNG_COLOR_TYPE_PALETTE, true, 9, true}, PaletteRows(w, h));
       }},
      {"tiff-lzw", "picture.tif", 8000, 8000, Plain::Tiff, tiff(rgb, Photo::RGB8)},
      {"tiff-lzw-1strip", "picture.tif", 8000, 8000, Plain::Tiff, tiff(oneStrip, Photo::RGB8)},
      // Heights that no decimal fraction of the page divides.
      {"tiff-lzw-h7999", "picture.tif", 8000, 7999, Plain::Tiff, tiff(rgb, Photo::RGB8)},
      {"tiff-64rows-h7999", "picture.tif", 8000, 7999, Plain::Tiff, tiff(rows64, Photo::RGB8)},
      {"tiff-64rows-h7919", "picture.tif", 8000, 7919, Plain::Tiff, tiff(rows64, Photo::RGB8)},
      {"tiff-packbits", "picture.tif", 8000, 8000, Plain::Tiff, tiff(packBits, Photo::RGB8)},
      {"tiff-none", "picture.tif", 8000, 8000, Plain::Tiff, tiff(uncompressed, Photo::RGB8)},
      {"tiff-rgb16", "picture.tif", 8000, 8000, Plain::Tiff, tiff(TiffKind{16, 3, PHOTOMETRIC_RGB, 2, 0}, Photo::RGB16)},
      {"tiff-grey", "picture.tif", 8000, 8000, Plain::Tiff, tiff(TiffKind{8, 1, PHOTOMETRIC_MINISBLACK, 1, 0}, Photo::Grey8)},
      {"tiff-palette", "picture.tif", 8000, 8000, Plain::Tiff,
       [](const std::string& p, int w, int h) { WriteTiff(p, w, h, TiffKind{8, 1, PHOTOMETRIC_PALETTE, 1, 0}, PaletteRows(w, h)); }},
      {"bmp-24", "picture.bmp", 8000, 8000, Plain::Bmp, [](const std::string& p, int w, int h) { WriteBmp(p, w, h); }},
      {"ico-png-rgba", "picture.ico", 8000, 8000, Plain::Ico,
       [](const std::string& p, int w, int h) {
         WritePngIcon(p, w, h, PngKind{8, PNG_COLOR_TYPE_RGB_ALPHA}, PhotoRows(w, h, Photo::RGBA8));
       }},
      {"gif", "picture.gif", 8000, 8000, Plain::Gif, [](const std::string& p, int w, int h) { WriteGif(p, w, h); }},
      {"gif-interlaced-cap", "picture.gif", 16384, 16384, Plain::Gif,
       [](const std::string& p, int w, int h) { WriteGif(p, w, h, true); }},
  };
}

Usage PlainDecode(const Picture& pic, const std::string& path) {
  switch (pic.plain) {
    case Plain::Png: return benchchild::RunChild([&] { benchplain::PlainPng(path); });
    // The entry's PNG after the icon's header and directory.
    case Plain::Ico: return benchchild::RunChild([&] { benchplain::PlainPng(path, 22); });
    case Plain::Tiff: return benchchild::RunChild([&] { benchplain::PlainTiffStrips(path); });
    case Plain::Jpeg: return benchchild::RunChild([&] { benchplain::PlainJpeg(path); });
    case Plain::Gif: return benchchild::RunChild([&] { benchplain::PlainGif(path); });
    case Plain::Bmp: return benchchild::RunProgram({"bmptopnm", path}, "/");
  }
  return {};
}

Usage RunBatch(const std::string& prog, const std::string& master, const std::string& folder, const std::string& target) {
  benchchild::Shell("rm -rf '" + target + "'");
  const std::string cfg = master + "\r\n" + folder + "\r\n" + target + "\r\n-\r\n------X--\r\n4\r\n75\r\n-\r\n";
  FILE* out = std::fopen((prog + "Velmora.cfg").c_str(), "wb");
  if (!out) std::exit(2);
  std::fwrite(cfg.data(), 1, cfg.size(), out);
  std::fclose(out);
  return benchchild::RunProgram({prog + "velmora", "X"}, "/");
}

long long FileSize(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 ? (long long)st.st_size : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  std::vector<std::string> only(argv + std::min(argc, 2), argv + argc);
  TIFFSetWarningHandler(nullptr);
  const char* tmp = std::getenv("TMPDIR");
  const std::string root = std::string(tmp && *tmp ? tmp : "/tmp") + "/velmora-bench-large/";
  mkdir(root.c_str(), 0755);
  const std::string master = root + "master.png";
  if (access(master.c_str(), R_OK) != 0 &&
      benchchild::RunChild([&] { WritePng(master, 64, 48, PngKind{}, PhotoRows(64, 48, Photo::RGB8)); }).failed)
    return 2;
  const std::string prog = benchchild::ProgramFolder(root, VELMORA_BUILD_DIR);

  std::printf("velmora X over a folder holding one picture (master %s), best of %d runs; processor time\n",
              master.c_str(), runs);
  std::printf("%-17s %17s %9s %10s %9s %6s %9s %10s %s\n", "picture", "size", "file MB", "velmora s", "plain s",
              "ratio", "peak MB", "B/px over", "");
  for (const Picture& pic : Pictures()) {
    if (!only.empty() && std::find(only.begin(), only.end(), pic.name) == only.end()) continue;
    const std::string folder = root + pic.name + "/", path = folder + pic.file;
    if (access(path.c_str(), R_OK) != 0) {
      mkdir(folder.c_str(), 0755);
      if (benchchild::RunChild([&] { pic.make(path + ".part", pic.w, pic.h); }).failed ||
          std::rename((path + ".part").c_str(), path.c_str()) != 0)
        return 2;
    }
    const Usage program = benchchild::Best(runs, [&] { return RunBatch(prog, master, folder, root + "out/"); });
    const Usage plain = benchchild::Best(runs, [&] { return PlainDecode(pic, path); });
    const double pixels = double(pic.w) * pic.h, file = double(FileSize(path)), peak = program.peakKiB * 1024.0;
    const double over = (peak - file) / pixels;
    char size[32];
    std::snprintf(size, sizeof size, "%d x %d", pic.w, pic.h);
    std::printf("%-17s %17s %9.1f %10.2f %9.2f %6.2f %9.1f %10.2f %s%s\n", pic.name.c_str(), size, file / 1e6,
                program.cpu, plain.cpu, program.cpu / plain.cpu, peak / 1e6, over, over <= 5 ? "" : "over the bound",
                program.failed || plain.failed ? "  [a run failed]" : "");
    std::fflush(stdout);
  }
  benchchild::Shell("rm -rf '" + root + "out/'");
  return 0;
}
