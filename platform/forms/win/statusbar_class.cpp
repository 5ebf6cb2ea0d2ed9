// "msctls_statusbar32": a bar of parts along the parent's bottom edge (CCS_TOP: top edge), each
// with a text and a bevel (lowered; SBT_POPOUT raised; SBT_NOBORDERS none), or in simple mode
// one part over the whole width; an owner-drawn part (SBT_OWNERDRAW) keeps a value instead of
// a text and is drawn by the parent (WM_DRAWITEM); SBARS_SIZEGRIP adds the size grip in the
// bottom-right corner, which sizes the window whose client corner the bar reaches.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/control_util.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/rtl/strings.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

struct StatusPart {
  std::u16string text;
  WPARAM type = 0;    // SBT_ flags
  LPARAM data = 0;    // an owner-drawn part's value instead of a text
};

struct StatusState {
  HFONT font = nullptr;
  std::vector<int> edges{-1};
  std::vector<StatusPart> parts{StatusPart{}};
  bool simple = false;
  StatusPart simplePart;
};

DWORD StyleOf(HWND h) { return DWORD(GetWindowLongPtrW(h, GWL_STYLE)); }

RECT PartRect(HWND h, const StatusState* s, size_t i) {
  RECT c{};
  GetClientRect(h, &c);
  if (s->simple) return RECT{0, 2, c.right, c.bottom};
  const int left = i == 0 ? 0 : std::max(s->edges[i - 1], 0) + 2;
  const int right = s->edges[i] < 0 ? c.right : s->edges[i];
  return RECT{std::min(left, int(c.right)), 2, std::max(std::min(right, int(c.right)), std::min(left, int(c.right))),
              c.bottom};
}

