// Bodies that follow.
#include "pdf/render/renderer/renderer.h"

void TPDFRenderer::RenderPage() { ErrorText.clear(); }
void TPDFRenderer::RunContentStream(TPDFDaubrix*, TPDFObject*, TPDFObject*, std::string_view) {}
bool TPDFRenderer::IsOptionalContentVisible(TPDFDictionary*) { return true; }
const std::unordered_map<std::string_view, TPDFRenderer::TOperatorHandler>& TPDFRenderer::OperatorTable() {
  static const std::unordered_map<std::string_view, TOperatorHandler> table;
  return table;
}
