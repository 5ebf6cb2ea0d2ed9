// How the renderer's parts resolve indirect references: through a caller's method when one
// is assigned, otherwise through the reference itself (its store's resolver).
#pragma once

#include <functional>

class TPDFObject;

// Answers a reference object with the object it names (nullptr when none).
using TPDFResolveMethod = std::function<TPDFObject*(TPDFObject* reference)>;

// obj itself when it is not a reference; otherwise what the reference names, following a
// chain of references a bounded number of steps (a chain that does not end gives nullptr).
TPDFObject* ResolvePDFObject(const TPDFResolveMethod& resolver, TPDFObject* obj);
