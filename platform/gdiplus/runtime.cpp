// Start-up, shut-down and the host table.
#include <mutex>

#include "platform/gdiplus/gp_internal.h"

namespace gdiplus {
namespace {

struct Runtime {
  std::mutex lock;
  int startups = 0;
  ULONG_PTR nextToken = 1;
  std::vector<ULONG_PTR> tokens;
  bool haveHost = false;
  GpHostTable host{};
};

Runtime& State() {
  static Runtime runtime;
  return runtime;
}

// With the background thread suppressed the caller runs the notification hook itself; there
// is no thread here, so the hook only hands out a token.
GpStatus NotificationHook(ULONG_PTR* token) {
  if (!token) return InvalidParameter;
  *token = 0x4e4f5449;  // any value the unhook accepts back
  return Ok;
}
void NotificationUnhook(ULONG_PTR) {}

}  // namespace

bool Started() {
  Runtime& r = State();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.startups > 0;
}

const GpHostTable* Host() {
  Runtime& r = State();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.haveHost ? &r.host : nullptr;
}

extern "C" {

GpStatus VelmoraGdiplusSetHost(const GpHostTable* host) {
  Runtime& r = State();
  std::lock_guard<std::mutex> guard(r.lock);
  if (!host) {
    r.haveHost = false;
    r.host = GpHostTable{};
    return Ok;
  }
  if (host->size < sizeof(GpHostTable)) return InvalidParameter;
  r.host = *host;
  r.haveHost = true;
  return Ok;
}

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion < 1 || input->GdiplusVersion > 3) return UnsupportedGdiplusVersion;
  if (input->SuppressBackgroundThread && !output) return InvalidParameter;
  return Guarded([&] {
    Runtime& r = State();
    std::lock_guard<std::mutex> guard(r.lock);
    if (output) {
      output->NotificationHook = input->SuppressBackgroundThread ? &NotificationHook : nullptr;
      output->NotificationUnhook = input->SuppressBackgroundThread ? &NotificationUnhook : nullptr;
    }
    r.tokens.push_back(r.nextToken);
    *token = r.nextToken++;
    ++r.startups;
    return Ok;
  });
}

void GdiplusShutdown(ULONG_PTR token) {
  Runtime& r = State();
  std::lock_guard<std::mutex> guard(r.lock);
  for (size_t i = 0; i < r.tokens.size(); ++i) {
    if (r.tokens[i] == token) {
      r.tokens.erase(r.tokens.begin() + ptrdiff_t(i));
      --r.startups;
      return;
    }
  }
}

}  // extern "C"
}  // namespace gdiplus
