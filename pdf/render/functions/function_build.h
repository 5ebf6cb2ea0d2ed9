// The bookkeeping of one CreatePDFFunction call while stitching functions build their
// subfunctions.
#pragma once

#include <memory>
#include <unordered_set>

#include "pdf/render/functions/pdf_resolve.h"

class TPDFDictionary;
class TPDFFunction;

struct TPDFFunctionBuild {
  // Nesting of stitching functions, and functions built by one call (shared subgraphs would
  // otherwise multiply).
  static constexpr int kMaxDepth = 32;
  static constexpr int kMaxFunctions = 1024;

  TPDFResolveMethod Resolver;
  std::unordered_set<const TPDFDictionary*> Active;  // the stitching functions being built
  int Depth = 0;
  int Created = 0;
};

std::unique_ptr<TPDFFunction> CreateFunctionIn(TPDFObject* obj, TPDFFunctionBuild& build);
