#include "platform/user/notify.h"

#include "platform/user/message_loop.h"
#include "platform/user/messages.h"
#include "platform/user/window.h"

LRESULT SendNotify(HWND control, NMHDR& header, UINT code) {
  HWND parent = GetParent(control);
  if (!parent) return 0;
  header.hwndFrom = control;
  header.idFrom = UINT_PTR(GetDlgCtrlID(control));
  header.code = code;
  return SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}
