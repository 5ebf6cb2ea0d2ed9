#include "pdf/fonts/font_rasterizer.h"

#include <charconv>

#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/render/canvas/generic_canvas.h"

TPDFObject* TPDFFontRasterizer::ResolveValue(TPDFObject* value) const {
  auto* ref = PDFCast<TPDFIndRef>(value);
  if (ref == nullptr) return value;
  if (OnResolve) return OnResolve(ref);
  return ref->Resolve();
}

TPDFCachedGlyph::TPDFCachedGlyph() : Shape(std::make_unique<TPDFGenericShape>()) {}
TPDFCachedGlyph::~TPDFCachedGlyph() = default;

TPDFGlyphShapeCache::TPDFGlyphShapeCache() = default;
TPDFGlyphShapeCache::~TPDFGlyphShapeCache() = default;

const TPDFCachedGlyph* TPDFGlyphShapeCache::Find(const std::string& key) const {
  const auto it = glyphs_.find(key);
  return it == glyphs_.end() ? nullptr : &it->second;
}

TPDFCachedGlyph& TPDFGlyphShapeCache::Add(const std::string& key) {
  TPDFCachedGlyph& entry = glyphs_[key];
  entry.Shape = std::make_unique<TPDFGenericShape>();
  entry.Found = false;
  return entry;
}

void TPDFGlyphShapeCache::Clear() { glyphs_.clear(); }

void DrawGlyphShape(const TPDFGenericShape& shape, double x, double y, const TPDFMatrix& matrix,
                    TPDFGenericCanvas* canvas) {
  if (canvas == nullptr) return;
  TPDFMatrix m;
  MatrixMultiply(m, {1, 0, 0, 1, x, y}, matrix);
  shape.DrawTo(*canvas, m);
}

std::string GlyphKeyCID(int64_t cid) { return std::string(kGlyphKeyCID) + std::to_string(cid); }
std::string GlyphKeyGID(int64_t gid) { return std::string(kGlyphKeyGID) + std::to_string(gid); }

std::string GlyphKeyUnicode(uint32_t code) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kHex[code & 15]);
    code >>= 4;
  } while (code != 0);
  while (digits.size() < 4) digits.insert(digits.begin(), '0');
  return std::string(kGlyphKeyUnicode) + digits;
}

std::string GlyphKeyPostScript(std::string_view name) { return std::string(kGlyphKeyPostScript) + std::string(name); }

std::optional<int64_t> GlyphKeyNumber(std::string_view key, std::string_view prefix) {
  if (!key.starts_with(prefix)) return std::nullopt;
  std::string_view rest = key.substr(prefix.size());
  if (!rest.empty() && rest.front() == '+') rest.remove_prefix(1);
  if (rest.empty() || rest.size() > 12) return std::nullopt;
  int64_t value = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  if (error != std::errc() || end != rest.data() + rest.size()) return std::nullopt;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return value;
}

std::optional<uint32_t> GlyphKeyHex4(std::string_view key, std::string_view prefix) {
  if (!key.starts_with(prefix) || key.size() < prefix.size() + 4) return std::nullopt;
  uint32_t value = 0;
  for (size_t i = prefix.size(); i < prefix.size() + 4; ++i) {
    const char c = key[i];
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = uint32_t(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = uint32_t(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = uint32_t(c - 'a' + 10);
    } else {
      return std::nullopt;
    }
    value = value * 16 + digit;
  }
  return value;
}
