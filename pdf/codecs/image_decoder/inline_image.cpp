// Inline images: "BI", key/value pairs, "ID", one white-space byte, the data, "EI". Finding
// the end is the hard part, since "EI" may occur inside binary data: the filter tells where the
// data must end where it can (JPEG markers, ASCII85's "~>", the inflated length of Flate data,
// the exact length of unfiltered samples), and otherwise the text around each "EI" decides.
#include "pdf/codecs/image_decoder/inline_image.h"

#include <algorithm>
#include <charconv>

#include "pdf/core/filters/flate.h"
#include "pdf/core/objects/pdf_objects.h"

namespace inlineimage {

namespace {

bool IsDelimiter(char c) { return c == '/' || c == '<' || c == '[' || c == ']' || c == '('; }

int32_t IntegerOf(std::string_view token) {
  double v = 0;
  if (!token.empty() && token[0] == '+') token.remove_prefix(1);
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), v);
  if (ec != std::errc() || end != token.data() + token.size() || !(v > -2147483648.0 && v < 2147483648.0)) return 0;
  return int32_t(v);
}

std::string Trim(std::string s) {
  while (!s.empty() && IsInlineWhite(s.back())) s.pop_back();
  size_t i = 0;
  while (i < s.size() && IsInlineWhite(s[i])) ++i;
  return s.substr(i);
}

// "[ " and every token up to and including "]", each followed by a blank, trimmed.
std::string GatherArray(std::string_view content, size_t& pos, bool expand) {
  std::string out = "[ ";
  for (;;) {
    const std::string_view t = NextInlineToken(content, pos);
    if (t.empty()) break;
    out += expand ? ExpandInlineAbbreviation(t) : std::string(t);
    out += ' ';
    if (t == "]") break;
  }
  return Trim(std::move(out));
}

// The value after a key: an array gathered, or one token.
std::string ReadValue(std::string_view content, size_t& pos, bool expand) {
  const std::string_view t = NextInlineToken(content, pos);
  if (t == "[") return GatherArray(content, pos, expand);
  return expand ? ExpandInlineAbbreviation(t) : std::string(t);
}

std::string HexString(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s = "<";
  for (char c : bytes) {
    s += kHex[uint8_t(c) >> 4];
    s += kHex[uint8_t(c) & 15];
  }
  return s + ">";
}

TPDFObject* Resolve(TPDFObject* o, const TPDFImageResolveEvent& resolver) {
  for (int i = 0; i < 8; ++i) {
    auto* ref = PDFCast<TPDFIndRef>(o);
    if (ref == nullptr) return o;
    o = resolver ? resolver(*ref) : ref->Resolve();
  }
  return nullptr;
}

int32_t ComponentsOfName(std::string_view n) {
  if (n == "DeviceRGB" || n == "RGB" || n == "CalRGB" || n == "Lab") return 3;
  if (n == "DeviceCMYK" || n == "CMYK") return 4;
  return 1;
}

// Where the data of a JPEG end: after its end-of-image marker (0-based index of the last byte),
// or where the walk cannot go on.
size_t JPEGEnd(std::string_view c, size_t start) {
  auto byte = [&](size_t i) { return uint8_t(c[i]); };
  // The next 0xFF followed by a non-zero byte at or after i.
  auto nextMarker = [&](size_t i) {
    while (i + 1 < c.size() && !(byte(i) == 0xFF && byte(i + 1) != 0)) ++i;
    return i;
  };
  size_t i = start + 2;
  for (;;) {
    if (i + 1 >= c.size()) return c.size() - 1;
    if (byte(i) != 0xFF) return i - 1;
    const uint8_t m = byte(i + 1);
    if (m == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    if (m == 0xD9) return i + 1;
    if ((m >= 0xD0 && m <= 0xD7) || m == 0x01) {
      i = m == 0x01 ? i + 2 : nextMarker(i + 2);
      continue;
    }
    if (i + 3 >= c.size()) return c.size() - 1;
    const size_t length = size_t(byte(i + 2)) << 8 | byte(i + 3);
    i += 2 + length;
    if (m == 0xDA) i = nextMarker(i);
  }
}

// How many samples the run-length data inside a zlib stream decode to, counted no further than
// enough. The run-length data are read as they inflate and only counted: literal runs and the
// repeated bytes are passed over, so nothing is held. Honest run-length data take at most two
// bytes a sample (a literal run of one), so the inflate stops within twice the samples counted,
// however large the data say they inflate.
int64_t RunLengthSamplesInflated(std::string_view zlib, int64_t enough) {
  TFlateReader reader(zlib, 2 * enough + 2);
  int64_t samples = 0;
  uint8_t length = 0;
  while (samples < enough && reader.Read(&length, 1) == 1 && length != 128) {
    if (length < 128) {
      samples += reader.Read(nullptr, int64_t(length) + 1);
    } else {
      if (reader.Read(nullptr, 1) != 1) break;  // a repeat length as the last byte writes nothing
      samples += 257 - int64_t(length);
    }
  }
  return samples;
}

// The "EI" token at or after pos (0-based): the index just after it, or npos.
size_t TokenEI(std::string_view c, size_t pos) {
  for (;;) {
    const std::string_view t = NextInlineToken(c, pos);
    if (t.empty()) return std::string_view::npos;
    if (t == "EI") return pos;
  }
}

// The next "EI" at or after pos whose surroundings say it ends the data: its index, or npos.
size_t SearchEI(std::string_view c, size_t pos) {
  for (size_t at = c.find("EI", pos); at != std::string_view::npos; at = c.find("EI", at + 1))
    if (IsInlineImageEnd(c, at + 2)) return at;
  return std::string_view::npos;
}

}  // namespace

