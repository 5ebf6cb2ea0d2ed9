// The glyph command list between the charstring interpreters and glyph drawing: one short text
// per drawing operator, "name(arg,arg,...)" optionally followed by a space and a tag naming the
// operator that produced it, or a bare name. Arguments are decimal numbers: integers without a
// point, other values with at most six decimals. Entries of any other form (leftover operands,
// "Unknown: " notes) are ignored by drawing.
//
// Commands: hsbw(sbx,wx), sbw(sbx,sby,wx,wy), rmoveto(dx,dy), hmoveto(dx), vmoveto(dy),
// rlineto(dx,dy), rrcurveto(dx1,dy1,dx2,dy2,dx3,dy3), flex(rx,ry, six relative pairs),
// t2flex(six relative pairs, depth), setcurrentpoint(x,y), closepath, endchar,
// seac(asb,adx,ady), and the hints hstem, vstem, hstem3, vstem3, dotsection, hintmask, cntrmask
// (drawing ignores hints). Every CFF glyph opens with "hsbw(0,0)".
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One glyph's commands in order.
using TGlyphCommandList = std::vector<std::string>;

// A computed number as command text (up to six decimals, trailing zeros removed).
std::string GlyphNumber(double value);

// "name(" a "," b ... ")" followed by " " tag when a tag is given.
std::string GlyphCommand(std::string_view name, const std::vector<std::string>& args, std::string_view tag = {});

// The command name (the text before the first "(", or the whole entry) and the arguments, each
// the text up to the next "," or ")" without leading blanks, read as a PDF number (0 when it is
// not one).
std::string_view GlyphCommandName(std::string_view entry);
std::vector<double> GlyphCommandArgs(std::string_view entry);
