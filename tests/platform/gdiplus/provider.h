// Test helpers: the provider loaded with dlopen as the renderer loads it, an IStream over
// memory, a device context over plain pixels for the host table, and the Pillow oracle.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus_flat.h"
#include "tests/support/test_support.h"

namespace gptest {

using namespace gdiplus;

inline std::string ProviderPath() { return testsupport::BinaryDir() + "/" + kGdiplusLibraryName; }

// The provider, loaded once for the test program and started.
class Provider {
 public:
  static Provider& Get();
  void* module() const { return module_; }
  template <typename F>
  F Fn(const char* name) const {
    void* p = dlsym(module_, name);
    if (!p) ADD_FAILURE() << "missing entry point " << name;
    return reinterpret_cast<F>(p);
  }

 private:
  Provider();
  void* module_ = nullptr;
};

// The entry point of that name, typed by its declaration.
#define GP(name) (::gptest::Provider::Get().Fn<decltype(&::gdiplus::name)>(#name))

class MemoryStream : public IStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::string_view bytes) : bytes_(bytes.begin(), bytes.end()) {}
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::string str() const { return std::string(bytes_.begin(), bytes_.end()); }
  size_t position() const { return pos_; }
  bool offerImageBytes = false;  // answer QueryInterface for IImageBytes

  HRESULT QueryInterface(const IID& iid, void** object) override;
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }
  HRESULT Read(void* buffer, uint32_t count, uint32_t* read) override;
  HRESULT Write(const void* buffer, uint32_t count, uint32_t* written) override;
  HRESULT Seek(int64_t move, uint32_t origin, uint64_t* position) override;
  HRESULT SetSize(uint64_t) override { return E_NOTIMPL; }
  HRESULT CopyTo(IStream*, uint64_t, uint64_t*, uint64_t*) override { return E_NOTIMPL; }
  HRESULT Commit(uint32_t) override { return S_OK; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT LockRegion(uint64_t, uint64_t, uint32_t) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(uint64_t, uint64_t, uint32_t) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG* stat, uint32_t) override;
  HRESULT Clone(IStream**) override { return E_NOTIMPL; }
  int lockedBuffers = 0;

 private:
  class Bytes : public IImageBytes {
   public:
    explicit Bytes(MemoryStream& owner) : owner_(owner) {}
    HRESULT QueryInterface(const IID&, void** object) override {
      *object = this;
      return S_OK;
    }
    uint32_t AddRef() override { return 1; }
    uint32_t Release() override { return 1; }
    HRESULT CountBytes(uint32_t* count) override;
    HRESULT LockBytes(uint32_t count, uint32_t offset, const void** bytes) override;
    HRESULT UnlockBytes(const void*, uint32_t, uint32_t) override;

   private:
    MemoryStream& owner_;
  };
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
  Bytes imageBytes_{*this};
};

// A device context of the test's own: pixels in DIB layout (rows on 4-byte boundaries,
// bottom-up unless topDown), handed to the provider through the host table.
struct FakeDC {
  int32_t width = 0, height = 0, bpp = 24;
  bool topDown = false;
  int32_t stride = 0;
  std::vector<uint8_t> pixels;
  int releases = 0;
  bool modified = false;

  FakeDC(int32_t w, int32_t h, int32_t bitsPerPixel = 24, bool topDownRows = false);
  uint8_t* Row(int32_t y) { return pixels.data() + size_t(topDown ? y : height - 1 - y) * size_t(stride); }
  // 0x00RRGGBB of a pixel.
  uint32_t Pixel(int32_t x, int32_t y);
  void Fill(uint32_t rgb);
};
// The host table that maps FakeDC pointers (as HDC and HBITMAP) to their pixels; the
// provider gets it when it is loaded.
const GpHostTable* HostTable();

// A started provider's Graphics on a FakeDC, deleted with the object.
class DcGraphics {
 public:
  explicit DcGraphics(FakeDC& dc);
  ~DcGraphics();
  GpGraphics* get() const { return g_; }

 private:
  GpGraphics* g_ = nullptr;
};

// A decoded picture as straight ARGB values, read with LockBits.
struct Pixels {
  uint32_t width = 0, height = 0;
  std::vector<uint32_t> argb;
};
Pixels ReadPixels(GpImage* image);
GpImage* LoadFile(const std::string& path, GpStatus* status = nullptr);

// Python with Pillow, or empty when there is none.
std::string PythonWithPil();
#define REQUIRE_PIL()                                                          \
  do {                                                                         \
    if (::gptest::PythonWithPil().empty()) GTEST_SKIP() << "needs Python PIL"; \
  } while (0)
// Runs a Python program (with Pillow imported as Image) in `dir`; returns its exit status.
int RunPython(const std::string& dir, const std::string& program, std::string* out = nullptr);
// Pillow's decode of a file as RGBA (written by the helper program as name.rgba: width and
// height as 32-bit little-endian numbers, then the pixels).
Pixels PillowPixels(const std::string& dir, const std::string& file);

}  // namespace gptest
