#pragma once

#include <windows.h>

#include <filesystem>

#include "framework/win32/gdi.h"

// A bitmap the program owns, loaded from a file as a device-independent
// section so that its pixels can be read directly.
class CBitmap {
 public:
  // Loads a .bmp file; false when the file is missing or no bitmap.
  bool LoadFromFile(const std::filesystem::path& path);
  // Takes ownership of a bitmap handle.
  void Attach(HBITMAP bitmap) { bitmap_.reset(bitmap); }
  void DeleteObject() { bitmap_.reset(); }

  HBITMAP handle() const { return bitmap_.get(); }
  explicit operator bool() const { return static_cast<bool>(bitmap_); }
  SIZE GetSize() const;
  // The section's pixels; false for a bitmap that is no section.
  bool GetSection(DIBSECTION& section) const;

 private:
  BitmapHandle bitmap_;
};
