// The visibility of a document's optional-content groups, handed from the document through the
// page render to the renderer.
#pragma once

#include <vector>

class TPDFIndRef;

struct TPDFOptionalContentState {
  TPDFIndRef* Reference = nullptr;  // the group's reference; nullptr for a direct entry
  bool Visible = false;             // the state for the "View" event
};

using TPDFOptionalContentStates = std::vector<TPDFOptionalContentState>;
