// TMetafile: the class library's metafile picture (EMF or WMF). For now it holds the file's
// bytes and its size fields; playing the records comes with the metafile reader.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/graphic.h"

class TMetafile : public TGraphic {
 public:
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetSize(int width, int height) override;
  bool Empty() const override { return data_.empty() && width_ == 0 && height_ == 0; }
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void Assign(const TGraphic& source) override;
  const char* ClassName() const override { return "TMetafile"; }
  void Draw(TCanvas& canvas, const TRect& rect) override;
  std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TMetafile>(); }
  void Clear();

  // Size of the picture in hundredths of a millimetre.
  int MMWidth() const { return mmWidth_; }
  int MMHeight() const { return mmHeight_; }
  void SetMMWidth(int v) { mmWidth_ = v; }
  void SetMMHeight(int v) { mmHeight_ = v; }
  // Enhanced (EMF) or Windows (WMF) format.
  bool Enhanced() const { return enhanced_; }
  void SetEnhanced(bool v) { enhanced_ = v; }
  // Units per inch of a placeable WMF (0 when unknown).
  int Inch() const { return inch_; }
  void SetInch(int v) { inch_ = v; }

  // The file's bytes as loaded.
  const std::string& Data() const { return data_; }
  void SetData(std::string bytes) { data_ = std::move(bytes); }

 private:
  std::string data_;
  int width_ = 0, height_ = 0, mmWidth_ = 0, mmHeight_ = 0, inch_ = 0;
  bool enhanced_ = true;
};
