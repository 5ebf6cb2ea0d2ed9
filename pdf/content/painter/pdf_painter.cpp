#include "pdf/content/painter/pdf_painter.h"

// Bodies follow.
TPDFPainter::TPDFPainter(TPDFStructure* owner) : Owner(owner) {}
TPDFPainter::~TPDFPainter() = default;
