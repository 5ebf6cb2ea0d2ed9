// Loading the provider by name the way the renderer's binding does, and the behaviour of the
// calls every caller meets first: start-up, statuses for bad arguments, the encoder list.
#include <dlfcn.h>

#include "tests/platform/gdiplus/provider.h"

namespace gptest {
namespace {

// Every entry point the renderer's binding looks up, in its order.
const char* const kBoundNames[] = {
    "GdiplusStartup", "GdiplusShutdown", "GdipCreateFromHDC", "GdipDeleteGraphics", "GdipSetSmoothingMode",
    "GdipSetPixelOffsetMode", "GdipSetInterpolationMode", "GdipSetCompositingMode", "GdipSetCompositingQuality",
    "GdipSetPageUnit", "GdipGetImageGraphicsContext", "GdipGraphicsClear", "GdipCreateRegion", "GdipGetClip",
    "GdipDeleteRegion", "GdipSetClipRegion", "GdipCreatePath", "GdipDeletePath", "GdipAddPathLine",
    "GdipClosePathFigure", "GdipAddPathBezier", "GdipFillPath", "GdipDrawPath", "GdipSetPathFillMode",
    "GdipSetClipPath", "GdipStartPathFigure", "GdipGetPointCount", "GdipGetVisibleClipBounds", "GdipCreateSolidFill",
    "GdipDeleteBrush", "GdipCreateLineBrush", "GdipSetLinePresetBlend", "GdipSetLineTransform", "GdipCreateTexture2",
    "GdipSetTextureTransform", "GdipSetTextureTransform", "GdipScaleTextureTransform", "GdipCreatePen1",
    "GdipDeletePen", "GdipSetPenDashArray", "GdipSetPenDashOffset", "GdipSetPenLineJoin", "GdipSetPenStartCap",
    "GdipSetPenEndCap", "GdipSetPenMiterLimit", "GdipSetPenDashCap197819", "GdipSetPenTransform",
    "GdipLoadImageFromStream", "GdipLoadImageFromStreamICM", "GdipSaveImageToStream", "GdipLoadImageFromFile",
    "GdipSaveImageToFile", "GdipDisposeImage", "GdipDrawImageRect", "GdipDrawImagePoints", "GdipDrawImagePointsRect",
    "GdipDrawImageI", "GdipDrawImageRectI", "GdipDrawImagePointRectI", "GdipGetImageDimension", "GdipGetImageWidth",
    "GdipGetImageHeight", "GdipGetImageHorizontalResolution", "GdipGetImageVerticalResolution",
    "GdipGetImagePixelFormat", "GdipImageGetFrameDimensionsCount", "GdipImageGetFrameDimensionsList",
    "GdipImageGetFrameCount", "GdipImageSelectActiveFrame", "GdipSetImageAttributesColorKeys",
    "GdipCreateImageAttributes", "GdipDisposeImageAttributes", "GdipSetImageAttributesColorMatrix",
    "GdipGetImageEncodersSize", "GdipGetImageEncoders", "GdipGetEncoderParameterListSize",
    "GdipGetEncoderParameterList", "GdipGetPropertyItem", "GdipSetPropertyItem", "GdipGetPropertyCount",
    "GdipGetAllPropertyItems", "GdipRecordMetafileFileName", "GdipRecordMetafileStream",
    "GdipCreateBitmapFromGraphics", "GdipCreateBitmapFromScan0", "GdipCreateBitmapFromGdiDib",
    "GdipCreateBitmapFromHBITMAP", "GdipBitmapSetResolution", "GdipCreateMatrix2", "GdipInvertMatrix"};

// Libraries opened here stay mapped after dlclose: cairo and pixman keep caches reachable only
// from their own data, which the leak checker would otherwise report once they are unmapped.
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE;

// The binding's statuses: 1 library not found, 2 an entry point missing, 3 ready.
int Bind(const std::string& path, void** module) {
  *module = dlopen(path.c_str(), kOpenFlags);
  if (!*module) return 1;
  for (const char* name : kBoundNames)
    if (!dlsym(*module, name)) return 2;
  return 3;
}

TEST(GdiplusBinding, EveryEntryPointOfTheBindingIsExported) {
  ASSERT_EQ(sizeof(kBoundNames) / sizeof(kBoundNames[0]), 90u);
  void* module = nullptr;
  EXPECT_EQ(Bind(ProviderPath(), &module), 3);
  if (module) dlclose(module);
}

TEST(GdiplusBinding, MissingLibraryAndMissingEntryPointAreReportedAsTheBindingExpects) {
  void* module = nullptr;
  EXPECT_EQ(Bind(testsupport::BinaryDir() + "/no-such-gdiplus.so", &module), 1);
  EXPECT_EQ(module, nullptr);
  EXPECT_EQ(Bind("libvelmora-no-such-provider.so", &module), 1);

  const std::string broken = testsupport::BinaryDir() + "/test-fixtures/libvelmora-gdiplus-broken.so";
  EXPECT_EQ(Bind(broken, &module), 2);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(dlsym(module, "GdiplusStartup"), nullptr);
  EXPECT_EQ(dlsym(module, "GdipCreateFromHDC"), nullptr);
  dlclose(module);
}

TEST(GdiplusBinding, ExportsOnlyTheFlatApi) {
  // The run-time code linked into the provider stays private to it.
  EXPECT_EQ(dlsym(Provider::Get().module(), "_Z13WideToFileNameSt17basic_string_viewIDsSt11char_traitsIDsEE"), nullptr);
  EXPECT_NE(dlsym(Provider::Get().module(), "VelmoraGdiplusSetHost"), nullptr);
}

TEST(GdiplusStartupTest, StartupChecksItsInputAndCountsStartups) {
  ULONG_PTR token = 0;
  GdiplusStartupInput input{1, nullptr, 0, 0};
  GdiplusStartupOutput output{};
  EXPECT_EQ(GP(GdiplusStartup)(nullptr, &input, nullptr), InvalidParameter);
  EXPECT_EQ(GP(GdiplusStartup)(&token, nullptr, nullptr), InvalidParameter);
  GdiplusStartupInput wrongVersion{7, nullptr, 0, 0};
  EXPECT_EQ(GP(GdiplusStartup)(&token, &wrongVersion, nullptr), UnsupportedGdiplusVersion);
  GdiplusStartupInput suppressed{1, nullptr, 1, 0};
  EXPECT_EQ(GP(GdiplusStartup)(&token, &suppressed, nullptr), InvalidParameter);  // needs the output

  // With the background thread suppressed the caller gets the notification hook to call.
  ASSERT_EQ(GP(GdiplusStartup)(&token, &suppressed, &output), Ok);
  ASSERT_NE(output.NotificationHook, nullptr);
  ASSERT_NE(output.NotificationUnhook, nullptr);
  ULONG_PTR hookToken = 0;
  EXPECT_EQ(output.NotificationHook(&hookToken), Ok);
  output.NotificationUnhook(hookToken);
  GP(GdiplusShutdown)(token);

  // The provider stays usable while the test program's own start-up holds.
  uint32_t count = 0, size = 0;
  EXPECT_EQ(GP(GdipGetImageEncodersSize)(&count, &size), Ok);
}

TEST(GdiplusStartupTest, EncoderListAndImagesNeedAStartedProvider) {
  // A fresh copy of the library, not started: the renderer uses this answer to decide
  // whether it must start GDI+ itself.
  const std::string copy = testsupport::BinaryDir() + "/test-tmp-unstarted-gdiplus.so";
  ASSERT_EQ(testsupport::Run("cp '" + ProviderPath() + "' '" + copy + "'"), 0);
  void* module = dlopen(copy.c_str(), kOpenFlags);
  ASSERT_NE(module, nullptr) << dlerror();
  auto sizeFn = reinterpret_cast<decltype(&GdipGetImageEncodersSize)>(dlsym(module, "GdipGetImageEncodersSize"));
  auto startup = reinterpret_cast<decltype(&GdiplusStartup)>(dlsym(module, "GdiplusStartup"));
  auto shutdown = reinterpret_cast<decltype(&GdiplusShutdown)>(dlsym(module, "GdiplusShutdown"));
  uint32_t count = 0, size = 0;
  EXPECT_EQ(sizeFn(&count, &size), GdiplusNotInitialized);
  ULONG_PTR token = 0;
  GdiplusStartupInput input{1, nullptr, 0, 0};
  ASSERT_EQ(startup(&token, &input, nullptr), Ok);
  EXPECT_EQ(sizeFn(&count, &size), Ok);
  shutdown(token);
  EXPECT_EQ(sizeFn(&count, &size), GdiplusNotInitialized);
  dlclose(module);
  std::remove(copy.c_str());
}

TEST(GdiplusStatus, BadArgumentsGetInvalidParameter) {
  GpPath* path = nullptr;
  GpPen* pen = nullptr;
  GpMatrix* matrix = nullptr;
  GpImage* image = nullptr;
  GpGraphics* g = nullptr;
  struct Case {
    const char* what;
    GpStatus got;
    GpStatus expected;
  };
  const GpPointF p{1, 1};
  const REAL zeroDash[2] = {1, 0};
  const Case cases[] = {
      {"path out null", GP(GdipCreatePath)(FillModeAlternate, nullptr), InvalidParameter},
      {"fill mode 2", GP(GdipCreatePath)(GpFillMode(2), &path), InvalidParameter},
      {"line on null path", GP(GdipAddPathLine)(nullptr, 0, 0, 1, 1), InvalidParameter},
      {"count out null", GP(GdipGetPointCount)(nullptr, nullptr), InvalidParameter},
      {"negative pen width", GP(GdipCreatePen1)(0xff000000, -1, UnitPixel, &pen), InvalidParameter},
      {"pen in display units", GP(GdipCreatePen1)(0xff000000, 1, UnitDisplay, &pen), InvalidParameter},
      {"empty dash array", GP(GdipSetPenDashArray)(nullptr, zeroDash, 2), InvalidParameter},
      {"singular matrix inverted", [&] {
         GP(GdipCreateMatrix2)(1, 2, 2, 4, 0, 0, &matrix);
         const GpStatus st = GP(GdipInvertMatrix)(matrix);
         GP(GdipDeleteMatrix)(matrix);
         return st;
       }(), InvalidParameter},
      {"zero-length line brush", [&] {
         GpLineGradient* b = nullptr;
         return GP(GdipCreateLineBrush)(&p, &p, 0, 0, WrapModeTile, &b);
       }(), OutOfMemory},
      {"clamped line brush", [&] {
         GpLineGradient* b = nullptr;
         const GpPointF q{5, 5};
         return GP(GdipCreateLineBrush)(&p, &q, 0, 0, WrapModeClamp, &b);
       }(), InvalidParameter},
      {"graphics from null dc", GP(GdipCreateFromHDC)(nullptr, &g), InvalidParameter},
      {"load from null stream", GP(GdipLoadImageFromStream)(nullptr, &image), InvalidParameter},
      {"dispose null", GP(GdipDisposeImage)(nullptr), InvalidParameter},
      {"bitmap of width 0", GP(GdipCreateBitmapFromScan0)(0, 5, 0, PixelFormat24bppRGB, nullptr,
                                                          reinterpret_cast<GpBitmap**>(&image)),
       InvalidParameter},
      {"bitmap of unknown format", GP(GdipCreateBitmapFromScan0)(5, 5, 0, 0x12345, nullptr,
                                                                  reinterpret_cast<GpBitmap**>(&image)),
       InvalidParameter},
      {"metafile recording", GP(GdipRecordMetafileStream)(nullptr, nullptr, EmfTypeEmfPlusOnly, nullptr,
                                                         MetafileFrameUnitPixel, nullptr, nullptr),
       InvalidParameter},
      {"encoders into null", GP(GdipGetImageEncoders)(3, 1000, nullptr), InvalidParameter},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(GdiplusStatus, UnreadableStreamsAreRefused) {
  struct Case {
    std::string bytes;
    GpStatus expected;
  };
  const Case cases[] = {
      {"", UnknownImageFormat},
      {"hello, world", UnknownImageFormat},
      {"BM\x10\0\0\0", InvalidParameter},
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16), InvalidParameter},
      {std::string("\xff\xd8\xff\xe0\0\x10JFIF", 10), InvalidParameter},
      {"GIF89a\x01", InvalidParameter},
      {std::string("II*\0\x08\0\0\0\0\0", 10), InvalidParameter},
      {std::string("\xd7\xcd\xc6\x9a\0\0\0\0", 8), NotImplemented},
  };
  for (const Case& c : cases) {
    MemoryStream stream(c.bytes);
    GpImage* image = nullptr;
    EXPECT_EQ(GP(GdipLoadImageFromStream)(&stream, &image), c.expected) << testing::PrintToString(c.bytes);
    EXPECT_EQ(image, nullptr);
  }
}

TEST(GdiplusEncoders, ListsBmpTiffAndPngByMimeType) {
  uint32_t count = 0, size = 0;
  ASSERT_EQ(GP(GdipGetImageEncodersSize)(&count, &size), Ok);
  ASSERT_EQ(count, 3u);
  std::vector<uint8_t> buffer(size);
  auto* list = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  EXPECT_EQ(GP(GdipGetImageEncoders)(count, size - 1, list), InsufficientBuffer);
  EXPECT_EQ(GP(GdipGetImageEncoders)(count + 1, size, list), InvalidParameter);
  ASSERT_EQ(GP(GdipGetImageEncoders)(count, size, list), Ok);
  const std::u16string expected[] = {u"image/bmp", u"image/tiff", u"image/png"};
  const CLSID clsids[] = {EncoderClsidBMP, EncoderClsidTIFF, EncoderClsidPNG};
  for (uint32_t i = 0; i < count; ++i) {
    EXPECT_EQ(std::u16string(list[i].MimeType), expected[i]);
    EXPECT_TRUE(list[i].Clsid == clsids[i]);
    // The strings live inside the caller's buffer.
    const auto* at = reinterpret_cast<const uint8_t*>(list[i].MimeType);
    EXPECT_TRUE(at >= buffer.data() && at < buffer.data() + buffer.size());
  }
}

TEST(GdiplusEncoders, TiffEncoderNamesCompressionColourDepthAndSaveFlag) {
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GP(GdipCreateBitmapFromScan0)(4, 4, 0, PixelFormat24bppRGB, nullptr, &bitmap), Ok);
  auto* image = reinterpret_cast<GpImage*>(bitmap);
  uint32_t size = 0;
  EXPECT_EQ(GP(GdipGetEncoderParameterListSize)(image, &EncoderClsidPNG, &size), NotImplemented);
  ASSERT_EQ(GP(GdipGetEncoderParameterListSize)(image, &EncoderClsidTIFF, &size), Ok);
  std::vector<uint8_t> buffer(size);
  auto* list = reinterpret_cast<EncoderParameters*>(buffer.data());
  ASSERT_EQ(GP(GdipGetEncoderParameterList)(image, &EncoderClsidTIFF, size, list), Ok);
  ASSERT_EQ(list->Count, 3u);
  const EncoderParameter* params = list->Parameter;
  EXPECT_TRUE(params[0].Guid == EncoderCompression);
  EXPECT_TRUE(params[1].Guid == EncoderColorDepth);
  EXPECT_TRUE(params[2].Guid == EncoderSaveFlag);
  const auto* compressions = static_cast<const uint32_t*>(params[0].Value);
  EXPECT_NE(std::find(compressions, compressions + params[0].NumberOfValues, EncoderValueCompressionCCITT4),
            compressions + params[0].NumberOfValues);
  GP(GdipDisposeImage)(image);
}

}  // namespace
}  // namespace gptest
