// Subclassing with SetWindowLongPtr(GWL_WNDPROC): chains, removal inside a handler, object
// instances freed while they run, and windows destroyed from inside their own messages.
#include "platform/user/object_instance.h"
#include "tests/platform/user/user_test_support.h"

using namespace usertest;

namespace {

class Subclass : public UserTest {};

struct Wrapper {
  HWND hwnd = nullptr;
  WNDPROC old = nullptr;
  WNDPROC instance = nullptr;
  std::vector<UINT> seen;
  UINT detachOn = 0;  // message on which the wrapper removes itself (0: never)
  bool freeInstance = true;

  void Attach(HWND h) {
    hwnd = h;
    instance = MakeObjectInstance([this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return Proc(w, m, wp, lp); });
    old = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(instance)));
  }
  void Detach() {
    SetWindowLongPtrW(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    if (freeInstance) FreeObjectInstance(instance);
  }
  LRESULT Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    seen.push_back(m);
    WNDPROC next = old;  // keep before a detach can change anything
    if (m == detachOn && m != 0) Detach();
    if (m == WM_USER + 1) return 42;  // answered by the wrapper itself
    return CallWindowProcW(next, w, m, wp, lp);
  }
};

TEST_F(Subclass, ChainOfTwoWrappersSeesMessagesNewestFirst) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"S", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  Wrapper inner, outer;
  inner.Attach(hwnd);
  outer.Attach(hwnd);
  Log().clear();
  EXPECT_EQ(SendMessageW(hwnd, WM_USER + 2, 0, 0), 0);
  EXPECT_EQ(outer.seen.back(), WM_USER + 2u);
  EXPECT_EQ(inner.seen.back(), WM_USER + 2u);
  EXPECT_EQ(MessagesOf(hwnd), std::vector<UINT>{WM_USER + 2});
  EXPECT_EQ(SendMessageW(hwnd, WM_USER + 1, 0, 0), 42);  // answered by the outer one
  EXPECT_EQ(inner.seen.back(), WM_USER + 2u);
  outer.Detach();
  inner.Detach();
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWL_WNDPROC)), &CALLBACK_Record);
}

TEST_F(Subclass, WrapperRemovesAndFreesItselfInsideAMessage) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"S", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  Wrapper inner, outer;
  inner.Attach(hwnd);
  outer.Attach(hwnd);
  // The newest wrapper leaves inside a message: it frees its own instance while it runs and
  // still passes the message on.
  outer.detachOn = WM_USER + 3;
  Log().clear();
  SendMessageW(hwnd, WM_USER + 3, 0, 0);
  EXPECT_EQ(MessagesOf(hwnd), std::vector<UINT>{WM_USER + 3});
  EXPECT_EQ(inner.seen.back(), WM_USER + 3u);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWL_WNDPROC)), inner.instance);
  // Then the older one, the same way.
  inner.detachOn = WM_USER + 4;
  SendMessageW(hwnd, WM_USER + 4, 0, 0);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWL_WNDPROC)), &CALLBACK_Record);
  Log().clear();
  SendMessageW(hwnd, WM_USER + 5, 0, 0);
  EXPECT_EQ(MessagesOf(hwnd), std::vector<UINT>{WM_USER + 5});
  EXPECT_EQ(outer.seen.back(), WM_USER + 3u);
  EXPECT_EQ(inner.seen.back(), WM_USER + 4u);
}

TEST_F(Subclass, DetachOnDestroyThenPassOn) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"S", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                              nullptr, nullptr);
  Wrapper w;
  w.Attach(hwnd);
  w.detachOn = WM_DESTROY;  // as a skinner does: detach, free the thunk, then pass on
  Log().clear();
  DestroyWindow(hwnd);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(Filtered(hwnd, {WM_DESTROY, WM_NCDESTROY}), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
  // WM_NCDESTROY went straight to the class procedure.
  EXPECT_EQ(w.seen.back(), static_cast<UINT>(WM_DESTROY));
}

TEST_F(Subclass, InstanceReusedOnlyAfterRunningCallEnds) {
  WNDPROC first = nullptr;
  WNDPROC during = nullptr;
  int calls = 0;
  first = MakeObjectInstance([&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    ++calls;
    FreeObjectInstance(first);
    during = MakeObjectInstance([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 7; });
    return 1;
  });
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first(nullptr, 0, 0, 0), 1);
  EXPECT_NE(during, first);  // the running instance was not handed out again
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(first(nullptr, 0, 0, 0), 0);  // freed: calls do nothing now
  EXPECT_EQ(during(nullptr, 0, 0, 0), 7);
  FreeObjectInstance(during);
}

TEST_F(Subclass, WindowDestroyedInsideItsOwnMessage) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"S", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                              nullptr, nullptr);
  SetHandler([](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_USER) return false;
    DestroyWindow(h);
    // The handle is dead now; calls on it fail quietly.
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(SetWindowLongPtrW(h, GWL_USERDATA, 5), 0);
    EXPECT_EQ(DefWindowProcW(h, WM_GETTEXTLENGTH, 0, 0), 0);
    *r = 9;
    return true;
  });
  EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 9);
  EXPECT_FALSE(IsWindow(hwnd));
  // A stale handle does not reach a window created later in the same slot.
  HWND next = CreateWindowExW(0, RecordingClass(), u"T", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(next, hwnd);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Subclass, WindowLongsAndExtraBytes) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), u"S", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SetWindowLongPtrW(hwnd, 8, 0x1234), 0);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 8), 0x1234);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, 16), 0);  // past the 16 extra bytes
  EXPECT_EQ(GetWindowLongPtrW(hwnd, -1000), 0);
  SetWindowLongPtrW(hwnd, GWL_USERDATA, 77);
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_USERDATA), 77);
  Log().clear();
  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  SetWindowLongPtrW(hwnd, GWL_STYLE, style | WS_SYSMENU);
  EXPECT_EQ(Names(MessagesOf(hwnd)), Names({WM_STYLECHANGING, WM_STYLECHANGED}));
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_SYSMENU);
  EXPECT_TRUE(IsWindowUnicode(hwnd));
  char name[32];
  EXPECT_EQ(GetClassNameA(hwnd, name, sizeof name), 15);
  EXPECT_STREQ(name, "RecordingWindow");
}

}  // namespace
