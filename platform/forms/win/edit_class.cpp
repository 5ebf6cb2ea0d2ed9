// "Edit": the single-line edit control. Text with a caret and a selection (anchor and caret
// ends), horizontal scrolling (shown on a horizontal frame bar when it has one, greyed while the
// text fits; a vertical one stays greyed), keyboard and mouse editing, the clipboard (cut, copy, paste
// through WM_CUT/WM_COPY/WM_PASTE and Ctrl+X/C/V, Ctrl+A selects all, Ctrl+Z undoes), a text
// limit, read-only and password styles, and EN_CHANGE / EN_SETFOCUS / EN_KILLFOCUS.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/clipboard.h"
#include "platform/user/default_proc.h"
#include "platform/user/global_memory.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/scroll.h"
#include "platform/user/scroll_request.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

constexpr UINT_PTR kBlinkTimer = 1;
constexpr UINT kBlinkMs = 530;
constexpr int kMargin = 2;
constexpr size_t kDefaultLimit = 30000;

struct EditState {
  std::u16string text;
  size_t anchor = 0;  // the selection runs between anchor and caret
  size_t caret = 0;
  int scrollX = 0;    // pixels of text left of the visible area
  HFONT font = nullptr;
  size_t limit = kDefaultLimit;
  char16_t passwordChar = 0;
  bool modified = false;
  bool focused = false;
  bool caretShown = true;
  bool selecting = false;
  std::u16string undoText;
  size_t undoAnchor = 0, undoCaret = 0;
  bool canUndo = false;
  int leftMargin = kMargin, rightMargin = kMargin;
};

DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)); }
size_t SelStart(const EditState* s) { return std::min(s->anchor, s->caret); }
size_t SelEnd(const EditState* s) { return std::max(s->anchor, s->caret); }

std::u16string Shown(HWND h, const EditState* s) {
  if (s->passwordChar || (Style(h) & ES_PASSWORD)) return std::u16string(s->text.size(), s->passwordChar ? s->passwordChar : u'*');
  return s->text;
}

// x of every character boundary (0 .. size), measured with the control's font.
std::vector<int> Offsets(HWND h, const EditState* s, const std::u16string& shown) {
  std::vector<int> x(shown.size() + 1, 0);
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  // Where the text as drawn puts each character: joined and reordered scripts take their
  // shaped widths, so that the pieces drawn at these places meet.
  GetTextExtentExPointW(dc, shown.c_str(), static_cast<int>(shown.size()), 0, nullptr, x.data() + 1, nullptr);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return x;
}

int LineHeight(HWND h, const EditState* s) {
  TEXTMETRICW tm = MeasureFont(h, s->font);
  return tm.tmHeight > 0 ? tm.tmHeight : 13;
}

int VisibleWidth(HWND h, const EditState* s) {
  RECT r;
  GetClientRect(h, &r);
  return std::max(1, r.Width() - s->leftMargin - s->rightMargin);
}

// The frame bars the edit has follow its scrolling; they stay, greyed, while there is nothing
// to scroll.
void UpdateBars(HWND h, const EditState* s, int total) {
  const DWORD style = Style(h);
  const UINT mask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  if (style & WS_HSCROLL) {
    SCROLLINFO si{sizeof si, mask, 0, std::max(0, total - 1), static_cast<UINT>(VisibleWidth(h, s)), s->scrollX, 0};
    SetScrollInfo(h, SB_HORZ, &si, TRUE);
  }
  if (style & WS_VSCROLL) {
    SCROLLINFO si{sizeof si, mask, 0, 0, 1, 0, 0};
    SetScrollInfo(h, SB_VERT, &si, TRUE);
  }
}

void ScrollToCaret(HWND h, EditState* s) {
  std::vector<int> x = Offsets(h, s, Shown(h, s));
  int cx = x[std::min(s->caret, x.size() - 1)];
  int width = VisibleWidth(h, s);
  if (cx - s->scrollX > width) s->scrollX = cx - width + width / 4;
  if (cx < s->scrollX) s->scrollX = std::max(0, cx - width / 4);
  // Do not leave empty space on the right when the text fits from an earlier start.
  int total = x.back();
  if (s->scrollX > 0 && total - s->scrollX < width) s->scrollX = std::max(0, total - width);
  UpdateBars(h, s, total);
}

