// LittleCMS objects held by unique_ptr, and a context that keeps its complaints to itself, for
// the colour-profile code. Depends on nothing else of the graphics layer: the GDI+ provider
// compiles the files that use it in.
#pragma once

#include <lcms2.h>

#include <memory>

namespace lcms {

struct ContextRelease {
  void operator()(void* c) const { cmsDeleteContext(static_cast<cmsContext>(c)); }
};
struct ProfileRelease {
  void operator()(void* p) const { cmsCloseProfile(static_cast<cmsHPROFILE>(p)); }
};
struct TransformRelease {
  void operator()(void* t) const { cmsDeleteTransform(static_cast<cmsHTRANSFORM>(t)); }
};
struct CurveRelease {
  void operator()(cmsToneCurve* c) const { cmsFreeToneCurve(c); }
};
using ContextPtr = std::unique_ptr<void, ContextRelease>;
using ProfilePtr = std::unique_ptr<void, ProfileRelease>;
using TransformPtr = std::unique_ptr<void, TransformRelease>;
using CurvePtr = std::unique_ptr<cmsToneCurve, CurveRelease>;

// Damaged and foreign profiles are common in pictures: that LittleCMS refuses one is an answer
// the caller reads, not a message for the console.
inline void SilenceErrors(cmsContext context) {
  cmsSetLogErrorHandlerTHR(context, [](cmsContext, cmsUInt32Number, const char*) {});
}

}  // namespace lcms
