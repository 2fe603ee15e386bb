#pragma once

#include <windows.h>

#include <filesystem>
#include <span>
#include <string>
#include <utility>

#include "framework/win32/bitmap.h"
#include "ini/ini_document.h"

// Loads the pictures of one skinned window from the skin folder beside the
// program; the first is the window's mask and sets the size all others must
// have. Each file's headers are checked before the system reads it. Returns
// a sentence for the user that names the first file that is missing,
// damaged, of a depth a mask cannot have, or of another size, or nothing
// when all loaded.
std::wstring loadSkinPictures(const std::filesystem::path& programFolder,
                              std::span<const std::pair<const wchar_t*, CBitmap*>> pictures);

// A skinned dialog's files beside the program: its pictures (named in
// `names`, the mask first) and its layout file `layoutName`, read into
// `layout`. Returns a sentence for the user about what is missing or
// unreadable (the layout's problem if both are), naming the dialog as
// `dialogName`; nothing when all is there.
std::wstring loadSkinnedDialog(const std::filesystem::path& programFolder,
                               std::span<const wchar_t* const> names, std::span<CBitmap> pictures,
                               const wchar_t* layoutName, const wchar_t* dialogName,
                               tarsil::ini::IniDocument& layout);

// The outline of a window from its mask: every pixel that is not pure
// white, as one region built at once. Null when the mask's pixels cannot be
// read. The caller owns the region until a window takes it.
HRGN createOutlineRegion(const CBitmap& mask);

// Copies the same rectangle of `picture` onto `target`.
void copyPictureArea(HDC target, HBITMAP picture, int left, int top, int width, int height);
