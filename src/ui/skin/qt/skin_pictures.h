#pragma once

#include <QImage>
#include <QRegion>
#include <QString>

#include <filesystem>
#include <span>
#include <utility>

#include "ini/ini_document.h"

// Loads the pictures of one skinned window from a skin folder; the first is
// the window's mask and sets the size all others must have. Each file's
// headers are checked before Qt's reader sees it, as on Windows. Returns a
// sentence for the user that names the first file that is missing, damaged,
// of a depth a mask cannot have, or of another size, or nothing when all
// loaded.
QString loadSkinPictures(const std::filesystem::path& skinFolder,
                         std::span<const std::pair<const char*, QImage*>> pictures);

// A skinned dialog's files: its pictures (named in `names`, the mask first)
// from `skinFolder` and its layout file `layoutPath`, read into `layout`.
// Returns a sentence about what is missing or unreadable (the layout's
// problem if both are), naming the dialog as `dialogName`; nothing when all
// is there.
QString loadSkinnedDialog(const std::filesystem::path& skinFolder,
                          std::span<const char* const> names, std::span<QImage> pictures,
                          const std::filesystem::path& layoutPath, const QString& dialogName,
                          tarsil::ini::IniDocument& layout);

// The outline of a window from its loaded mask picture: every pixel that is
// not pure white, from the same rectangles the Windows program shapes its
// window with.
QRegion outlineRegion(const QImage& mask);
