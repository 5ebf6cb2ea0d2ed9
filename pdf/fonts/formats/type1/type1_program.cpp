// Loading a Type 1 program: splitting it into its three parts (embedded stream or PFB file),
// eexec decryption, the font dictionary of the cleartext part and the Subrs and CharStrings of
// the private part.
#include <algorithm>

#include "pdf/core/byte_strings.h"
#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_stream.h"
#include "pdf/core/objects/pdf_structure.h"
#include "pdf/fonts/formats/type1/standard_encoding.h"
#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "pdf/fonts/formats/type1/type1_tokenizer.h"

namespace {

constexpr uint16_t kEexecKey = 55665;

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }
bool IsBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }

// The encrypted part as bytes. A part written as hexadecimal text (its first four characters
// after any blanks are hexadecimal digits, as the format tells the two forms apart) is
// converted; blanks between the digits are skipped and the first other character ends it.
std::string EexecBytes(std::string_view data) {
  size_t p = 0;
  while (p < data.size() && IsBlank(data[p])) ++p;
  if (data.size() - p < 4 || !std::all_of(data.begin() + int64_t(p), data.begin() + int64_t(p) + 4, IsHexDigit)) {
    return std::string(data);
  }
  std::string out;
  out.reserve((data.size() - p) / 2);
  int high = -1;
  for (; p < data.size(); ++p) {
    const char c = data[p];
    if (IsBlank(c)) continue;
    if (!IsHexDigit(c)) break;
    if (high < 0) {
      high = HexValue(c);
    } else {
      out.push_back(char(high << 4 | HexValue(c)));
      high = -1;
    }
  }
  return out;
}

// A length entry of the stream's dictionary: a number (a reference resolved), else 0.
int64_t LengthEntry(const TPDFType1Decoder& d, TPDFDictionary* dict, std::string_view key) {
  if (dict == nullptr) return 0;
  TPDFObject* v = dict->GetValue(key, false);
  if (PDFCast<TPDFIndRef>(v) != nullptr) v = d.ResolveObject(v);
  const auto* n = PDFCast<TPDFNumeric>(v);
  return n != nullptr ? n->AsInteger() : 0;
}

// For every position, the first position at or after it whose token satisfies pred (the count
// of tokens when there is none).
template <class Pred>
std::vector<size_t> NextIndexes(const std::vector<std::string>& t, Pred pred) {
  std::vector<size_t> next(t.size() + 1, t.size());
  for (size_t k = t.size(); k-- > 0;) next[k] = pred(t[k]) ? k : next[k + 1];
  return next;
}

// The rewrite of the cleartext's tokens into PDF dictionary syntax, in one pass. The searches
// ahead use tables of the original tokens: what the pass changes ahead of itself is only the
// "begin" and "def" tokens it converts, and the next search starts past the last converted one.
void RewriteCleartext(std::vector<std::string>& t) {
  const size_t n = t.size();
  const std::vector<size_t> nextDict = NextIndexes(t, [](const std::string& s) { return s == "/ps:dict"; });
  const std::vector<size_t> nextBegin = NextIndexes(t, [](const std::string& s) { return s == "/ps:begin"; });
  const std::vector<size_t> nextDup = NextIndexes(t, [](const std::string& s) { return s == "/ps:dup"; });
  const std::vector<size_t> nextDefinition =
      NextIndexes(t, [](const std::string& s) { return s == "/ps:def" || s == "/ps:readonly"; });
  size_t lastBegin = 0, lastClose = 0;
  bool convertedBegin = false, convertedClose = false;
  for (size_t i = 0; i < n; ++i) {
    if (t[i] == "/ps:FontDirectory") {
      for (size_t k = i; k < nextDict[i]; ++k) t[k].clear();
    }
    const std::string& s = t[i];
    if (s == "/ps:readonly" || s == "/ps:def" || s == "/ps:currentdict" || s == "/ps:currentfile" || s == "/ps:dup" ||
        s == "/ps:put") {
      t[i].clear();
    }
    if (t[i] == "/ps:end") t[i] = ">>";
    if (t[i] == "{") t[i] = "[";
    if (t[i] == "}") t[i] = "]";
    if (t[i] == "/ps:dict") {
      t[i].clear();
      if (i > 0) t[i - 1].clear();
      size_t from = i + 1;
      if (convertedBegin && lastBegin >= from) from = lastBegin + 1;
      const size_t begin = nextBegin[std::min(from, n)];
      if (begin < n) {
        t[begin] = "<<";
        lastBegin = begin;
        convertedBegin = true;
      }
    }
    if (t[i] == "/Encoding" && i + 2 < n) {
      if (t[i + 1] == "/ps:StandardEncoding") {
        t[i + 1] = "/StandardEncoding";
      } else if (t[i + 2] == "/ps:array") {
        t[i + 1] = "[";
        const size_t dup = nextDup[i + 2];
        for (size_t k = i + 2; k < dup; ++k) t[k].clear();
        size_t from = dup;
        if (convertedClose && lastClose >= from) from = lastClose + 1;
        const size_t close = nextDefinition[std::min(from, n)];
        // The search stops before the last token.
        if (close + 1 < n) {
          t[close] = "]";
          lastClose = close;
          convertedClose = true;
        }
      }
    }
  }
}

}  // namespace

