// The operator table: every operator the interpreter knows and its handler. A token that is
// not in the table is pushed as an operand (numbers, names, strings, and unknown operators).
#include "pdf/render/renderer/renderer.h"

const std::unordered_map<std::string_view, TPDFRenderer::TOperatorHandler>& TPDFRenderer::OperatorTable() {
  static const std::unordered_map<std::string_view, TOperatorHandler> table = {
      // Paths and painting.
      {"m", &TPDFRenderer::OpMoveTo},
      {"l", &TPDFRenderer::OpLineTo},
      {"c", &TPDFRenderer::OpCurveTo},
      {"v", &TPDFRenderer::OpCurveToV},
      {"y", &TPDFRenderer::OpCurveToY},
      {"re", &TPDFRenderer::OpRectangle},
      {"h", &TPDFRenderer::OpClosePath},
      {"n", &TPDFRenderer::OpEndPath},
      {"f", &TPDFRenderer::OpFill},
      {"F", &TPDFRenderer::OpFill},
      {"f*", &TPDFRenderer::OpFillEvenOdd},
      {"S", &TPDFRenderer::OpStroke},
      {"s", &TPDFRenderer::OpCloseStroke},
      {"B", &TPDFRenderer::OpFillStroke},
      {"B*", &TPDFRenderer::OpFillStrokeEvenOdd},
      {"b", &TPDFRenderer::OpCloseFillStroke},
      {"b*", &TPDFRenderer::OpCloseFillStrokeEvenOdd},
      {"W", &TPDFRenderer::OpClip},
      {"W*", &TPDFRenderer::OpClipEvenOdd},
      // Graphics state.
      {"q", &TPDFRenderer::OpSave},
      {"Q", &TPDFRenderer::OpRestore},
      {"cm", &TPDFRenderer::OpConcat},
      {"w", &TPDFRenderer::OpLineWidth},
      {"J", &TPDFRenderer::OpLineCap},
      {"j", &TPDFRenderer::OpLineJoin},
      {"M", &TPDFRenderer::OpMiterLimit},
      {"d", &TPDFRenderer::OpDash},
      {"d1", &TPDFRenderer::OpGlyphMetrics},
      {"gs", &TPDFRenderer::OpExtGState},
      // Colour.
      {"cs", &TPDFRenderer::OpFillSpace},
      {"CS", &TPDFRenderer::OpStrokeSpace},
      {"g", &TPDFRenderer::OpFillGray},
      {"rg", &TPDFRenderer::OpFillRGB},
      {"k", &TPDFRenderer::OpFillCMYK},
      {"G", &TPDFRenderer::OpStrokeGray},
      {"RG", &TPDFRenderer::OpStrokeRGB},
      {"K", &TPDFRenderer::OpStrokeCMYK},
      {"sc", &TPDFRenderer::OpFillColor},
      {"SC", &TPDFRenderer::OpStrokeColor},
      {"scn", &TPDFRenderer::OpFillColorN},
      {"SCN", &TPDFRenderer::OpStrokeColorN},
      {"sh", &TPDFRenderer::OpShading},
      // Images and XObjects.
      {"BI", &TPDFRenderer::OpInlineImage},
      {"Do", &TPDFRenderer::OpXObject},
      // Text.
      {"BT", &TPDFRenderer::OpBeginText},
      {"Tf", &TPDFRenderer::OpFont},
      {"Tm", &TPDFRenderer::OpTextMatrix},
      {"Td", &TPDFRenderer::OpTextMove},
      {"TD", &TPDFRenderer::OpTextMoveLeading},
      {"T*", &TPDFRenderer::OpNextLine},
      {"Tc", &TPDFRenderer::OpCharSpacing},
      {"Tw", &TPDFRenderer::OpWordSpacing},
      {"Tz", &TPDFRenderer::OpHorizontalScaling},
      {"TL", &TPDFRenderer::OpLeading},
      {"Ts", &TPDFRenderer::OpTextRise},
      {"Tr", &TPDFRenderer::OpRenderMode},
      {"Tj", &TPDFRenderer::OpShowText},
      {"TJ", &TPDFRenderer::OpShowArray},
      {"'", &TPDFRenderer::OpNextLineShow},
      {"\"", &TPDFRenderer::OpSpacingShow},
      {"[", &TPDFRenderer::OpArray},
      // Marked and optional content.
      {"BDC", &TPDFRenderer::OpBeginMarked},
      {"BMC", &TPDFRenderer::OpBeginMarkedNoProperties},
      {"EMC", &TPDFRenderer::OpEndMarked},
  };
  return table;
}
