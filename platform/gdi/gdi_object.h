// The handle table: every GDI object that the program reaches by handle lives here, owned by
// shared pointers so that a device context keeps what it has selected even after the handle
// is deleted (the platform refuses such deletions; we simply let the object outlive the handle).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gdi/gdi_types.h"

class GdiObject : public std::enable_shared_from_this<GdiObject> {
 public:
  virtual ~GdiObject() = default;
  virtual uint32_t ObjectType() const = 0;  // OBJ_PEN, OBJ_BITMAP, ...
  // The handle under which the object is registered (null until it is).
  HGDIOBJ Handle() const { return handle_; }
  bool IsStock() const { return stock_; }

 private:
  friend HGDIOBJ RegisterGdiObject(std::shared_ptr<GdiObject>, bool);
  HGDIOBJ handle_ = nullptr;
  bool stock_ = false;
};

// Enters an object into the table (once; a registered object keeps its handle).
HGDIOBJ RegisterGdiObject(std::shared_ptr<GdiObject> object, bool stock = false);
std::shared_ptr<GdiObject> LookupGdiObject(HGDIOBJ handle);
template <class T>
std::shared_ptr<T> LookupGdi(HGDIOBJ handle) {
  return std::dynamic_pointer_cast<T>(LookupGdiObject(handle));
}
// Removes the handle; stock objects stay. False for an unknown handle.
bool DeleteObject(HGDIOBJ handle);
uint32_t GetObjectType(HGDIOBJ handle);
// Number of live handles (for leak tests).
size_t GdiHandleCount();
