// Text objects, text measuring and the saved painter state.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/pdf_helpers.h"
#include "platform/rtl/numbers.h"

namespace {

// A font registered with SetFont is never freed before the painter (fonts belong to the
// document), so identities read back by RestoreState are checked against that list.
uintptr_t FontIdentity(const TPDFFont* font) { return reinterpret_cast<uintptr_t>(font); }

}  // namespace

bool TPDFPainter::KnownFont(const TPDFFont* font) const {
  return std::find(knownFonts_.begin(), knownFonts_.end(), font) != knownFonts_.end();
}

void TPDFPainter::SetFont(TPDFFont* font, double size) {
  if (!(size > 0)) size = 1.0;
  if (font == nullptr) return;
  Font = font;
  if (!KnownFont(font)) knownFonts_.push_back(font);
  FontSize = size;
  TextLineSize = size * 6.25 / 100;
  UnderlineExtra = 0;
  FontText = "/" + font->Name() + " " + Number(size) + "Tf";
  SetPending(TPDFPending::Font, true);
  SetPending(TPDFPending::TextFill, true);
  SetPending(TPDFPending::Fill, true);
}

void TPDFPainter::EscapeString(std::string_view bytes, std::string_view suffix) {
  std::string s = "(";
  s.reserve(bytes.size() + suffix.size() + 8);
  for (const char c : bytes) {
    switch (c) {
      case 13: s += "\\r"; break;
      case 8: s += "\\b"; break;
      case 9: s += "\\t"; break;
      case 10: s += "\\n"; break;
      case 12: s += "\\f"; break;
      case '(': s += "\\("; break;
      case ')': s += "\\)"; break;
      case '\\': s += "\\\\"; break;
      default: s += c;
    }
  }
  s += ")";
  s += suffix;
  WriteLine(s);
}

double TPDFPainter::GetTextWidth(std::string_view text) const {
  if (Font == nullptr) return 0;
  double sum = 0;
  int codes = 0;
  int spaces = 0;
  if (Font->Kind() == 10) {
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
      const int code = (static_cast<uint8_t>(text[i]) << 8) | static_cast<uint8_t>(text[i + 1]);
      sum += Font->GetCharWidth(static_cast<uint16_t>(code));
      ++codes;
      if (code == 32 || code == 160) ++spaces;
    }
  } else {
    // Word spacing applies to the single-byte code 32, as a viewer applies it.
    for (const char c : text) {
      const int code = static_cast<uint8_t>(c);
      sum += Font->GetCodeWidth(code);
      ++codes;
      if (code == 32) ++spaces;
    }
  }
  return (sum * FontSize / 1000 + CharSpacing * codes + WordSpacing * spaces) * HorizontalScaling / 100;
}

double TPDFPainter::GetFontMetric(int k) const {
  if (Font == nullptr || k < 1 || k > 4) return 0;
  return Font->FontBBox[static_cast<size_t>(k - 1)] * FontSize / 1000;
}

double TPDFPainter::GetAscent() const { return Font == nullptr ? 0 : Font->Ascent * FontSize / 1000; }

double TPDFPainter::GetTextHeight() const {
  if (Font == nullptr) return 0;
  return (Font->FontBBox[1] - Font->FontBBox[3]) * FontSize / 1000;
}

// Consecutive texts share one text object: a content that ends with "ET" LF is reopened.
void TPDFPainter::BeginText() {
  const std::string_view content = content_.View();
  if (content.size() >= 3 && content.substr(content.size() - 3) == "ET\n") {
    content_.SetSize(static_cast<int64_t>(content.size() - 3));
    content_.Seek(0, TSeekOrigin::soEnd);
  } else {
    WriteLine("BT");
  }
}

