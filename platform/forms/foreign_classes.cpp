#include "platform/forms/foreign_classes.h"

#include "platform/forms/classes.h"
#include "platform/forms/filer.h"
#include "platform/forms/idents.h"

const TClassInfo& TClassInfoOf<TFont>::Get() {
  static const TEnumInfo pitch{"TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}};
  static const TClassInfo info =
      TClassBuilder<TFont>("TFont", &TPersistent::StaticClassInfo())
          .PropFn<int>("Charset", [](TFont& f) { return static_cast<int>(f.Charset()); },
                       [](TFont& f, int v) { f.SetCharset(static_cast<uint8_t>(v)); }, {.Idents = &CharsetIdents()})
          .PropFn<int>("Color", [](TFont& f) { return static_cast<int>(f.Color()); },
                       [](TFont& f, int v) { f.SetColor(v); }, {.Idents = &ColorIdents()})
          .PropFn<int>("Height", [](TFont& f) { return f.Height(); }, [](TFont& f, int v) { f.SetHeight(v); })
          .PropFn<std::string>("Name", [](TFont& f) { return f.Name(); },
                               [](TFont& f, std::string v) { f.SetName(v); })
          .PropFn<int>("Pitch", [](TFont& f) { return static_cast<int>(f.Pitch()); },
                       [](TFont& f, int v) { f.SetPitch(static_cast<TFontPitch>(v)); },
                       {.Enum = &pitch, .Default = 0})
          .PropFn<int>("Size", [](TFont& f) { return f.Size(); }, [](TFont& f, int v) { f.SetSize(v); },
                       {.Stored = false})
          .PropFn<int>("Style", [](TFont& f) { return static_cast<int>(f.Style()); },
                       [](TFont& f, int v) { f.SetStyle(v); }, {.Enum = &FontStyleEnumInfo(), .IsSet = true})
          .Build();
  return info;
}

const TClassInfo& TClassInfoOf<TStrings>::Get() {
  static const TClassInfo info =
      TClassBuilder<TStrings>("TStrings", &TPersistent::StaticClassInfo())
          .Define([](TStrings& s, TFiler& filer) {
            filer.DefineProperty(
                "Strings",
                [&s](TReader& r) {
                  s.BeginUpdate();
                  try {
                    s.Clear();
                    r.ReadListBegin();
                    while (!r.EndOfList()) s.Add(r.ReadString());
                    r.ReadListEnd();
                  } catch (...) {
                    s.EndUpdate();
                    throw;
                  }
                  s.EndUpdate();
                },
                [&s](TWriter& w) {
                  w.WriteListBegin();
                  for (int i = 0; i < s.Count(); ++i) w.WriteString(s[i]);
                  w.WriteListEnd();
                },
                s.Count() > 0);
          })
          .Build();
  return info;
}

const TClassInfo& TClassInfoOf<TBitmap>::Get() {
  static const TClassInfo info =
      TClassBuilder<TBitmap>("TBitmap", &TPersistent::StaticClassInfo())
          .PropFn<int>("Height", [](TBitmap& b) { return b.Height(); }, [](TBitmap& b, int v) { b.SetHeight(v); })
          .PropFn<int>("TransparentColor", [](TBitmap& b) { return static_cast<int>(b.TransparentColor()); },
                       [](TBitmap& b, int v) { b.SetTransparentColor(v); }, {.Idents = &ColorIdents()})
          .PropFn<int>("Width", [](TBitmap& b) { return b.Width(); }, [](TBitmap& b, int v) { b.SetWidth(v); })
          .Build();
  return info;
}