bool IsInlineWhite(char c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }

std::string_view NextInlineToken(std::string_view c, size_t& pos) {
  while (pos < c.size() && IsInlineWhite(c[pos])) ++pos;
  if (pos >= c.size()) return {};
  const size_t start = pos;
  const char first = c[pos];
  if (first == '(') {
    int depth = 0;
    while (pos < c.size()) {
      const char ch = c[pos];
      if (ch == '\\') {
        pos += 2;
        continue;
      }
      if (ch == '(') ++depth;
      ++pos;
      if (ch == ')' && --depth == 0) break;
    }
    pos = std::min(pos, c.size());
  } else if (first == '<') {
    const size_t close = c.find('>', pos);
    pos = close == std::string_view::npos ? c.size() : close + 1;
    while (pos < c.size() && c[pos] == '>') ++pos;
  } else if (first == '[' || first == ']' || first == '\'') {
    ++pos;
  } else {
    ++pos;
    while (pos < c.size() && !IsInlineWhite(c[pos]) && !IsDelimiter(c[pos])) ++pos;
  }
  return c.substr(start, pos - start);
}

std::string ExpandInlineAbbreviation(std::string_view v) {
  static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
      {"/G", "/DeviceGray"},          {"/RGB", "/DeviceRGB"},  {"/CMYK", "/DeviceCMYK"},
      {"/I", "/Indexed"},             {"/AHx", "/ASCIIHexDecode"}, {"/A85", "/ASCII85Decode"},
      {"/LZW", "/LZWDecode"},         {"/Fl", "/FlateDecode"}, {"/RL", "/RunLengthDecode"},
      {"/CCF", "/CCITTFaxDecode"},    {"/DCT", "/DCTDecode"}};
  for (const auto& [abbreviation, name] : kNames)
    if (v == abbreviation) return std::string(name);
  return std::string(v);
}

bool IsInlineImageEnd(std::string_view c, size_t p) {
  if (p >= c.size() || !IsInlineWhite(c[p])) return false;
  if (c.size() - p <= 10) return true;
  for (size_t i = p + 1; i <= p + 10; ++i) {
    const uint8_t b = uint8_t(c[i]);
    if (!IsInlineWhite(char(b)) && (b < 0x20 || b > 0x7A)) return false;
  }
  return true;
}