// A request of the horizontal bar: the text moves, the caret stays where it is.
void HorzScroll(HWND h, EditState* s, WORD code) {
  const int total = Offsets(h, s, Shown(h, s)).back(), width = VisibleWidth(h, s);
  const std::optional<int> x = ScrollTarget(code, s->scrollX, kScrollLinePixels, width, TrackPosOf(h, SB_HORZ), 0, total - width);
  if (!x) return;
  s->scrollX = *x;
  UpdateBars(h, s, total);
  InvalidateRect(h, nullptr, FALSE);
}

void Redraw(HWND h) { InvalidateRect(h, nullptr, FALSE); }

void RestartBlink(HWND h, EditState* s) {
  s->caretShown = true;
  if (s->focused) SetTimer(h, kBlinkTimer, kBlinkMs, nullptr);
}

void SetSelection(HWND h, EditState* s, size_t anchor, size_t caret) {
  s->anchor = std::min(anchor, s->text.size());
  s->caret = std::min(caret, s->text.size());
  ScrollToCaret(h, s);
  RestartBlink(h, s);
  Redraw(h);
}

void SaveUndo(EditState* s) {
  s->undoText = s->text;
  s->undoAnchor = s->anchor;
  s->undoCaret = s->caret;
  s->canUndo = true;
}

// Only what a single line holds: the text up to its first line break.
std::u16string FirstLine(std::u16string_view t) {
  size_t end = t.find_first_of(u"\r\n");
  return std::u16string(t.substr(0, end));
}

std::u16string Filter(HWND h, std::u16string t) {
  DWORD style = Style(h);
  if (style & ES_UPPERCASE)
    for (char16_t& c : t)
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  if (style & ES_LOWERCASE)
    for (char16_t& c : t)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return t;
}

// Replaces the selection; returns false when nothing could change.
bool ReplaceSelection(HWND h, EditState* s, std::u16string insert, bool undoable) {
  insert = Filter(h, FirstLine(insert));
  size_t a = SelStart(s), b = SelEnd(s);
  size_t room = s->limit > s->text.size() - (b - a) ? s->limit - (s->text.size() - (b - a)) : 0;
  bool truncated = insert.size() > room;
  if (truncated) insert.resize(room);
  if (a == b && insert.empty()) {
    if (truncated) NotifyParent(h, EN_MAXTEXT);
    return false;
  }
  if (undoable) SaveUndo(s);
  s->text.replace(a, b - a, insert);
  s->anchor = s->caret = a + insert.size();
  s->modified = true;
  ScrollToCaret(h, s);
  RestartBlink(h, s);
  Redraw(h);
  NotifyParent(h, EN_UPDATE);
  NotifyParent(h, EN_CHANGE);
  if (truncated) NotifyParent(h, EN_MAXTEXT);
  return true;
}

void Copy(HWND h, EditState* s) {
  if (SelStart(s) == SelEnd(s) || (Style(h) & ES_PASSWORD) || s->passwordChar) return;
  std::u16string sel = s->text.substr(SelStart(s), SelEnd(s) - SelStart(s));
  if (!OpenClipboard(h)) return;
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (sel.size() + 1) * sizeof(char16_t));
  if (mem) {
    auto* p = static_cast<char16_t*>(GlobalLock(mem));
    std::memcpy(p, sel.c_str(), (sel.size() + 1) * sizeof(char16_t));
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}

void Paste(HWND h, EditState* s) {
  if (Style(h) & ES_READONLY) return;
  if (!OpenClipboard(h)) return;
  std::u16string text;
  if (HANDLE mem = GetClipboardData(CF_UNICODETEXT)) {
    size_t bytes = GlobalSize(mem);
    if (auto* p = static_cast<const char16_t*>(GlobalLock(mem))) {
      size_t n = bytes / sizeof(char16_t);
      size_t len = 0;
      while (len < n && p[len]) ++len;
      text.assign(p, len);
      GlobalUnlock(mem);
    }
  }
  CloseClipboard();
  if (Style(h) & ES_NUMBER) {
    for (char16_t c : FirstLine(text))
      if (c < u'0' || c > u'9') {
        MessageBeep(0);
        return;
      }
  }
  ReplaceSelection(h, s, text, true);
}

bool IsWordChar(char16_t c) { return c > u' ' && c != u'/' && c != u'\\' && c != u'.' && c != u','; }

