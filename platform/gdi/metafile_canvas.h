// TMetafileCanvas: a canvas whose drawing is recorded into a TMetafile. The picture takes the
// metafile's size (hundredths of a millimetre when set, else its pixels) in the pixels of the
// reference device; freeing the canvas closes the recording and hands it to the metafile.
#pragma once

#include "platform/gdi/canvas.h"
#include "platform/gdi/metafile.h"

class TMetafileCanvas : public TCanvas {
 public:
  // `reference` null: the screen.
  TMetafileCanvas(TMetafile& metafile, HDC reference);
  ~TMetafileCanvas() override;

 private:
  TMetafile& metafile_;
  HDC recording_ = nullptr;
};