void DrawPart(HWND h, HDC dc, const StatusPart& part, size_t index, RECT r) {
  if (!(part.type & SBT_NOBORDERS)) {
    RECT edge = r;
    DrawEdge(dc, &edge, (part.type & SBT_POPOUT) ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
  }
  if (part.type & SBT_OWNERDRAW) {
    DrawStatusOwnerPart(h, dc, int(index), r, part.data);
    return;
  }
  std::u16string text = part.text;
  const int align = StatusTextAlignment(text);
  const UINT format = align == 2 ? DT_CENTER : align == 1 ? DT_RIGHT : DT_LEFT;
  InflateRect(r, -2, 0);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawControlText(dc, text, r, format | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, true);
}

void Paint(HWND h, HDC dc, StatusState* s) {
  RECT c{};
  GetClientRect(h, &c);
  FillSolid(dc, c, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  if (s->simple)
    DrawPart(h, dc, s->simplePart, SB_SIMPLEID, PartRect(h, s, 0));
  else
    for (size_t i = 0; i < s->parts.size(); ++i) DrawPart(h, dc, s->parts[i], i, PartRect(h, s, i));
  SelectObject(dc, old);
  if (StyleOf(h) & SBARS_SIZEGRIP) DrawSizeGrip(dc, c);
}

// Takes the standard height and, unless told not to, the parent's edge.
void Place(HWND h, const StatusState* s) {
  const DWORD style = StyleOf(h);
  if (style & CCS_NORESIZE) return;
  RECT own{}, parent{};
  GetWindowRect(h, &own);
  POINT at{own.left, own.top};
  if (HWND p = GetParent(h)) {
    ScreenToClient(p, &at);
    GetClientRect(p, &parent);
  }
  const int height = MeasureFont(h, s->font).tmHeight + 8;
  if (style & CCS_NOPARENTALIGN) {
    SetWindowPos(h, nullptr, 0, 0, own.right - own.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  const bool top = (style & CCS_BOTTOM) == CCS_TOP;
  SetWindowPos(h, nullptr, 0, top ? 0 : parent.bottom - height, parent.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

StatusPart* PartOf(StatusState* s, WPARAM wParam) {
  const size_t index = wParam & 0xFF;
  if (index == SB_SIMPLEID) return &s->simplePart;
  return index < s->parts.size() ? &s->parts[index] : nullptr;
}

template <class Char>
LRESULT GetText(StatusState* s, WPARAM wParam, Char* out, bool copy) {
  const StatusPart* part = PartOf(s, wParam);
  if (!part) return 0;
  // An owner-drawn part has no text: its value comes back in place of length and type.
  if (part->type & SBT_OWNERDRAW) return copy ? part->data : MAKELRESULT(0, WORD(part->type >> 8));
  std::basic_string<Char> text;
  if constexpr (std::is_same_v<Char, char16_t>)
    text = part->text;
  else
    text = WideToUtf8(part->text);
  if (copy && out) {
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = Char(0);
  }
  return MAKELRESULT(WORD(std::min<size_t>(text.size(), 0xFFFF)), WORD(part->type >> 8));
}

// lParam is the text, or for SBT_OWNERDRAW the part's value (never read as text).
template <class Char>
LRESULT SetText(HWND h, StatusState* s, WPARAM wParam, LPARAM lParam) {
  StatusPart* part = PartOf(s, wParam);
  if (!part) return FALSE;
  part->type = wParam & 0xFF00;
  part->data = (wParam & SBT_OWNERDRAW) ? lParam : 0;
  part->text.clear();
  if (!(wParam & SBT_OWNERDRAW) && lParam) {
    if constexpr (std::is_same_v<Char, char16_t>)
      part->text = reinterpret_cast<const char16_t*>(lParam);
    else
      part->text = Utf8ToWide(reinterpret_cast<const char*>(lParam));
  }
  InvalidateRect(h, nullptr, FALSE);
  return TRUE;
}

LRESULT SetParts(HWND h, StatusState* s, WPARAM count, LPARAM lParam) {
  const auto* edges = reinterpret_cast<const int*>(lParam);
  if (count == 0 || count > size_t(kStatusMaxParts) || !edges) return FALSE;
  s->edges.assign(edges, edges + count);
  s->parts.resize(count);
  InvalidateRect(h, nullptr, FALSE);
  return TRUE;
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, StatusState* s) {
  switch (msg) {
    case SB_SETTEXTW: return SetText<char16_t>(h, s, wParam, lParam);
    case SB_SETTEXTA: return SetText<char>(h, s, wParam, lParam);
    case SB_GETTEXTW: return GetText(s, wParam, reinterpret_cast<char16_t*>(lParam), true);
    case SB_GETTEXTA: return GetText(s, wParam, reinterpret_cast<char*>(lParam), true);
    case SB_GETTEXTLENGTHW: return GetText<char16_t>(s, wParam, nullptr, false);
    case SB_GETTEXTLENGTHA: return GetText<char>(s, wParam, nullptr, false);
    case SB_SETPARTS: return SetParts(h, s, wParam, lParam);
    case SB_GETPARTS: {
      if (auto* out = reinterpret_cast<int*>(lParam))
        std::copy_n(s->edges.begin(), std::min(s->edges.size(), size_t(wParam)), out);
      return LRESULT(s->edges.size());
    }
    case SB_SIMPLE: s->simple = wParam != 0; InvalidateRect(h, nullptr, FALSE); return 0;
    case SB_ISSIMPLE: return s->simple;
    case SB_GETRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r || (!s->simple && wParam >= s->parts.size()) || (s->simple && wParam != 0)) return FALSE;
      *r = PartRect(h, s, wParam);
      return TRUE;
    }
    case WM_SETFONT: return SetFontAndRedraw(h, s->font, wParam, lParam);
    case WM_CREATE: Place(h, s); return 0;
    case WM_SIZE: Place(h, s); InvalidateRect(h, nullptr, FALSE); return 0;
    case WM_NCHITTEST: {
      RECT w{};
      GetWindowRect(h, &w);
      const int grip = GetSystemMetrics(SM_CXVSCROLL);
      const int x = short(LOWORD(lParam)), y = short(HIWORD(lParam));
      if ((StyleOf(h) & SBARS_SIZEGRIP) && x >= w.right - grip && y >= w.bottom - grip && CornerSizedWindow(h))
        return HTBOTTOMRIGHT;
      return HTCLIENT;
    }
    case WM_NCLBUTTONDOWN:
      if (wParam == WPARAM(HTBOTTOMRIGHT) && SizeFromCorner(h, lParam)) return 0;
      return DefWindowProcW(h, msg, wParam, lParam);
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

void DrawStatusOwnerPart(HWND bar, HDC dc, int part, const RECT& r, LPARAM data) {
  DRAWITEMSTRUCT item{};
  item.CtlID = UINT(GetDlgCtrlID(bar));
  item.itemID = UINT(part);
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = bar;
  item.hDC = dc;
  item.rcItem = r;
  item.itemData = ULONG_PTR(data);
  SendMessageW(GetParent(bar), WM_DRAWITEM, WPARAM(item.CtlID), reinterpret_cast<LPARAM>(&item));
}

int StatusTextAlignment(std::u16string& text) {
  size_t tabs = 0;
  while (tabs < text.size() && tabs < 2 && text[tabs] == u'\t') ++tabs;
  text.erase(0, tabs);
  return tabs == 0 ? 0 : tabs == 1 ? 2 : 1;
}

namespace stdctl {
void RegisterStatusBarClass() {
  RegisterControlClass(STATUSCLASSNAME, ControlProc<StatusState, Paint, Handle>, IDC_ARROW);
}
}  // namespace stdctl
