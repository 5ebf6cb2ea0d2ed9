#include "platform/gdi/printer/cups_library.h"

#include <dlfcn.h>

#include <optional>

namespace {

template <class F>
bool Bind(void* library, const char* name, F& function) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

std::optional<CupsLibrary> Load() {
  // The handle stays open for the rest of the run: the functions are kept.
  void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!library) return std::nullopt;
  CupsLibrary f{};
  const bool complete =
      Bind(library, "cupsGetDests2", f.getDests2) && Bind(library, "cupsFreeDests", f.freeDests) &&
      Bind(library, "cupsCopyDestInfo", f.copyDestInfo) && Bind(library, "cupsFreeDestInfo", f.freeDestInfo) &&
      Bind(library, "cupsGetDestMediaDefault", f.getDestMediaDefault) &&
      Bind(library, "cupsFindDestDefault", f.findDestDefault) &&
      Bind(library, "ippGetResolution", f.getResolution) && Bind(library, "cupsCreateJob", f.createJob) &&
      Bind(library, "cupsStartDocument", f.startDocument) &&
      Bind(library, "cupsWriteRequestData", f.writeRequestData) &&
      Bind(library, "cupsFinishDocument", f.finishDocument) && Bind(library, "cupsCancelJob2", f.cancelJob2);
  if (!complete) {
    dlclose(library);
    return std::nullopt;
  }
  return f;
}

}  // namespace

const CupsLibrary* Cups() {
  static const std::optional<CupsLibrary> library = Load();
  return library ? &*library : nullptr;
}