size_t WordLeft(const EditState* s, size_t pos) {
  while (pos > 0 && !IsWordChar(s->text[pos - 1])) --pos;
  while (pos > 0 && IsWordChar(s->text[pos - 1])) --pos;
  return pos;
}

size_t WordRight(const EditState* s, size_t pos) {
  size_t n = s->text.size();
  while (pos < n && IsWordChar(s->text[pos])) ++pos;
  while (pos < n && !IsWordChar(s->text[pos])) ++pos;
  return pos;
}

size_t CharFromX(HWND h, const EditState* s, int x) {
  std::vector<int> offs = Offsets(h, s, Shown(h, s));
  int tx = x - s->leftMargin + s->scrollX;
  for (size_t i = 0; i + 1 < offs.size(); ++i)
    if (tx < (offs[i] + offs[i + 1]) / 2) return i;
  return offs.size() - 1;
}

void KeyDown(HWND h, EditState* s, WPARAM key) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  size_t n = s->text.size();
  auto move = [&](size_t to) {
    if (shift) {
      SetSelection(h, s, s->anchor, to);
    } else {
      SetSelection(h, s, to, to);
    }
  };
  switch (key) {
    case VK_LEFT:
      if (!shift && SelStart(s) != SelEnd(s)) {
        move(SelStart(s));
      } else {
        move(ctrl ? WordLeft(s, s->caret) : (s->caret > 0 ? s->caret - 1 : 0));
      }
      break;
    case VK_RIGHT:
      if (!shift && SelStart(s) != SelEnd(s)) {
        move(SelEnd(s));
      } else {
        move(ctrl ? WordRight(s, s->caret) : std::min(n, s->caret + 1));
      }
      break;
    case VK_HOME:
      move(0);
      break;
    case VK_END:
      move(n);
      break;
    case VK_DELETE:
      if (Style(h) & ES_READONLY) break;
      if (shift) {  // Shift+Del cuts
        Copy(h, s);
        ReplaceSelection(h, s, u"", true);
        break;
      }
      if (SelStart(s) == SelEnd(s) && s->caret < n) s->anchor = s->caret + 1;
      ReplaceSelection(h, s, u"", true);
      break;
    case VK_INSERT:
      if (ctrl) Copy(h, s);
      if (shift) Paste(h, s);
      break;
    default:
      break;
  }
}

void Char(HWND h, EditState* s, char16_t c) {
  bool readOnly = (Style(h) & ES_READONLY) != 0;
  switch (c) {
    case 1:  // Ctrl+A
      SetSelection(h, s, 0, s->text.size());
      return;
    case 3:  // Ctrl+C
      Copy(h, s);
      return;
    case 22:  // Ctrl+V
      Paste(h, s);
      return;
    case 24:  // Ctrl+X
      if (readOnly) return;
      Copy(h, s);
      ReplaceSelection(h, s, u"", true);
      return;
    case 26:  // Ctrl+Z
      if (!readOnly) SendMessageW(h, EM_UNDO, 0, 0);
      return;
    case 8:  // Backspace
      if (readOnly) return;
      if (SelStart(s) == SelEnd(s)) {
        if (s->caret == 0) return;
        s->anchor = s->caret - 1;
      }
      ReplaceSelection(h, s, u"", true);
      return;
    default:
      break;
  }
  if (c < 0x20 || c == 0x7F || readOnly) return;
  if ((Style(h) & ES_NUMBER) && (c < u'0' || c > u'9')) {
    MessageBeep(0);
    return;
  }
  ReplaceSelection(h, s, std::u16string(1, c), true);
}