void TPDFPainter::DrawText(std::string_view text, double x, double y, double angle,
                           std::span<const double> advances) {
  double w = 0;
  if (!advances.empty()) {
    for (const double a : advances) w += a;
  } else {
    w = GetTextWidth(text) - HorizontalScaling / 100 * CharSpacing;
  }
  const double theta = angle / 10 * std::numbers::pi / 180;
  const double cosT = std::cos(theta), sinT = std::sin(theta);
  if (TextAlign == 1) {
    x -= w / 2 * cosT;
    y -= w / 2 * sinT;
  } else if (TextAlign == 2) {
    x -= w * cosT;
    y -= w * sinT;
  }

  // Boxes and lines of rotated text are drawn in the text's own system, set up by cm inside a
  // q level of their own (cm is not allowed inside a text object, and the text itself is
  // rotated by its text matrix).
  const bool rotated = angle != 0;
  const std::string rotation = Number(cosT) + Number(sinT) + Number(-sinT) + Number(cosT);
  const double ox = rotated ? 0 : x, oy = rotated ? 0 : y;
  auto enterRotated = [&] {
    if (!rotated) return;
    WriteLine("q");
    WriteLine(rotation + Number(x) + Number(y) + "cm");
  };
  auto leaveRotated = [&] {
    if (!rotated) return;
    WriteLine("Q");
    // What the box or lines wrote inside the level is gone with it.
    for (TPDFPending flag : {TPDFPending::Fill, TPDFPending::Stroke, TPDFPending::LineStyle, TPDFPending::Dash,
                             TPDFPending::TextFill})
      SetPending(flag, true);
  };

  if (BackgroundMode == 1 || BackgroundMode == 2) {
    const std::string savedFill = FillText;
    FillText = BackgroundText;
    SetPending(TPDFPending::Fill, true);
    const double boxTop = oy + GetFontMetric(2) + TextRise;
    const double boxHeight = GetTextHeight();
    enterRotated();
    if (BackgroundMode == 1) Rectangle(true, false, ox - 0.5, boxTop, w + 1, boxHeight);
    else RoundRect(true, false, ox - 0.5, boxTop, w + 1, boxHeight, boxHeight / 4);
    leaveRotated();
    FillText = savedFill;
    SetPending(TPDFPending::Fill, true);
    SetPending(TPDFPending::TextFill, true);
  }

  if (Pending(TPDFPending::RenderMode)) {
    WriteLine(IntToStr(TextRenderMode) + " Tr");
    if (TextRenderMode == 1 || TextRenderMode == 2 || TextRenderMode == 5 || TextRenderMode == 6) {
      WritePendingPaintState(true, false, true, true);
      SetPending(TPDFPending::Stroke, false);
      SetPending(TPDFPending::LineStyle, false);
      SetPending(TPDFPending::Dash, false);
    }
    SetPending(TPDFPending::RenderMode, false);
  }
  if (Pending(TPDFPending::Font)) WriteLine(FontText);
  if (Pending(TPDFPending::TextFill)) {
    WriteLine(TextFillText);
    // The text colour now stands in the nonstroking colour, so the next fill must set its own.
    SetPending(TPDFPending::Fill, true);
  }
  if (Pending(TPDFPending::Scaling)) WriteLine(ScalingText);
  if (Pending(TPDFPending::Rise)) WriteLine(RiseText);
  if (Pending(TPDFPending::Spacing)) WriteLine(SpacingText);

  BeginText();
  WriteLine((rotated ? rotation : std::string("1 0 0 1 ")) + Number(x) + Number(y) + "Tm");
  if (!advances.empty() && !text.empty()) {
    for (size_t i = 0; i < text.size(); ++i) {
      const double a = i == 0 || i - 1 >= advances.size() ? 0 : advances[i - 1];
      WriteLine(Number(a) + Number(0) + "Td");
      EscapeString(text.substr(i, 1), "Tj");
    }
  } else {
    EscapeString(text, "Tj");
  }
  WriteLine("ET");
  TextEndX = x + w;
  TextEndY = y;
  SetPending(TPDFPending::Font, false);
  SetPending(TPDFPending::TextFill, false);
  SetPending(TPDFPending::Scaling, false);
  SetPending(TPDFPending::Rise, false);
  SetPending(TPDFPending::Spacing, false);

  if (TextDecoration != 0 || StrikeOut) {
    // Inside a rotated system the text starts at its origin, so the lines do too.
    enterRotated();
    if (TextDecoration != 0) DrawDecoration(ox, oy, w);
    if (StrikeOut && TextDecoration != 3) {
      const uint8_t decoration = TextDecoration;
      TextDecoration = 3;
      DrawDecoration(ox, oy, w);
      TextDecoration = decoration;
    }
    leaveRotated();
  }
  Changed();
}

