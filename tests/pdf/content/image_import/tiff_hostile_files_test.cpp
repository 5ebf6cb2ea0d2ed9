// TIFF files that once took a gigabyte or more (kept as fuzz regressions), each imported in a
// child process under an address-space ceiling of 1 GiB and an alarm: the child ends normally
// without its resident memory growing by more than 256 MiB, and the import refuses the file or
// makes a small image, with the program's options and with others; the reader's page decoder
// makes no large bitmap of them either.
#include <gtest/gtest.h>

#include <functional>

#include "pdf/codecs/tiff/tiff_reader.h"
#include "pdf/content/image_import/pdf_image.h"
#include "tests/pdf/image_support/import_store.h"
#include "tests/support/limited_child.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::ChildEnd;

// How a child reports what it made of a file.
enum Outcome { kRefused = 0, kSmall = 1, kLarge = 2, kTooMuchMemory = 3 };

// These files hold a few hundred bytes: nothing they back comes near this many pixels.
constexpr int64_t kSmallPixels = int64_t(1) << 22;

int ImportOutcome(const std::string& bytes, int options) {
  imagetest::IndirectStore store;
  TPDFImage image(&store.store, "n");
  TMemoryStream stream(bytes);
  if (!image.LoadFromStream(stream, options)) return kRefused;
  return int64_t(image.Width) * image.Height <= kSmallPixels ? kSmall : kLarge;
}

int DecodeOutcome(const std::string& bytes) {
  TPDFTIFF reader;
  reader.ParseDirectory(bytes, -1);
  int outcome = kRefused;
  for (int32_t page = 1; page <= reader.PageCount; ++page) {
    if (!reader.DecodePage(page)) continue;
    if (int64_t(reader.Bitmap->Width()) * reader.Bitmap->Height() > kSmallPixels) return kLarge;
    outcome = kSmall;
  }
  return outcome;
}

// Body's outcome in a child under the limits. A ceiling alone would not tell a refusal from an
// allocation the ceiling stopped (the import answers false to both), so the child also reports
// a peak of resident memory far beyond what these files can back.
ChildEnd RunMeasured(const std::function<int()>& body) {
  return testsupport::RunLimited([&] {
    const long before = testsupport::PeakResidentKiB();
    const int outcome = body();
    return testsupport::PeakResidentKiB() - before > 256 * 1024 ? kTooMuchMemory : outcome;
  });
}

const char* const kFiles[] = {
    "image_import/regress-tiff-2gb.tif",
    "image_import/regress-tiff-1gb.tif",
    "image_import/regress-tiff-import-oom.tif",
    "tiff_reader/regress-tiff-reader-oom.tif",
};

std::string Corpus(const char* name) {
  return testsupport::ReadFile(testsupport::SourceDir() + "/fuzz/corpus/" + name);
}

TEST(TIFFHostileFiles, ImportEndsNormallyUnderLimits) {
  for (const char* name : kFiles) {
    const std::string bytes = Corpus(name);
    ASSERT_FALSE(bytes.empty()) << name;
    // 0 and 1 are the program's own; the others reach other pages and the canvas's decoder.
    for (int options : {0, 1, 2, 5, 7, -1, -2}) {
      const ChildEnd end = RunMeasured([&] { return ImportOutcome(bytes, options); });
      ASSERT_EQ(end.how, ChildEnd::How::kExited) << name << " options " << options << ": " << Describe(end);
      if (options == 0 || options == 1) {
        EXPECT_EQ(end.code, kRefused) << name << " options " << options;
      } else {
        EXPECT_TRUE(end.code == kRefused || end.code == kSmall) << name << " options " << options << ": " << end.code;
      }
    }
  }
}

TEST(TIFFHostileFiles, PageDecodingEndsNormallyUnderLimits) {
  for (const char* name : kFiles) {
    const std::string bytes = Corpus(name);
    const ChildEnd end = RunMeasured([&] { return DecodeOutcome(bytes); });
    ASSERT_EQ(end.how, ChildEnd::How::kExited) << name << ": " << Describe(end);
    EXPECT_TRUE(end.code == kRefused || end.code == kSmall) << name << ": " << end.code;
  }
}

}  // namespace