void Paint(HWND h, HDC dc, EditState* s) {
  RECT r;
  GetClientRect(h, &r);
  DWORD style = Style(h);
  bool enabled = IsWindowEnabled(h);
  HBRUSH bg = ControlBrush(h, dc, (style & ES_READONLY) || !enabled ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  FillRect(dc, &r, bg);
  COLORREF textColor = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
  HGDIOBJ oldFont = SelectObject(dc, FontOr(s->font));
  std::u16string shown = Shown(h, s);
  std::vector<int> x = Offsets(h, s, shown);
  int lh = LineHeight(h, s);
  int top = std::max(0, (r.Height() - lh) / 2);
  int left = r.left + s->leftMargin - s->scrollX;
  RECT clip{r.left + s->leftMargin, r.top, r.right - s->rightMargin, r.bottom};
  SaveDC(dc);
  IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  SetBkMode(dc, TRANSPARENT);
  size_t a = SelStart(s), b = SelEnd(s);
  bool showSel = a != b && (s->focused || (style & ES_NOHIDESEL));
  auto run = [&](size_t from, size_t to, COLORREF color) {
    if (from >= to) return;
    SetTextColor(dc, color);
    std::vector<int> dx(to - from);
    for (size_t i = from; i < to; ++i) dx[i - from] = x[i + 1] - x[i];
    ExtTextOutW(dc, left + x[from], top, 0, nullptr, shown.c_str() + from, static_cast<UINT>(to - from), dx.data());
  };
  if (showSel) {
    run(0, a, textColor);
    RECT sel{left + x[a], top, left + x[b], top + lh};
    FillRect(dc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
    run(a, b, GetSysColor(COLOR_HIGHLIGHTTEXT));
    run(b, shown.size(), textColor);
  } else {
    run(0, shown.size(), textColor);
  }
  if (s->focused && s->caretShown && enabled) {
    int cx = left + x[std::min(s->caret, x.size() - 1)];
    RECT caret{cx, top, cx + 1, top + lh};
    InvertRect(dc, &caret);
  }
  RestoreDC(dc, -1);
  SelectObject(dc, oldFont);
}

void GetSel(EditState* s, WPARAM wParam, LPARAM lParam) {
  if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(SelStart(s));
  if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(SelEnd(s));
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, EditState* s) {
  switch (msg) {
    case WM_CREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) s->text = FirstLine(cs->lpszName);
      ScrollToCaret(h, s);
      return 0;
    }
    case WM_HSCROLL:
      HorzScroll(h, s, LOWORD(wParam));
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETTEXT: {
      std::u16string t = lParam ? FirstLine(reinterpret_cast<const char16_t*>(lParam)) : std::u16string();
      if (t.size() > s->limit) t.resize(s->limit);
      s->text = t;
      s->anchor = s->caret = 0;
      s->scrollX = 0;
      s->modified = false;
      s->canUndo = false;
      ScrollToCaret(h, s);
      Redraw(h);
      NotifyParent(h, EN_UPDATE);
      NotifyParent(h, EN_CHANGE);
      return TRUE;
    }
    case WM_GETTEXT: {
      if (wParam == 0 || !lParam) return 0;
      auto* out = reinterpret_cast<char16_t*>(lParam);
      size_t n = std::min<size_t>(s->text.size(), wParam - 1);
      std::memcpy(out, s->text.data(), n * sizeof(char16_t));
      out[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(s->text.size());
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      ScrollToCaret(h, s);
      if (LOWORD(static_cast<std::uintptr_t>(lParam))) Redraw(h);
      return 0;
    case EM_GETSEL: {
      GetSel(s, wParam, lParam);
      auto lo = std::min<size_t>(SelStart(s), 0xFFFF), hi = std::min<size_t>(SelEnd(s), 0xFFFF);
      return MAKELRESULT(static_cast<int>(lo), static_cast<int>(hi));
    }
    case EM_SETSEL: {
      auto start = static_cast<std::intptr_t>(wParam), end = static_cast<std::intptr_t>(lParam);
      size_t n = s->text.size();
      if (start < 0) {
        SetSelection(h, s, s->caret, s->caret);  // deselect
        return 0;
      }
      size_t a = std::min(static_cast<size_t>(start), n);
      size_t b = end < 0 ? n : std::min(static_cast<size_t>(end), n);
      SetSelection(h, s, a, b);
      return 0;
    }
    case EM_REPLACESEL:
      ReplaceSelection(h, s, lParam ? reinterpret_cast<const char16_t*>(lParam) : u"", wParam != 0);
      return 0;
    case EM_SETLIMITTEXT:
      s->limit = wParam == 0 ? 0x7FFFFFFE : static_cast<size_t>(wParam);
      return 0;
    case EM_GETLIMITTEXT:
      return static_cast<LRESULT>(s->limit);
    case EM_SETREADONLY: {
      LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
      style = wParam ? (style | ES_READONLY) : (style & ~static_cast<LONG_PTR>(ES_READONLY));
      SetWindowLongPtrW(h, GWL_STYLE, style);
      Redraw(h);
      return TRUE;
    }
    case EM_GETMODIFY:
      return s->modified;
    case EM_SETMODIFY:
      s->modified = wParam != 0;
      return 0;
    case EM_CANUNDO:
      return s->canUndo;
    case EM_EMPTYUNDOBUFFER:
      s->canUndo = false;
      return 0;
    case EM_UNDO: {
      if (!s->canUndo) return FALSE;
      std::swap(s->text, s->undoText);
      std::swap(s->anchor, s->undoAnchor);
      std::swap(s->caret, s->undoCaret);
      s->modified = true;
      ScrollToCaret(h, s);
      Redraw(h);
      NotifyParent(h, EN_CHANGE);
      return TRUE;
    }
    case EM_SETPASSWORDCHAR:
      s->passwordChar = static_cast<char16_t>(wParam);
      Redraw(h);
      return 0;
    case EM_GETPASSWORDCHAR:
      return s->passwordChar;
    case EM_SCROLLCARET:
      ScrollToCaret(h, s);
      Redraw(h);
      return TRUE;
    case EM_GETLINECOUNT:
      return 1;
    case EM_GETFIRSTVISIBLELINE:
      return 0;
    case EM_SETMARGINS:
      if (wParam & 1) s->leftMargin = LOWORD(static_cast<std::uintptr_t>(lParam));
      if (wParam & 2) s->rightMargin = HIWORD(static_cast<std::uintptr_t>(lParam));
      Redraw(h);
      return 0;
    case EM_GETMARGINS:
      return MAKELRESULT(s->leftMargin, s->rightMargin);
    case EM_POSFROMCHAR: {
      std::vector<int> x = Offsets(h, s, Shown(h, s));
      if (wParam > s->text.size()) return -1;
      RECT r;
      GetClientRect(h, &r);
      int top = std::max(0, (r.Height() - LineHeight(h, s)) / 2);
      return MAKELRESULT(s->leftMargin - s->scrollX + x[wParam], top);
    }
    case EM_GETCARETINDEX:
      return static_cast<LRESULT>(s->caret);
    case EM_CHARFROMPOS:
      return static_cast<LRESULT>(CharFromX(h, s, GET_X_LPARAM(lParam)));
    case WM_CUT:
      if (Style(h) & ES_READONLY) return 0;
      Copy(h, s);
      ReplaceSelection(h, s, u"", true);
      return 0;
    case WM_COPY:
      Copy(h, s);
      return 0;
    case WM_PASTE:
      Paste(h, s);
      return 0;
    case WM_CLEAR:
      if (!(Style(h) & ES_READONLY)) ReplaceSelection(h, s, u"", true);
      return 0;
    case WM_CHAR:
      Char(h, s, static_cast<char16_t>(wParam));
      return 0;
    case WM_KEYDOWN:
      KeyDown(h, s, wParam);
      return 0;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != h) SetFocus(h);
      size_t at = CharFromX(h, s, GET_X_LPARAM(lParam));
      SetSelection(h, s, (wParam & MK_SHIFT) ? s->anchor : at, at);
      s->selecting = true;
      SetCapture(h);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->selecting) SetSelection(h, s, s->anchor, CharFromX(h, s, GET_X_LPARAM(lParam)));
      return 0;
    case WM_LBUTTONUP:
      if (s->selecting) {
        s->selecting = false;
        ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      s->selecting = false;
      return 0;
    case WM_LBUTTONDBLCLK: {
      size_t at = CharFromX(h, s, GET_X_LPARAM(lParam));
      SetSelection(h, s, WordLeft(s, std::min(at + 1, s->text.size())), WordRight(s, at));
      return 0;
    }
    case WM_SETFOCUS:
      s->focused = true;
      RestartBlink(h, s);
      Redraw(h);
      NotifyParent(h, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s->focused = false;
      s->selecting = false;
      KillTimer(h, kBlinkTimer);
      Redraw(h);
      NotifyParent(h, EN_KILLFOCUS);
      return 0;
    case WM_TIMER:
      if (wParam == kBlinkTimer) {
        s->caretShown = !s->caretShown;
        Redraw(h);
      }
      return 0;
    case WM_SIZE:
      ScrollToCaret(h, s);
      Redraw(h);
      return 0;
    case WM_ENABLE:
      Redraw(h);
      return 0;
    default:
      return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterEditClass() { RegisterControlClass(WC_EDIT, ControlProc<EditState, Paint, Handle>, IDC_IBEAM); }
}  // namespace stdctl
