#include "platform/gdi/metafile.h"

void TMetafile::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  Modified = true;
}

void TMetafile::LoadFromStream(TStream& stream) {
  data_ = stream.ReadToEnd();
  Modified = true;
}

void TMetafile::SaveToStream(TStream& stream) { stream.WriteString(data_); }

void TMetafile::Clear() {
  data_.clear();
  width_ = height_ = mmWidth_ = mmHeight_ = inch_ = 0;
  Modified = true;
}

void TMetafile::Assign(const TGraphic& source) {
  const auto* other = dynamic_cast<const TMetafile*>(&source);
  if (!other) {
    TGraphic::Assign(source);
    return;
  }
  data_ = other->data_;
  width_ = other->width_;
  height_ = other->height_;
  mmWidth_ = other->mmWidth_;
  mmHeight_ = other->mmHeight_;
  inch_ = other->inch_;
  enhanced_ = other->enhanced_;
  Modified = true;
}

// Playing the records comes with the metafile reader; until then a metafile draws nothing.
void TMetafile::Draw(TCanvas&, const TRect&) {}
