// The state of one run of the content interpreter: the content text and the tokenizer's
// position, the operand stack, the graphics state with its save stack, and the run's flags.
// A run lives from the call to its return; nested content gets a run of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/render/interpreter/graphics_state.h"

class TPDFDaubrix;
class TPDFDictionary;
class TPDFEPSExport;
class TPDFFontRasterizer;
class TPDFGenericCanvas;
class TPDFObject;

struct TPDFContentRun {
  // Operands kept at most; a push beyond drops the older half (operators take from the top).
  static constexpr size_t kOperandLimit = 65536;
  // Saves kept at most; deeper q and Q pairs only count.
  static constexpr size_t kSaveLimit = 1024;

  TPDFDaubrix* Canvas = nullptr;
  // EPS output: paths, painting and the state operators go to this writer in the content's
  // own coordinates, and Canvas stays idle.
  TPDFEPSExport* EPS = nullptr;
  // Where path segments go: the EPS writer when there is one, else the canvas.
  TPDFGenericCanvas& PathTarget() const;
  TPDFObject* Content = nullptr;
  std::string Text;
  size_t Position = 0;  // 0-based here; reported 1-based

  // Operands stay text (slices of Text, or of a string the run keeps) until popped.
  std::vector<std::string_view> Operands;
  int32_t ArrayCount = 0;  // items of the last array read
  int32_t ItemCount = 0;   // operands the showing operator takes

  TPDFGraphicsState State;
  std::vector<TPDFGraphicsState> SaveStack;
  int32_t OverflowSaves = 0;  // q beyond kSaveLimit not yet matched by Q

  bool PathOpen = false;
  // The device bounding box of the path being built (empty: min above max), and the device
  // length of its lines and control polygons (moves included).
  double PathMinX = 1, PathMinY = 1, PathMaxX = 0, PathMaxY = 0;
  double PathLength = 0;
  double LastPathX = 0, LastPathY = 0;
  void AddPathPoint(double x, double y);
  void ResetPathBox() { PathMinX = PathMinY = 1, PathMaxX = PathMaxY = 0, PathLength = 0; }
  // Paints the pending path as asked (or drops it when unseen or neither is asked) and closes it.
  void FinishPath(bool fill, bool stroke);
  bool Visible = true;  // optional content
  bool ColorLocked = false;  // set by d1
  std::vector<bool> MarkedContent;  // visibility in force before each open BDC/BMC
  TPDFDictionary* Resources = nullptr;
  // The current matrix when the run began: the default space of its content (where its
  // patterns' spaces are placed).
  TPDFMatrix BaseMatrix = kIdentityMatrix;
  // Glyphs shown in a clipping render mode since BT, with what draws them again: at ET their
  // outlines together become one clip, however many showing operators drew them.
  struct TClipGlyph {
    TPDFFontRasterizer* Rasterizer = nullptr;
    int32_t RenderMode = 0;
    std::string Key;
    double X = 0, Y = 0;
    TPDFMatrix Matrix = kIdentityMatrix;
  };
  std::vector<TClipGlyph> TextClip;
  bool TextClipPending = false;

  void Push(std::string_view token);
  // The top operand as a number (0 when the stack is empty).
  double PopNumber();
  // The top operand's text ("" when the stack is empty).
  std::string_view PopString();
  // 1-based position for messages.
  size_t TokenPosition() const { return Position + 1; }
};