void TPDFType1Decoder::DecryptEexec(uint16_t key, int64_t skip, std::string& output, std::string_view data) {
  output.clear();
  if (skip < 0) skip = 0;
  if (int64_t(data.size()) > skip) output.reserve(data.size() - size_t(skip));
  uint16_t r = key;
  int64_t i = 0;
  for (const char ch : data) {
    const uint8_t c = uint8_t(ch);
    const uint8_t plain = uint8_t(c ^ (r >> 8));
    r = uint16_t((c + r) * 52845u + 22719u);
    if (i++ >= skip) output.push_back(char(plain));
  }
}

bool TPDFType1Decoder::LoadFontFile(TPDFStream* stream) {
  if (stream == nullptr) return false;
  TPDFDictionary* dict = stream->Dictionary();
  const int64_t length1 = LengthEntry(*this, dict, "Length1");
  const int64_t length2 = LengthEntry(*this, dict, "Length2");
  const int64_t length3 = LengthEntry(*this, dict, "Length3");
  std::string data;
  stream->Decode(data);
  if (length1 < 1 || length2 < 1) return false;
  ClearText = CopyA(data, 1, length1);
  BinaryPart = CopyA(data, 1 + length1, length2);
  Trailer = length3 > 0 ? CopyA(data, 1 + length1 + length2, length3) : std::string();
  return int64_t(ClearText.size()) == length1 && int64_t(BinaryPart.size()) == length2 &&
         int64_t(Trailer.size()) == std::max<int64_t>(length3, 0);
}

bool TPDFType1Decoder::LoadFromPFB(std::string_view data) {
  if (data.empty()) return false;
  // Part 1 is the cleartext, 2 the binary part, 3 the trailer. Segments of one type that follow
  // each other belong to the same part: writers split a long binary part into several.
  std::string* parts[3] = {&ClearText, &BinaryPart, &Trailer};
  int part = 0;
  int previousType = -1;
  size_t pos = 0;
  for (;;) {
    if (data.size() - pos < 2 || uint8_t(data[pos]) != 128) return false;
    const uint8_t type = uint8_t(data[pos + 1]);
    pos += 2;
    if (type == 3) return true;
    if (type != 1 && type != 2) continue;
    if (data.size() - pos < 4) return false;
    const uint32_t length = uint8_t(data[pos]) | uint32_t(uint8_t(data[pos + 1])) << 8 |
                            uint32_t(uint8_t(data[pos + 2])) << 16 | uint32_t(uint8_t(data[pos + 3])) << 24;
    pos += 4;
    if (data.size() - pos < length) return false;
    const std::string_view bytes = data.substr(pos, length);
    pos += length;
    if (type != previousType) {
      ++part;
      if (part <= 3) parts[part - 1]->clear();
    }
    previousType = type;
    if (part <= 3) parts[part - 1]->append(bytes);
  }
}

