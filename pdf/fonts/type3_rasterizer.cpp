#include "pdf/fonts/type3_rasterizer.h"

#include "pdf/codecs/image_decoder/image_decoder.h"
#include "pdf/core/object_parser.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/generic_canvas.h"

namespace {

bool IsWhite(char c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }
bool IsDelimiter(char c) { return c == '/' || c == '<' || c == '[' || c == ']' || c == '('; }

// The procedure's next token from pos on (0-based), empty at the end.
std::string_view NextToken(std::string_view text, size_t& pos) {
  while (pos < text.size() && IsWhite(text[pos])) ++pos;
  if (pos >= text.size()) return {};
  const size_t start = pos;
  const char c = text[pos];
  if (c == '(') {
    int depth = 0;
    for (; pos < text.size(); ++pos) {
      if (text[pos] == '\\') {
        ++pos;
      } else if (text[pos] == '(') {
        ++depth;
      } else if (text[pos] == ')' && --depth == 0) {
        ++pos;
        break;
      }
    }
    pos = std::min(pos, text.size());
  } else if (c == '<') {
    const size_t end = text.find('>', pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
  } else if (c == '[' || c == ']' || c == '\'') {
    ++pos;
  } else {
    ++pos;
    while (pos < text.size() && !IsWhite(text[pos]) && !IsDelimiter(text[pos])) ++pos;
  }
  return text.substr(start, pos - start);
}

class Operands {
 public:
  void Push(std::string_view t) { items_.push_back(t); }
  double Pop() {
    if (items_.empty()) return 0;
    const double v = ParsePDFNumber(items_.back());
    items_.pop_back();
    return v;
  }
  // Stray tokens must not pile up without end.
  void Trim() {
    if (items_.size() > 4096) items_.erase(items_.begin(), items_.begin() + 2048);
  }

 private:
  std::vector<std::string_view> items_;
};

}  // namespace

TPDFType3Rasterizer::TPDFType3Rasterizer() = default;
TPDFType3Rasterizer::~TPDFType3Rasterizer() = default;

void TPDFType3Rasterizer::LoadFont(TPDFDictionary* font) {
  Font = font;
  FontMatrix = kIdentityMatrix;
  if (font == nullptr) return;
  if (auto* m = PDFCast<TPDFArray>(ResolveValue(font->GetValue("FontMatrix"))); m != nullptr && m->Count() == 6) {
    for (int i = 0; i < 6; ++i)
      if (auto* n = PDFCast<TPDFNumeric>(ResolveValue(m->Items()[size_t(i)]))) FontMatrix[size_t(i)] = n->Value();
  }
  Resources = PDFCast<TPDFDictionary>(ResolveValue(font->GetValue("Resources")));
  auto* procs = PDFCast<TPDFDictionary>(ResolveValue(font->GetValue("CharProcs")));
  if (procs == nullptr) return;
  for (const auto& pair : procs->Pairs()) {
    const std::string name = pair.first != nullptr ? pair.first->Name() : std::string();
    std::string text;
    if (auto* ref = PDFCast<TPDFIndRef>(pair.second)) {
      if (auto* stream = PDFCast<TPDFStream>(ResolveValue(ref))) {
        if (OnBeforeRead) OnBeforeRead(stream, ref);
        if (!stream->Decode(text)) text.clear();
        if (OnAfterRead) OnAfterRead(stream, ref);
      }
    }
    index_.try_emplace(name, GlyphNames.size());
    GlyphNames.push_back(name);
    GlyphProcedures.push_back(std::move(text));
  }
}

std::string TPDFType3Rasterizer::GetCharProc(std::string_view name) const {
  const auto it = index_.find(std::string(name));
  return it == index_.end() ? std::string() : GlyphProcedures[it->second];
}

bool TPDFType3Rasterizer::DrawGlyph(double& x, double& y, uint8_t, const std::string& key, const TPDFMatrix& matrix,
                                    TPDFGenericCanvas* canvas) {
  const auto it = index_.find(key);
  if (it == index_.end()) return false;
  if (canvas == nullptr) return true;
  TPDFMatrix m;
  MatrixMultiply(m, {1, 0, 0, 1, x, y}, matrix);
  const std::string& text = GlyphProcedures[it->second];
  auto map = [&](double px, double py) {
    TPDFPoint p;
    MatrixTransformPoint(m, {px, py}, p);
    return p;
  };
  canvas->NewPath();
  Operands stack;
  size_t pos = 0;
  for (std::string_view token = NextToken(text, pos); !token.empty(); token = NextToken(text, pos)) {
    if (token == "m" || token == "l") {
      const double py = stack.Pop(), px = stack.Pop();
      const TPDFPoint p = map(px, py);
      token == "m" ? canvas->MoveTo(p.X, p.Y) : canvas->LineTo(p.X, p.Y);
    } else if (token == "c") {
      double v[6];
      for (int i = 5; i >= 0; --i) v[i] = stack.Pop();
      const TPDFPoint a = map(v[0], v[1]), b = map(v[2], v[3]), c = map(v[4], v[5]);
      canvas->CurveTo(a.X, a.Y, b.X, b.Y, c.X, c.Y);
    } else if (token == "h") {
      canvas->ClosePath();
    } else if (token == "f") {
      canvas->Fill();
    } else if (token == "cm") {
      TPDFMatrix t;
      for (int i = 5; i >= 0; --i) t[size_t(i)] = stack.Pop();
      MatrixMultiply(m, t, m);
    } else if (token == "BI") {
      auto* daubrix = dynamic_cast<TPDFDaubrix*>(canvas);
      const auto cacheKey = std::make_pair(key, int32_t(pos));
      auto cached = images_.find(cacheKey);
      if (cached == images_.end()) {
        int32_t position = int32_t(pos) + 1;
        TPDFInlineImage image;
        if (!ParseInlineImage(text, position, image, Resources, nullptr)) continue;
        CachedImage entry;
        entry.Decoder = std::make_unique<TPDFImageDecoder>();
        entry.Decoder->SetInlineImage(image, Font != nullptr ? Font->Owner() : nullptr);
        entry.After = position - 1;
        cached = images_.emplace(cacheKey, std::move(entry)).first;
      }
      if (daubrix != nullptr) cached->second.Decoder->DrawImage(*daubrix, m, COLORREF(uint32_t(ImageContext)));
      if (size_t(cached->second.After) > pos) pos = size_t(cached->second.After);
    } else {
      stack.Push(token);
      stack.Trim();
    }
  }
  return true;
}
