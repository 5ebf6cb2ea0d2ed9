// The end of the session from outside the program: a signal, or the display gone.
#include "platform/rtl/end_signals.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/message_loop.h"
#include "platform/user/user_display.h"

using namespace user_internal;

bool EndRequested() {
  UserState& s = State();
  return CaughtEndSignal() != 0 || (s.HasDisplay() && s.Display().ConnectionLost());
}

namespace user_internal {

void AnnounceEndRequest() {
  UserState& s = State();
  if (!EndRequested()) {
    s.endAnnounced = false;  // a request taken back (tests) may come again
    return;
  }
  // Until a top-level window exists there is nobody to tell; the request stands meanwhile.
  if (s.endAnnounced || s.topLevels.empty()) return;
  s.endAnnounced = true;
  PostMessageW(HWND_BROADCAST, WM_ENDSESSION, TRUE, 0);
}

}  // namespace user_internal
