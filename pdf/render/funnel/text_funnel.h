// TPDFTextFunnel collects the words of a page that a text-extraction render shows, joining
// words close together on one baseline into text blocks, with or without a space between.
// Coordinates are those of the render's device space: points, y up.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "pdf/core/matrix.h"

struct TPDFTextFunnelBlock {
  // Start and end on the box's lower edge, then the upper corners above start and end; the end
  // corners move as words join.
  TPDFPoint Start, End, UpperStart, UpperEnd;
  std::u16string Text;
  std::vector<double> Positions;  // device x of each character of Text
  std::array<std::string, 3> Attributes;  // orientation key, then the two given by the renderer
  double FontSize = 0;
  std::vector<double> Offsets;  // the first word's character offsets
};

struct TPDFTextFunnelImage {
  std::string Name, Key;
  std::array<TPDFPoint, 4> Corners{};
};

class TPDFTextFunnel {
 public:
  // Read between words, changed only through the funnel's own operations (the funnel keeps an
  // index of them; a change of their number makes it build the index again).
  std::vector<TPDFTextFunnelBlock> Blocks;
  std::vector<TPDFTextFunnelImage> Images;
  double Scale = 1.0;
  // A word near a block but not adjacent to it starts a new block instead of joining after a
  // space; the renderer's word splitting reads it too.
  uint8_t SeparateWords = 0;
  // Set by the renderer's word splitting after a kerning gap: a following space ends the word.
  uint8_t SpaceSwitch = 0;
  uint8_t MayJoin = 1;
  // Words carry their fill colour (the renderer's colour text) as their second attribute, so
  // that words of different colours stay apart.
  uint8_t ColorFlag = 0;
  double JoinTolerance = 0.7;
  // When 0, the attribute of that index must be equal for a word to join a block.
  std::array<uint8_t, 3> IgnoreAttribute{};
  // Drops words of spaces only and words whose box centre lies inside a block (fake bold).
  uint8_t DropDuplicates = 0;
  uint8_t ClipPerCharacter = 0, LastBlockOnly = 0, HorizontalOnly = 0, Clip = 0;
  double ClipLeft = 0, ClipTop = 0, ClipRight = 0, ClipBottom = 0;
  double LineTolerance = 8.0, ParagraphTolerance = 5.0;

  void Clear();
  void AddRun(const TPDFTextFunnelImage& image) { Images.push_back(image); }
  // One word: the text rendering matrix (word units to device), its characters with their
  // offsets along the line, the size of its box, its box's lower-left corner, the font size and
  // two attributes that must match for words to join.
  void AddText(const TPDFMatrix& m, std::u16string word, std::vector<double> offsets, double width, double height,
               double originX, double originY, double fontSize, const std::string& attribute1,
               const std::string& attribute2);
  void SetWordBoundary(uint8_t mayJoin) { MayJoin = mayJoin; }

 private:
  bool InsideABlock(const TPDFPoint& p) const;
  // The block the word joins (nullptr for none) and whether it joins without a space.
  TPDFTextFunnelBlock* FindBlock(const TPDFPoint& origin, const std::array<std::string, 3>& attributes,
                                 double fontSize, bool& adjacent);
  // The first block in block order that passes the test, among those whose end lies on a line
  // within radius of y (every block when the bounds are not numbers); Blocks.size() for none.
  template <class Test>
  size_t FirstOnLinesNear(double y, double radius, const Test& test);
  // The index: block numbers by the y of the block's end corner, each line in block order. A
  // word joins a block only near that block's end, so only the lines near the word are looked
  // at. Blocks whose end has no y (not a number) can be joined by nothing and are left out.
  void IndexBlock(size_t block);
  void UnindexBlock(size_t block);
  void SyncIndex();
  std::map<double, std::vector<size_t>> lines_;
  size_t indexed_ = 0;  // the number of blocks the index was made for
};