void TPDFType1Decoder::TakeProgram(TType1TokenizedProgram& program) {
  RDName = program.Names.RD;
  NDName = program.Names.ND;
  NPName = program.Names.NP;
  for (auto& [number, bytes] : program.Subrs) {
    SubrNumbers.push_back(number);
    Subrs.push_back(std::move(bytes));
  }
}

bool TPDFType1Decoder::ConvertFontProgram() {
  TType1TokenizedProgram program = TokenizeProgram(ClearText);
  TakeProgram(program);
  std::vector<std::string>& tokens = program.Tokens;
  RewriteCleartext(tokens);
  std::string text;
  for (const auto& t : tokens) {
    if (t.empty()) continue;
    text += t;
    text += ' ';
  }
  auto* dict = PDFCast<TPDFDictionary>(ObjectStore->ParseObject(text));
  if (dict == nullptr) return false;
  ReleaseFontDict();
  FontDict = dict;
  FontBBox = PDFCast<TPDFArray>(dict->GetValue("FontBBox", false));
  if (const auto matrix = MatrixScale(dict->GetValue("FontMatrix", false))) Scale = GlyphScaleOf(*matrix);
  ReadEncodingEntry(dict->GetValue("Encoding", false));
  return true;
}

void TPDFType1Decoder::ReadEncodingEntry(TPDFObject* encoding) {
  if (const auto* name = PDFCast<TPDFName>(encoding); name != nullptr) {
    // A program that names the standard encoding has that encoding as its own: whoever takes
    // the program's encoding needs its names.
    if (name->Name() != "StandardEncoding") return;
    for (int code = 0; code < 256; ++code) {
      const std::string_view glyph = Type1StandardEncodingName(code);
      Encoding[size_t(code)] = glyph.empty() ? ".notdef" : std::string(glyph);
    }
  } else if (const auto* array = PDFCast<TPDFArray>(encoding); array != nullptr) {
    // Codes and names in turn: a number sets the code, a name takes it and moves on to the
    // next code, so that a plain array of names also lands on codes 0, 1, 2 ...
    int64_t code = 0;
    for (TPDFObject* item : array->Items()) {
      if (const auto* num = PDFCast<TPDFNumeric>(item); num != nullptr) {
        code = num->AsInteger();
      } else if (const auto* glyph = PDFCast<TPDFName>(item); glyph != nullptr) {
        if (code >= 0 && code <= 255) Encoding[size_t(code)] = glyph->Name();
        ++code;
      }
    }
  }
}

bool TPDFType1Decoder::ParsePrivate() {
  size_t start = 0;
  if (const int p = PosA("eexec", BinaryPart); p > 0) start = std::min(BinaryPart.size(), size_t(p - 1) + 6);
  std::string plain;
  const std::string_view rest = std::string_view(BinaryPart).substr(start);
  if (!rest.empty()) DecryptEexec(kEexecKey, 4, plain, EexecBytes(rest));

  TType1TokenizedProgram program = TokenizeProgram(plain);
  TakeProgram(program);
  const std::vector<std::string>& tokens = program.Tokens;

  LenIV = 4;
  const auto lenIV = std::find(tokens.begin(), tokens.end(), "/lenIV");
  if (lenIV != tokens.end() && lenIV + 1 != tokens.end()) {
    int64_t v = 0;
    if (ParseType1Integer(*(lenIV + 1), v)) LenIV = int32_t(v);
  }

  const size_t index = size_t(std::find(tokens.begin(), tokens.end(), "/CharStrings") - tokens.begin());
  if (index == 0 || index >= tokens.size()) return false;
  ClearCharStrings();
  int64_t count = index + 1 < tokens.size() ? Type1TokenInteger(tokens[index + 1]) : 0;
  // Each entry is "/name length RD <bytes>"; the tokenizer kept the bytes as the token after
  // the RD token, whichever of the RD spellings the program used.
  for (size_t j = index + 2; count > 0 && j + 1 < tokens.size(); ++j) {
    if (j < index + 4 || !IsRDToken(tokens[j], program.Names)) continue;
    const std::string& name = tokens[j - 2];
    AddCharString(name.substr(std::min<size_t>(1, name.size())), tokens[j + 1]);
    --count;
    ++j;  // the charstring's bytes are data, never an RD token
  }
  return true;
}
