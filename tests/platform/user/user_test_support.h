// Helpers of the window-layer tests: a headless display per test, a window class whose
// procedure records every message, and a log that hooks can write into too.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/user/default_proc.h"
#include "platform/user/hooks.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"

namespace usertest {

struct Entry {
  HWND hwnd;
  UINT msg;  // a message number, or kHookBase + hook code for CBT hook calls
  WPARAM wParam;
  LPARAM lParam;
};

inline constexpr UINT kHookBase = 0x10000;

// Every recording window writes here; tests clear it between phases.
std::vector<Entry>& Log();
// Messages of the log for one window (hook entries whose wParam is that window included).
std::vector<UINT> MessagesOf(HWND hwnd);
// Only the messages of the given set, in order, for comparing sequences.
std::vector<UINT> Filtered(HWND hwnd, const std::vector<UINT>& keep);
std::string Names(const std::vector<UINT>& msgs);

// Per-window hook for a test: called before the default processing; return true to answer
// with *result instead.
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;
void SetHandler(Handler h);
// A handler that paints the whole client area of `target` (its size `w` x `h`) in the colour
// of `sysColor`.
Handler PaintsIn(HWND target, int w, int h, int sysColor);

// Window class "RecordingWindow": logs, consults the handler, then DefWindowProc.
const char16_t* RecordingClass();
LRESULT CALLBACK_Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A colour as the headless screen reports its pixels (0x00RRGGBB).
std::uint32_t Pixel(COLORREF c);

// Processes every pending message (PeekMessage/Translate/Dispatch until none is left).
void Pump(int maxMessages = 10000);

class UserTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  display::HeadlessDisplay* screen = nullptr;
};

}  // namespace usertest
