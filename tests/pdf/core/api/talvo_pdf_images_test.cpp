#include <gtest/gtest.h>

#include <string>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/api/talvo_pdf.h"
#include "pdf/core/document/pdf_document.h"
#include "pdf/core/pagetree/page_tree.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/support/test_support.h"

namespace {

using testraster::PythonWithPIL;

// A picture written by Pillow: mode and size given, the file type by the extension.
std::string MakePicture(const testsupport::TempDir& dir, const std::string& name, const std::string& mode, int w,
                        int h) {
  const std::string path = dir.File(name);
  const std::string script = "from PIL import Image; Image.new('" + mode + "', (" + std::to_string(w) + ", " +
                             std::to_string(h) + "), 200).save('" + path + "')";
  if (testsupport::Run(PythonWithPIL() + " -c \"" + script + "\"") != 0) return {};
  return path;
}

class ApiImages : public ::testing::Test {
 protected:
  void SetUp() override {
    if (PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  }
  testsupport::TempDir dir;
};

TEST_F(ApiImages, LoadRegisterAndPlace) {
  const std::string path = MakePicture(dir, "a.png", "RGB", 100, 50);
  ASSERT_FALSE(path.empty());
  TTalvoPDF api;
  api.SetCoordinateOrigin(1);
  const int32_t h = api.LoadImageFile(FileNameToWide(path), 0);
  EXPECT_EQ(h, 0x58000001);
  ASSERT_NE(api.CurrentImage(), nullptr);
  EXPECT_EQ(api.SetCurrentImage(h), 1);
  EXPECT_EQ(api.SetCurrentImage(h + 1), 0);
  EXPECT_EQ(api.CurrentImageWidth(), 100);
  EXPECT_EQ(api.CurrentImageHeight(), 50);
  TPDFImage& image = *api.CurrentImage();
  EXPECT_EQ(image.Name.rfind("TalvoPDFIm", 0), 0u);
  EXPECT_EQ(image.Name.size(), 18u);
  TPDFPageTree& tree = api.CurrentDocument()->PageTree();
  tree.Painter().SetContent("");
  ASSERT_EQ(api.PlaceImage(1.0, 1.0, 100, 50), 1);
  EXPECT_EQ(tree.Painter().GetContent(), "q\n100 0 0 50 1 741 cm\n/" + image.Name + " Do\nQ\n");
  auto* xobjects = PDFCast<TPDFDictionary>(tree.GetResources()->GetValue("XObject"));
  ASSERT_NE(xobjects, nullptr);
  EXPECT_EQ(xobjects->GetValue(image.Name)->ToString(), image.Ref->ToString());
  // The placement is in the page's content stream.
  std::string text;
  ASSERT_TRUE(tree.ContentStreams().back()->Decode(text));
  EXPECT_NE(text.find("/" + image.Name + " Do"), std::string::npos);
}

TEST_F(ApiImages, StreamLoadAndSixteenBitVersion) {
  const std::string path = MakePicture(dir, "g16.png", "I;16", 8, 8);
  ASSERT_FALSE(path.empty());
  TTalvoPDF api;
  TMemoryStream stream(testsupport::ReadFile(path));
  const int32_t h = api.LoadImageStream(stream, 0);
  ASSERT_NE(h, 0);
  EXPECT_TRUE(api.CurrentImage()->SixteenBit);
  EXPECT_EQ(api.CurrentDocument()->Version(), "1.5");
  // A later version is never lowered.
  api.CurrentDocument()->SetVersion("1.7");
  TMemoryStream again(testsupport::ReadFile(path));
  ASSERT_NE(api.LoadImageStream(again, 0), 0);
  EXPECT_EQ(api.CurrentDocument()->Version(), "1.7");
}

TEST_F(ApiImages, OptionsMinusOneHandsTheSettingsOn) {
  const std::string path = MakePicture(dir, "c.png", "RGB", 4, 4);
  TTalvoPDF api;
  api.GDIPlusSettings.MonochromeThreshold = 77;
  ASSERT_NE(api.LoadImageFile(FileNameToWide(path), -1), 0);
  EXPECT_EQ(api.CurrentDocument()->GDIPlusSettings.MonochromeThreshold, 77);
  EXPECT_EQ(api.CurrentImage()->GDIPlusSettings.MonochromeThreshold, 77);
  TMemoryStream s(testsupport::ReadFile(path));
  TTalvoPDF other;
  other.GDIPlusSettings.MonochromeThreshold = 5;
  ASSERT_NE(other.LoadImageStream(s, -1), 0);
  EXPECT_EQ(other.CurrentDocument()->GDIPlusSettings.MonochromeThreshold, 0);  // only the file load copies
}

// A failed import leaves nothing in the document: no image and no indirect objects.
TEST_F(ApiImages, FailedImportsLeaveNothingBehind) {
  const std::string good = testsupport::ReadFile(MakePicture(dir, "d.png", "RGB", 6, 6));
  TTalvoPDF api;
  TPDFDocument& doc = *api.CurrentDocument();
  const int slots = doc.SlotCount();
  const std::string cuts[] = {good.substr(0, 8), good.substr(0, 40), good.substr(0, good.size() / 2),
                              std::string("\xFF\xD8\xFF\xC0", 4), "BM" + std::string(60, '\0')};
  for (const std::string& cut : cuts) {
    TMemoryStream s(cut);
    EXPECT_EQ(api.LoadImageStream(s, 0), 0) << cut.size();
    EXPECT_EQ(doc.ImageCount(), 0);
    EXPECT_EQ(doc.SlotCount(), slots);
    EXPECT_EQ(doc.Trailer()->GetInteger("Size", 0), slots + 1);
  }
  // Unknown PNG options write no object: refused as well.
  TMemoryStream s(good);
  EXPECT_EQ(api.LoadImageStream(s, 99), 0);
  EXPECT_EQ(doc.SlotCount(), slots);
}

// A stream that fails once reading passes `readable` bytes, as a file on a failing disk does.
class FailingStream : public TMemoryStream {
 public:
  FailingStream(std::string_view bytes, int64_t readable) : TMemoryStream(bytes), readable_(readable) {}
  int64_t Read(void* buffer, int64_t count) override {
    if (Position() + count > readable_) throw EReadError("Stream read error");
    return TMemoryStream::Read(buffer, count);
  }