void TPDFPainter::DrawDecoration(double x, double y, double w) {
  const std::string savedStroke = StrokeText, savedDash = DashText;
  const double savedWidth = LineWidth;
  StrokeText = TextStrokeText;
  const bool bold = Font != nullptr && Font->BaseFont().find("[Bold") != std::string::npos;
  SetLineWidth(bold ? 3.0 : 1.5);
  SetPending(TPDFPending::Stroke, true);
  if (DashOn != 0 && DashOff != 0) SetDash(DashOn * LineWidth, DashOff * LineWidth);
  else DashText = "[] 0 d";
  SetPending(TPDFPending::Dash, true);
  auto line = [&](double h) { DrawLine(x, h, x + w, h); };
  switch (TextDecoration) {
    case 1: line(y - FontSize * 0.125 - UnderlineExtra); break;
    case 2:
      line(y - FontSize * 0.125 - UnderlineExtra);
      line(y - FontSize * 0.25 - 2 * UnderlineExtra);
      break;
    case 3: line(y + 0.3 * FontSize + UnderlineExtra); break;
    case 4: line(y + GetAscent() + FontSize * 0.125 + UnderlineExtra); break;
    default: break;
  }
  SetLineWidth(savedWidth);
  DashText = savedDash;
  StrokeText = savedStroke;
  SetPending(TPDFPending::Stroke, true);
  SetPending(TPDFPending::LineStyle, true);
  SetPending(TPDFPending::Dash, true);
}

std::string TPDFPainter::SaveState() const {
  std::string s;
  auto field = [&s](const std::string& v) {
    s += v;
    s += '\t';
  };
  auto num = [this](double v) { return FormatPDFNumber(v, Decimals); };
  field(IntToHex(FontIdentity(Font), 16));
  field(num(FontSize));
  field(TextFillText);
  field(FillText);
  field(StrokeText);
  field(LineStyleText);
  field(DashText);
  field(num(HorizontalScaling));
  field(ScalingText);
  field(num(CharSpacing));
  field(num(WordSpacing));
  field(SpacingText);
  field(BackgroundText);
  field(TextStrokeText);
  field(PenDashText);
  field(num(DashOn));
  field(num(DashOff));
  field(IntToStr(TextRenderMode));
  field(IntToStr(TextAlign));
  field(num(ConverterWidth));
  field(IntToStr(TextDecoration));
  field(IntToStr(BackgroundMode));
  field(num(TextRise));
  field(num(TextLineSize));
  field(num(UnderlineExtra));
  field(IntToStr(MetafileTextAlign));
  field(IntToStr(Escapement));
  return s;
}

void TPDFPainter::RestoreState(std::string_view text) {
  std::vector<std::string> f;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t tab = text.find('\t', start);
    if (tab == std::string_view::npos) break;
    f.emplace_back(text.substr(start, tab - start));
    start = tab + 1;
  }
  if (f.size() < 27) return;  // not a saved state
  auto num = [](const std::string& v) { return StrToFloatDef(v, 0); };
  auto integer = [](const std::string& v) { return StrToIntDef(v, 0); };
  // Only a font this painter was given can come back; any other identity is ignored.
  TPDFFont* font = nullptr;
  uint64_t id = 0;
  for (const char c : f[0]) {
    const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0) break;
    id = id * 16 + static_cast<uint64_t>(d);
  }
  for (TPDFFont* known : knownFonts_)
    if (FontIdentity(known) == id) font = known;
  SetFont(font, num(f[1]));
  TextFillText = f[2];
  FillText = f[3];
  StrokeText = f[4];
  LineStyleText = f[5];
  DashText = f[6];
  HorizontalScaling = num(f[7]);
  ScalingText = f[8];
  CharSpacing = num(f[9]);
  WordSpacing = num(f[10]);
  SpacingText = f[11];
  BackgroundText = f[12];
  TextStrokeText = f[13];
  PenDashText = f[14];
  DashOn = num(f[15]);
  DashOff = num(f[16]);
  TextRenderMode = integer(f[17]);
  TextAlign = static_cast<uint8_t>(integer(f[18]));
  ConverterWidth = num(f[19]);
  TextDecoration = static_cast<uint8_t>(integer(f[20]));
  BackgroundMode = static_cast<uint8_t>(integer(f[21]));
  TextRise = num(f[22]);
  TextLineSize = num(f[23]);
  UnderlineExtra = num(f[24]);
  MetafileTextAlign = integer(f[25]);
  Escapement = integer(f[26]);
  SetAllPending(true);
}
