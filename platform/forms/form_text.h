// Text form descriptions: the syntax tree, the parser and the text writer.
//
//   object Form1: TForm1            (or "inherited" / "inline"; the name may be left out)
//     Caption = 'Velmora 1.0'       strings in quotes with '' for a quote, #13 for a character
//     Font.Style = [fsBold]         sets; dotted names reach properties of sub-objects
//     Lines.Strings = ('a' 'b')     lists of values
//     Items = <item Width = 5 end>  collections
//     Data = {0A0B0C}               binary data in hexadecimal
//     OnClick = Button1Click        identifiers (enumerations, colours, handlers, components)
//     object Button1: TButton ... end
//   end
//
// Strings may be joined with "+" across lines. The parser takes hostile input: nesting,
// sizes and counts are bounded and every error raises EParserError with the line number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/exceptions.h"

class EParserError : public Exception { using Exception::Exception; };

struct TFormProperty;

struct TFormValue {
  enum class Kind { Integer, Float, String, Ident, Set, List, Binary, Collection };
  Kind kind = Kind::Integer;
  int64_t integer = 0;
  double number = 0;
  std::string text;                // String (UTF-8), Ident, Binary (raw bytes)
  bool wide = false;               // String: held characters beyond 8 bits (#256 and up)
  std::vector<std::string> items;  // Set elements
  std::vector<TFormValue> list;    // List values
  struct Item {
    bool hasIndex = false;
    int64_t index = 0;
    std::vector<TFormProperty> props;
  };
  std::vector<Item> collection;    // Collection items
};

struct TFormProperty {
  std::string name;  // possibly dotted
  TFormValue value;
  int line = 0;
};

struct TFormObject {
  enum class Kind { Object, Inherited, Inline };
  Kind kind = Kind::Object;
  std::string name;  // may be empty
  std::string className;
  bool hasIndex = false;
  int64_t index = 0;
  std::vector<TFormProperty> props;
  std::vector<TFormObject> children;
  int line = 0;
};

struct TFormParseLimits {
  int maxDepth = 64;                 // objects, lists and collections nested in one another
  std::size_t maxInputBytes = 64u << 20;
};

// Parses one object (with its children) and nothing after it but blanks.
TFormObject ParseFormDescription(std::string_view text, const TFormParseLimits& limits = {});
// Writes a tree in the text syntax (two blanks of indent per level, CR LF line ends are not
// used: lines end in LF). Binary data is written 32 bytes to a line.
std::string WriteFormDescription(const TFormObject& root);
// Writes a string value in the text syntax (quotes, doubled quotes, #nn for control
// characters and, in wide strings, for characters beyond ASCII).
std::string QuoteFormString(std::string_view utf8, bool wide);