TInlineColorSpace InlineColorSpace(std::string_view value, TPDFDictionary* resources,
                                   const TPDFImageResolveEvent& resolver) {
  TInlineColorSpace cs;
  const std::string_view bare = value.substr(value.empty() || value[0] != '/' ? 0 : 1);
  for (std::string_view device : {"DeviceGray", "DeviceRGB", "DeviceCMYK", "Indexed"})
    if (bare == device) {
      cs.Name = std::string(device);
      cs.Components = ComponentsOfName(device);
      return cs;
    }
  cs.Name = std::string(value);
  if (resources == nullptr) return cs;
  cs.Name = "/DeviceRGB";
  cs.Components = 3;
  const auto* spaces = PDFCast<TPDFDictionary>(Resolve(resources->GetValue("ColorSpace"), resolver));
  TPDFObject* entry = spaces ? Resolve(spaces->GetValue(bare), resolver) : nullptr;
  cs.Entry = entry;
  if (const auto* name = PDFCast<TPDFName>(entry)) {
    cs.Name = name->Name();
    cs.Components = ComponentsOfName(cs.Name);
    return cs;
  }
  const auto* array = PDFCast<TPDFArray>(entry);
  if (array == nullptr || array->Count() < 2) return cs;
  const auto* family = PDFCast<TPDFName>(Resolve(array->GetItem(0), resolver));
  if (family == nullptr) return cs;
  cs.Name = family->Name() == "CalRGB" ? "DeviceRGB" : family->Name();
  cs.Components = ComponentsOfName(cs.Name);
  if (cs.Name == "ICCBased") {
    const auto* profile = PDFCast<TPDFStream>(Resolve(array->GetItem(1), resolver));
    if (profile && profile->Dictionary()) cs.Components = std::clamp(profile->Dictionary()->GetInteger("N", 3), 1, 4);
  } else if (cs.Name == "DeviceN") {
    const auto* names = PDFCast<TPDFArray>(Resolve(array->GetItem(1), resolver));
    cs.Components = names ? std::clamp(names->Count(), 1, 32) : 1;
  } else if (cs.Name == "Indexed" || cs.Name == "Indexed1") {
    // An Indexed1 image is expanded through its table here; its entry has no more to say.
    if (cs.Name == "Indexed1") cs.Entry = nullptr;
    cs.Components = 1;
    const auto* base = PDFCast<TPDFName>(Resolve(array->GetItem(1), resolver));
    cs.Base = base ? base->Name() : std::string();
    const auto* hival = PDFCast<TPDFNumeric>(Resolve(array->GetItem(2), resolver));
    // A negative HiVal names no entry (every index black); above 255 no index reaches.
    cs.HiVal = hival ? std::clamp(hival->AsInteger(), -1, 255) : 255;
    TPDFObject* lookup = Resolve(array->GetItem(3), resolver);
    if (const auto* s = PDFCast<TPDFString>(lookup)) {
      cs.Lookup = s->Value();
    } else if (const auto* stream = PDFCast<TPDFStream>(lookup)) {
      // The table as its filters give it (a compressed table read as stored would be noise).
      if (!stream->Decode(cs.Lookup)) cs.Lookup = stream->Data();
    }
    const size_t per = cs.Base == "DeviceCMYK" ? 4 : cs.Base == "DeviceGray" ? 1 : 3;
    const size_t need = size_t(std::max(cs.HiVal + 1, 0)) * per;
    if (cs.Lookup.size() < need) cs.Lookup.resize(need, '\0');
  }
  return cs;
}

}  // namespace inlineimage

using namespace inlineimage;

namespace {

// Expands Data of an "Indexed1" resource space through its lookup table; indexes beyond HiVal
// take HiVal's entry.
void ExpandThroughLookup(TPDFInlineImage& image, const TInlineColorSpace& cs) {
  const auto* lut = reinterpret_cast<const uint8_t*>(cs.Lookup.data());
  auto entry = [&](uint32_t index, size_t per, std::string& out) {
    if (cs.HiVal < 0) return out.append(per, '\0');  // no entry: black
    const size_t i = std::min<uint32_t>(index, uint32_t(cs.HiVal));
    return out.append(reinterpret_cast<const char*>(lut) + i * per, per);
  };
  std::string out;
  if (cs.Base == "DeviceRGB" && image.BitsPerComponent == 8) {
    for (char b : image.Data) entry(uint8_t(b), 3, out);
  } else if (cs.Base == "DeviceRGB" && image.BitsPerComponent == 4) {
    for (char b : image.Data) {
      entry(uint8_t(b) >> 4, 3, out);
      entry(uint8_t(b) & 15, 3, out);
    }
    image.BitsPerComponent = 8;
  } else if (cs.Base == "DeviceCMYK" && image.BitsPerComponent == 8) {
    for (char b : image.Data) entry(uint8_t(b), 4, out);
  } else {
    return;
  }
  image.Data = std::move(out);
}

}  // namespace

