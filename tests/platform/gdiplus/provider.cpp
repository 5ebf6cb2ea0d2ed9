#include "tests/platform/gdiplus/provider.h"

#include <unistd.h>

#include <fstream>

namespace gptest {

const GpHostTable* HostTable();

Provider& Provider::Get() {
  static Provider provider;
  return provider;
}

Provider::Provider() {
  module_ = dlopen(ProviderPath().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module_) {
    ADD_FAILURE() << "cannot load " << ProviderPath() << ": " << dlerror();
    return;
  }
  auto startup = Fn<decltype(&GdiplusStartup)>("GdiplusStartup");
  ULONG_PTR token = 0;
  GdiplusStartupInput input{1, nullptr, 0, 0};
  EXPECT_EQ(startup(&token, &input, nullptr), Ok);
  EXPECT_EQ(Fn<decltype(&VelmoraGdiplusSetHost)>("VelmoraGdiplusSetHost")(HostTable()), Ok);
}

HRESULT MemoryStream::QueryInterface(const IID& iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_IStream) {
    *object = static_cast<IStream*>(this);
    return S_OK;
  }
  if (iid == IID_IImageBytes && offerImageBytes) {
    *object = static_cast<IImageBytes*>(&imageBytes_);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT MemoryStream::Read(void* buffer, uint32_t count, uint32_t* read) {
  const size_t n = pos_ < bytes_.size() ? std::min<size_t>(count, bytes_.size() - pos_) : 0;
  if (n) std::memcpy(buffer, bytes_.data() + pos_, n);
  pos_ += n;
  if (read) *read = uint32_t(n);
  return n == count ? S_OK : S_FALSE;
}

HRESULT MemoryStream::Write(const void* buffer, uint32_t count, uint32_t* written) {
  if (pos_ + count > bytes_.size()) bytes_.resize(pos_ + count);
  std::memcpy(bytes_.data() + pos_, buffer, count);
  pos_ += count;
  if (written) *written = count;
  return S_OK;
}

HRESULT MemoryStream::Seek(int64_t move, uint32_t origin, uint64_t* position) {
  const int64_t base = origin == STREAM_SEEK_CUR ? int64_t(pos_) : origin == STREAM_SEEK_END ? int64_t(bytes_.size()) : 0;
  if (base + move < 0) return STG_E_INVALIDFUNCTION;
  pos_ = size_t(base + move);
  if (position) *position = pos_;
  return S_OK;
}

HRESULT MemoryStream::Stat(STATSTG* stat, uint32_t) {
  *stat = STATSTG{};
  stat->cbSize = bytes_.size();
  return S_OK;
}

HRESULT MemoryStream::Bytes::CountBytes(uint32_t* count) {
  *count = uint32_t(owner_.bytes_.size());
  return S_OK;
}

HRESULT MemoryStream::Bytes::LockBytes(uint32_t count, uint32_t offset, const void** bytes) {
  if (uint64_t(offset) + count > owner_.bytes_.size()) return E_FAIL;
  *bytes = owner_.bytes_.data() + offset;
  ++owner_.lockedBuffers;
  return S_OK;
}

HRESULT MemoryStream::Bytes::UnlockBytes(const void*, uint32_t, uint32_t) {
  --owner_.lockedBuffers;
  return S_OK;
}

FakeDC::FakeDC(int32_t w, int32_t h, int32_t bitsPerPixel, bool topDownRows)
    : width(w), height(h), bpp(bitsPerPixel), topDown(topDownRows) {
  stride = ((w * bpp + 31) / 32) * 4;
  pixels.assign(size_t(stride) * size_t(h), 0);
}

uint32_t FakeDC::Pixel(int32_t x, int32_t y) {
  const uint8_t* p = Row(y) + size_t(x) * size_t(bpp / 8);
  return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

void FakeDC::Fill(uint32_t rgb) {
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = Row(y) + size_t(x) * size_t(bpp / 8);
      p[0] = uint8_t(rgb);
      p[1] = uint8_t(rgb >> 8);
      p[2] = uint8_t(rgb >> 16);
      if (bpp == 32) p[3] = 0;
    }
}

namespace {

GpStatus LockFake(void* handle, GpRawSurface* s) {
  auto* dc = static_cast<FakeDC*>(handle);
  *s = GpRawSurface{};
  s->scan0 = dc->Row(0);
  s->stride = dc->topDown ? dc->stride : -dc->stride;
  s->width = dc->width;
  s->height = dc->height;
  s->bitsPerPixel = dc->bpp;
  s->context = dc;
  s->release = [](void* context, int32_t modified) {
    auto* d = static_cast<FakeDC*>(context);
    ++d->releases;
    d->modified |= modified != 0;
  };
  return Ok;
}

}  // namespace

const GpHostTable* HostTable() {
  static const GpHostTable host{sizeof(GpHostTable), &LockFake, &LockFake};
  return &host;
}

DcGraphics::DcGraphics(FakeDC& dc) { EXPECT_EQ(GP(GdipCreateFromHDC)(&dc, &g_), Ok); }
DcGraphics::~DcGraphics() {
  if (g_) GP(GdipDeleteGraphics)(g_);
}

Pixels ReadPixels(GpImage* image) {
  Pixels px;
  GP(GdipGetImageWidth)(image, &px.width);
  GP(GdipGetImageHeight)(image, &px.height);
  BitmapData data{};
  auto* bitmap = reinterpret_cast<GpBitmap*>(image);
  EXPECT_EQ(GP(GdipBitmapLockBits)(bitmap, nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
  if (!data.Scan0) return px;
  for (uint32_t y = 0; y < px.height; ++y) {
    const auto* row = reinterpret_cast<const uint8_t*>(data.Scan0) + ptrdiff_t(y) * data.Stride;
    for (uint32_t x = 0; x < px.width; ++x) {
      uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      px.argb.push_back(v);
    }
  }
  EXPECT_EQ(GP(GdipBitmapUnlockBits)(bitmap, &data), Ok);
  return px;
}

GpImage* LoadFile(const std::string& path, GpStatus* status) {
  const std::u16string wide(path.begin(), path.end());
  GpImage* image = nullptr;
  const GpStatus st = GP(GdipLoadImageFromFile)(wide.c_str(), &image);
  if (status) *status = st;
  return st == Ok ? image : nullptr;
}

std::string PythonWithPil() {
  static const std::string python = [] {
    for (const char* candidate : {"/usr/bin/python3", "python3"})
      if (testsupport::Run(std::string(candidate) + " -c 'import PIL' 2>/dev/null") == 0) return std::string(candidate);
    return std::string();
  }();
  return python;
}

int RunPython(const std::string& dir, const std::string& program, std::string* out) {
  const std::string script = dir + "/helper.py";
  testsupport::WriteFile(script,
                         "import struct, sys\nfrom PIL import Image\n"
                         "def dump(name):\n"
                         "    im = Image.open(name)\n"
                         "    im = im.convert('RGBA')\n"
                         "    with open(name + '.rgba', 'wb') as f:\n"
                         "        f.write(struct.pack('<II', im.width, im.height))\n"
                         "        f.write(im.tobytes())\n" +
                             program);
  return testsupport::Run("cd '" + dir + "' && " + PythonWithPil() + " helper.py 2>&1", out);
}

Pixels PillowPixels(const std::string& dir, const std::string& file) {
  const std::string bytes = testsupport::ReadFile(dir + "/" + file + ".rgba");
  Pixels px;
  if (bytes.size() < 8) return px;
  std::memcpy(&px.width, bytes.data(), 4);
  std::memcpy(&px.height, bytes.data() + 4, 4);
  if (bytes.size() != 8 + size_t(px.width) * px.height * 4) return Pixels{};
  for (size_t i = 8; i + 3 < bytes.size(); i += 4) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + i);
    px.argb.push_back(uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
  }
  return px;
}

}  // namespace gptest
