// TPDFEPSExport: the canvas of EPS output. Instead of pixels it collects the lines of an
// Encapsulated PostScript file: the path operations of the generic canvas, one writer per
// PostScript operator the interpreter needs in this output, colour settings that are written
// only when they change, and images as reusable filtered data streams. Coordinates are written
// as given (the content's own user space: the interpreter writes its "cm" lines too).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/matrix.h"
#include "pdf/render/canvas/generic_canvas.h"

class TBitmap;
class TStream;

class TPDFEPSExport : public TPDFGenericCanvas {
 public:
  // The ten canvas operations. A fill-and-stroke fills inside a gsave so that the stroke still
  // has its path.
  void NewPath() override;
  void MoveTo(double x, double y) override;
  void LineTo(double x, double y) override;
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override;
  void QuadCurveTo(double x1, double y1, double x2, double y2) override;
  void ClosePath() override;
  void Stroke() override;
  void Fill() override;
  void FillAndStroke() override;
  // Images go through WriteImage.
  void DrawImage(TGraphic& graphic, double x1, double y1, double x2, double y2, double x3, double y3) override;

  // The other operators: "v" (the current point as first control point) and "y" curves, fill
  // and clip with a rule, gsave/grestore (which keep the colour text with them), line style
  // and the matrix.
  void CurveToV(double x2, double y2, double x3, double y3);
  void CurveToY(double x1, double y1, double x3, double y3);
  void FillPath(bool evenOdd);
  void Clip(bool evenOdd);
  void SaveState();
  void RestoreState();
  void SetLineCap(int32_t cap);
  void SetLineJoin(int32_t join);
  void SetLineWidth(double width);
  void SetMiterLimit(double limit);
  void ConcatMatrix(const TPDFMatrix& m);
  // A complete PostScript colour setting; written only when it differs from the current one.
  void SetColor(std::string_view text);
  // Paints the path with the given colour texts: fill (even-odd when asked), stroke, or both.
  void Paint(std::string_view fillColor, std::string_view strokeColor, bool fill, bool stroke, bool evenOdd);

  // Header and prolog for the bounding box, and the trailer with the custom colour comments.
  void WriteHeader(double x1, double y1, double x2, double y2);
  void WriteTrailer();
  // Writes a bitmap (1, 8, 24 or 32 bits a pixel) into the unit square of the current matrix,
  // top row at y = 1; a mask (white where the image shows) makes it a masked image. Images
  // already written under the same identity are drawn again from their stored data unless
  // reusable is false (identities that may name another image next time).
  void WriteImage(TBitmap& bitmap, TBitmap* mask, bool imageMask, const std::string& id, bool reusable = true);

  // Every line followed by CR LF; false when the stream took less than it was given.
  bool SaveToStream(TStream& stream) const;
  const std::vector<std::string>& Lines() const { return lines_; }
  const std::string& CurrentColor() const { return currentColor_; }

 private:
  // Stores a line without its one trailing blank.
  void Line(std::string text);
  // Image definitions: a filtered data stream line and the dictionaries.
  void WriteDataStream(const std::string& bytes, const std::string& name);
  void WriteColorSpace(int32_t bits);
  void WriteImageDictionary(const std::string& prefix, int32_t width, int32_t height, int32_t bits,
                            const std::string& source, const std::string& decode);

  std::vector<std::string> lines_;
  std::vector<std::string> images_;
  std::vector<std::string> customColors_;
  std::vector<std::string> colorStack_;
  std::string currentColor_;
  double x_ = 0, y_ = 0;
};

// A number as the EPS lines write it: four decimals at most and one trailing blank.
std::string EPSNumber(double value);