bool ParseInlineImage(std::string_view Content, int32_t& Position, TPDFInlineImage& Image, TPDFDictionary* Resources,
                      const TPDFImageResolveEvent& Resolver) {
  Image = TPDFInlineImage{};
  if (Position < 1) return false;
  size_t pos = size_t(Position - 1);
  TInlineColorSpace cs;
  std::string_view token;
  for (;;) {
    token = NextInlineToken(Content, pos);
    if (token.empty() || token == "ID") break;
    if (token == "/W" || token == "/Width") {
      Image.Width = IntegerOf(NextInlineToken(Content, pos));
    } else if (token == "/H" || token == "/Height") {
      Image.Height = IntegerOf(NextInlineToken(Content, pos));
    } else if (token == "/BPC" || token == "/BitsPerComponent") {
      Image.BitsPerComponent = IntegerOf(NextInlineToken(Content, pos));
    } else if (token == "/IM" || token == "/ImageMask") {
      Image.ImageMask = NextInlineToken(Content, pos) == "true";
      if (Image.ImageMask) Image.ColorSpace = "/DeviceGray";
    } else if (token == "/CS" || token == "/ColorSpace") {
      Image.ColorSpace = ReadValue(Content, pos, true);
      if (!Image.ColorSpace.empty() && Image.ColorSpace[0] == '/') {
        cs = InlineColorSpace(Image.ColorSpace, Resources, Resolver);
        // The name gives way to the space's family below; the entry keeps what it named.
        Image.ColorSpaceObject = cs.Entry;
        Image.ColorSpace = cs.Name;
      } else {
        cs = TInlineColorSpace{};  // an array given inline: Indexed, one sample a pixel
      }
    } else if (token == "/D" || token == "/Decode") {
      Image.Decode = ReadValue(Content, pos, false);
    } else if (token == "/DP" || token == "/DecodeParms") {
      const std::string v = ReadValue(Content, pos, false);
      Image.DecodeParms = !v.empty() && v[0] == '[' ? v : "[ " + Trim(v) + " ]";
    } else if (token == "/F" || token == "/Filter") {
      Image.Filter = ReadValue(Content, pos, true);
    }
  }
  if (token != "ID") return false;

  // One white-space byte separates ID from the data.
  const size_t separator = pos;
  const size_t start = separator + 1;
  if (start > Content.size()) return false;
  Image.DataStart = int32_t(separator + 1);
  const int64_t bits = Image.BitsPerComponent > 0 ? Image.BitsPerComponent : (Image.ImageMask ? 1 : 0);
  const int64_t components = Image.ImageMask ? 1 : cs.Components;
  const int64_t width = std::max<int32_t>(Image.Width, 0), height = std::max<int32_t>(Image.Height, 0);
  const int64_t expected = std::min<int64_t>((width * bits * components + 7) / 8 * height, int64_t(1) << 40);

  size_t dataEnd = std::string_view::npos;  // index one past the last data byte
  // Where reading goes on: just after "EI" where the end was read as a token, at its "E" where
  // the end was found by searching (the "EI" then reaches the caller's tokenizer).
  size_t after = std::string_view::npos;
  const std::string& f = Image.Filter;
  const bool a85 = f == "/ASCII85Decode" || (f.size() >= 16 && f.compare(2, 14, "/ASCII85Decode") == 0);
  if (f == "/DCTDecode" && start + 1 < Content.size() && uint8_t(Content[start]) == 0xFF &&
      uint8_t(Content[start + 1]) == 0xD8) {
    dataEnd = JPEGEnd(Content, start) + 1;
    after = TokenEI(Content, dataEnd);
  } else if (a85) {
    const size_t close = Content.find("~>", start);
    if (close != std::string_view::npos) {
      dataEnd = close + 2;
      after = TokenEI(Content, dataEnd);
    }
  } else if (f == "/FlateDecode" || f == "[ /FlateDecode /RunLengthDecode ]") {
    int tries = 0;
    for (size_t at = SearchEI(Content, start); at != std::string_view::npos; at = SearchEI(Content, at + 1)) {
      const size_t next = SearchEI(Content, at + 1);
      bool take = next == std::string_view::npos || tries >= kMaxInflateTries;
      if (!take) {
        ++tries;
        const std::string_view data = Content.substr(start, at - start);
        // Run-length data of samples that do not compress are longer than the samples: they
        // are counted as they inflate, never cut at the samples' size.
        const int64_t decoded = f == "/FlateDecode" ? int64_t(FlateDecompressString(data, expected + 4).size())
                                                    : RunLengthSamplesInflated(data, expected);
        take = expected - decoded < 4;
      }
      if (take) {
        dataEnd = at;
        after = at;
        break;
      }
    }
  } else if (f.empty()) {
    if (uint64_t(start) + uint64_t(expected) <= Content.size()) {
      const size_t at = Content.find("EI", start + size_t(expected));
      if (at != std::string_view::npos) {
        dataEnd = at;
        after = at;
      }
    }
  } else {
    const size_t at = SearchEI(Content, start);
    if (at != std::string_view::npos) {
      dataEnd = at;
      after = at;
    }
  }
  if (after == std::string_view::npos || dataEnd == std::string_view::npos || dataEnd < start) return false;

  Image.Data = std::string(Content.substr(start, dataEnd - start));
  Image.DataEnd = int32_t(dataEnd);
  Position = int32_t(after + 1);

  if (Image.ColorSpace == "Indexed" && !cs.Base.empty()) {
    Image.ColorSpace = "[ /Indexed /" + cs.Base + " " + std::to_string(cs.HiVal) + " " + HexString(cs.Lookup) + " ]";
  } else if (Image.ColorSpace == "Indexed1") {
    Image.ColorSpace = cs.Base;
    // Inflated no further than the samples reach.
    if (Image.Filter == "/FlateDecode") Image.Data = FlateDecompressString(Image.Data, expected + 4);
    Image.Filter.clear();
    ExpandThroughLookup(Image, cs);
  }
  return true;
}
