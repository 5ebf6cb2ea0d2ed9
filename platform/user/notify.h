// WM_NOTIFY: the header every common control's notification starts with, the codes shared by
// the controls, and the custom-draw record through which a parent (or a skin) draws parts of a
// control itself.
#pragma once

#include "platform/gdi/gdi_types.h"
#include "platform/user/wintypes.h"

struct NMHDR {
  HWND hwndFrom = nullptr;
  UINT_PTR idFrom = 0;
  UINT code = 0;
};

// Codes shared by the common controls (negative numbers carried in a UINT).
inline constexpr UINT NM_CLICK = UINT(-2), NM_CUSTOMDRAW = UINT(-12);

// Custom drawing: the stage of a paint, the answers that steer it.
inline constexpr DWORD CDDS_PREPAINT = 0x1, CDDS_POSTPAINT = 0x2, CDDS_ITEM = 0x10000,
                       CDDS_ITEMPREPAINT = CDDS_ITEM | CDDS_PREPAINT, CDDS_ITEMPOSTPAINT = CDDS_ITEM | CDDS_POSTPAINT;
inline constexpr LRESULT CDRF_DODEFAULT = 0x0, CDRF_SKIPDEFAULT = 0x4, CDRF_NOTIFYPOSTPAINT = 0x10,
                         CDRF_NOTIFYITEMDRAW = 0x20;
inline constexpr UINT CDIS_SELECTED = 0x1, CDIS_DISABLED = 0x4, CDIS_FOCUS = 0x10, CDIS_HOT = 0x40;

struct NMCUSTOMDRAW {
  NMHDR hdr;
  DWORD dwDrawStage = 0;
  HDC hdc = nullptr;
  RECT rc{};
  UINT_PTR dwItemSpec = 0;
  UINT uItemState = 0;
  LPARAM lItemlParam = 0;
};

// Sends a notification with this header to the control's parent; the parent's answer.
LRESULT SendNotify(HWND control, NMHDR& header, UINT code);
