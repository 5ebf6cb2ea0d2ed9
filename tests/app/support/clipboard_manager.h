// A desktop clipboard manager of the test's own, on the X display that DISPLAY names: it owns
// CLIPBOARD_MANAGER and answers SAVE_TARGETS the way the freedesktop clipboard-manager convention
// asks (fetch the CLIPBOARD text, take the CLIPBOARD over, then reply), and serves the kept text
// afterwards. It runs on a thread of its own with its own connection.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace apptest {

class TestClipboardManager {
 public:
  TestClipboardManager();
  ~TestClipboardManager();
  TestClipboardManager(const TestClipboardManager&) = delete;
  TestClipboardManager& operator=(const TestClipboardManager&) = delete;

  // True once it owns the manager selection.
  bool running() const { return running_; }
  // The text handed over by SAVE_TARGETS, if any arrived.
  std::optional<std::string> Kept() const;
  int saveRequests() const { return saves_; }

 private:
  void Run();

  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  std::atomic<bool> started_{false};
  std::atomic<int> saves_{0};
  mutable std::mutex mutex_;
  std::optional<std::string> kept_;
};

}  // namespace apptest
