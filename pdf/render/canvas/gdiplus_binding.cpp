#include "pdf/render/canvas/gdiplus_binding.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pdf/render/canvas/gdiplus_settings.h"

namespace {

#define VELMORA_GDIPLUS_COUNT(member, function) +1
static_assert(0 VELMORA_GDIPLUS_SLOTS(VELMORA_GDIPLUS_COUNT) == kGdiplusSlotCount);
#undef VELMORA_GDIPLUS_COUNT

// The provider stays mapped after dlclose: cairo and pixman keep caches that only their own
// data reaches, and unmapping them under a live process gains nothing.
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE;

// The folder of the running program, with its trailing "/" (empty when unknown).
std::string ProgramFolder() {
  std::string buffer(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  buffer.resize(size_t(n));
  const size_t slash = buffer.rfind('/');
  return slash == std::string::npos ? std::string() : buffer.substr(0, slash + 1);
}

}  // namespace

TWZRXGDIPlus::~TWZRXGDIPlus() { Unload(); }

void TWZRXGDIPlus::ClearSlots() {
#define VELMORA_GDIPLUS_CLEAR_SLOT(member, function) member = nullptr;
  VELMORA_GDIPLUS_SLOTS(VELMORA_GDIPLUS_CLEAR_SLOT)
  VELMORA_GDIPLUS_EXTRAS(VELMORA_GDIPLUS_CLEAR_SLOT)
#undef VELMORA_GDIPLUS_CLEAR_SLOT
}

void TWZRXGDIPlus::BindSlots() {
  missing_.clear();
  int32_t bound = 0;
#define VELMORA_GDIPLUS_BIND(member, function)                                       \
  member = reinterpret_cast<decltype(&gdiplus::function)>(dlsym(module_, #function)); \
  if (!member && std::find(missing_.begin(), missing_.end(), #function) == missing_.end()) missing_.push_back(#function);
#define VELMORA_GDIPLUS_BIND_SLOT(member, function) \
  VELMORA_GDIPLUS_BIND(member, function)            \
  if (member) ++bound;
  VELMORA_GDIPLUS_SLOTS(VELMORA_GDIPLUS_BIND_SLOT)
  VELMORA_GDIPLUS_EXTRAS(VELMORA_GDIPLUS_BIND)
#undef VELMORA_GDIPLUS_BIND_SLOT
#undef VELMORA_GDIPLUS_BIND
  status_ = bound == kGdiplusSlotCount ? kReady : kEntryPointMissing;
}

int32_t TWZRXGDIPlus::Load(const WideString& path, bool reuseLoaded) {
  Unload();
  const std::string file = WideToFileName(path.empty() ? WideString(kDefaultGDIPlusLibrary) : path);
  if (reuseLoaded) {
    // Only a module that is already mapped; the reference it adds is ours to drop.
    module_ = dlopen(file.c_str(), kOpenFlags | RTLD_NOLOAD);
    borrowed_ = module_ != nullptr;
  }
  if (!module_) module_ = dlopen(file.c_str(), kOpenFlags);
  if (!module_) {
    const char* message = dlerror();
    loaderMessage_ = message ? message : file + ": cannot be loaded";
    status_ = kLibraryNotFound;
    return status_;
  }
  BindSlots();
  return status_;
}

void TWZRXGDIPlus::Unload() {
  // A borrowed module's extra reference from RTLD_NOLOAD is released too, which leaves the
  // owner's own reference untouched.
  if (module_) dlclose(module_);
  module_ = nullptr;
  borrowed_ = false;
  status_ = kNotLoaded;
  missing_.clear();
  loaderMessage_.clear();
  ClearSlots();
}

std::string TWZRXGDIPlus::LoadProblem() const {
  if (status_ == kLibraryNotFound) return loaderMessage_;
  if (status_ != kEntryPointMissing) return {};
  if (missing_.empty()) return {};
  const size_t more = missing_.size() - 1;
  return "it lacks " + missing_.front() +
         (more == 0 ? std::string() : " and " + std::to_string(more) + " more entry point" + (more > 1 ? "s" : ""));
}

int32_t LoadGDIPlusProvider(TWZRXGDIPlus& gdiplus, const TGDIPlusSettings& settings) {
  const bool reuse = settings.ReuseLoadedGDIPlus != 0;
  gdiplus.Load(settings.LibraryPath, reuse);
  if (gdiplus.Status() == TWZRXGDIPlus::kLibraryNotFound) {
    const std::string folder = ProgramFolder();
    if (!folder.empty()) gdiplus.Load(FileNameToWide(folder) + WideString(kDefaultGDIPlusLibrary), reuse);
  }
  return gdiplus.Status();
}

bool TWZRXGDIPlus::GetEncoderClsid(const WideString& mimeType, gdiplus::CLSID& clsid) const {
  if (!GdipGetImageEncodersSize || !GdipGetImageEncoders) return false;
  uint32_t count = 0, size = 0;
  if (GdipGetImageEncodersSize(&count, &size) != gdiplus::Ok || count == 0 || size < count * sizeof(gdiplus::ImageCodecInfo))
    return false;
  // The list is records followed by their strings; keep it aligned for the records.
  std::vector<uint64_t> buffer((size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  auto* codecs = reinterpret_cast<gdiplus::ImageCodecInfo*>(buffer.data());
  if (GdipGetImageEncoders(count, size, codecs) != gdiplus::Ok) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (codecs[i].MimeType && std::u16string_view(codecs[i].MimeType) == mimeType) {
      clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

int32_t TWZRXGDIPlus::SelectFrame(gdiplus::GpImage* image, int32_t n) const {
  if (!image || !GdipImageGetFrameCount || !GdipImageSelectActiveFrame) return gdiplus::GenericError;
  uint32_t count = 0;
  if (GdipImageGetFrameCount(image, &gdiplus::FrameDimensionPage, &count) != gdiplus::Ok) count = 0;
  if (n < 1 || uint32_t(n) > count) return gdiplus::GenericError;
  return GdipImageSelectActiveFrame(image, &gdiplus::FrameDimensionPage, uint32_t(n - 1));
}