 private:
  int64_t readable_;
};

// What the layers below raise reaches the caller of a stream load (the application guards
// every file); the document keeps nothing of the import and takes the next image. (BMP files
// and metafiles answer their own failures with False.)
TEST_F(ApiImages, StreamLoadsPassExceptionsOnAndLeaveNothingBehind) {
  for (const char* name : {"g.png", "g.gif", "g.tif", "g.jpg"}) {
    SCOPED_TRACE(name);
    const std::string good = testsupport::ReadFile(MakePicture(dir, name, "RGB", 40, 30));
    ASSERT_GT(good.size(), 60u);
    TTalvoPDF api;
    TPDFDocument& doc = *api.CurrentDocument();
    const int slots = doc.SlotCount();
    FailingStream failing(good, int64_t(good.size()) / 2);
    EXPECT_THROW(api.LoadImageStream(failing, 0), EReadError);
    EXPECT_EQ(doc.ImageCount(), 0);
    EXPECT_EQ(doc.SlotCount(), slots);
    EXPECT_EQ(doc.Trailer()->GetInteger("Size", 0), slots + 1);
    EXPECT_EQ(api.CurrentImage(), nullptr);
    TMemoryStream whole(good);
    EXPECT_NE(api.LoadImageStream(whole, 0), 0);
    EXPECT_EQ(doc.ImageCount(), 1);
  }
}

// A page the renderer could not draw whole answers 0 with the renderer's message, although
// the bitmap is still written.
TEST_F(ApiImages, RenderErrorAnswersZero) {
  const std::string path = MakePicture(dir, "f.png", "RGB", 6, 6);
  TTalvoPDF api;
  api.SetCoordinateOrigin(1);
  ASSERT_NE(api.LoadImageFile(FileNameToWide(path), 0), 0);
  ASSERT_EQ(api.SetPageSize(6, 6), 1);
  ASSERT_EQ(api.PlaceImage(0, 0, 6, 6), 1);
  TMemoryStream good;
  ASSERT_EQ(api.RenderPage(72, 1, 0, good), 1) << api.RenderMessage();
  // Damage the image data.
  auto* stream = PDFCast<TPDFStream>(api.CurrentDocument()->ResolveObject(api.CurrentImage()->Ref->TargetNumber()));
  ASSERT_NE(stream, nullptr);
  stream->SetData("not deflate data at all");
  TMemoryStream bad;
  EXPECT_EQ(api.RenderPage(72, 1, 0, bad), 0);
  EXPECT_FALSE(api.RenderMessage().empty());
  EXPECT_GT(bad.Size(), 54);
}

TEST_F(ApiImages, PlaceWithoutDrawingTargetFails) {
  const std::string path = MakePicture(dir, "e.png", "RGB", 2, 2);
  TTalvoPDF api;
  ASSERT_NE(api.LoadImageFile(FileNameToWide(path), 0), 0);
  // A page whose /Contents is a direct stream offers no content stream to draw into.
  TPDFPageTree& tree = api.CurrentDocument()->PageTree();
  tree.Page()->SetValue("Contents", api.CurrentDocument()->Structure().NewStream("", false));
  tree.SelectPage(1);
  EXPECT_FALSE(tree.Selected());
  EXPECT_EQ(api.PlaceImage(0, 0, 2, 2), 0);
}

}  // namespace
