// Copying objects from one store into another.
#pragma once

class TPDFObject;
class TPDFStructure;

// A copy of source made in target, with everything it holds. A reference is carried over by
// copying the object it resolves to (in source's store) into target and making that copy
// indirect through target's OnMakeIndirect; each source object is copied once, so shared
// objects and cycles stay shared and cyclic. A reference the source store cannot resolve
// becomes null. Returns nullptr when a reference needs carrying over and target cannot make
// objects indirect (the objects copied so far stay in target). Containers nested deeper than
// kPDFMaxNestingDepth become null.
TPDFObject* ImportObject(TPDFStructure& target, const TPDFObject& source);
