// A canvas that records the path operations the interpreter sends it, and the state in force
// at each paint, as text lines: "m 50 50", "l 60 50", "S color=000000 width=1 dash=",
// "f color=FF0000 rule=1", and so on.
#pragma once

#include <string>
#include <vector>

#include "pdf/render/canvas/daubrix.h"

namespace rendertest {

class RecordingCanvas : public TPDFDaubrix {
 public:
  void NewPath() override { Calls.push_back("newpath"); }
  void MoveTo(double x, double y) override;
  void LineTo(double x, double y) override;
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override;
  void QuadCurveTo(double x1, double y1, double x2, double y2) override;
  void ClosePath() override { Calls.push_back("h"); }
  void Stroke() override;
  void Fill() override;
  void FillAndStroke() override;

  // The calls, one per line.
  std::string Text() const;
  std::vector<std::string> Calls;
};

// Numbers as the recording writes them: at most four decimals, trailing zeros dropped.
std::string Num(double v);

}  // namespace rendertest
