#include "ui/skin/qt/skin_pictures.h"

#include <QFile>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ini/ini_file.h"
#include "layout/layout_file.h"
#include "ui/skin/bitmap_header.h"
#include "ui/skin/window_outline.h"

namespace {

QString pathText(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

QString cannotBeShown(const std::filesystem::path& path, const std::string& problem) {
  return QStringLiteral(
             "The picture %1 %2, so the window cannot be shown.\n\nReinstall the "
             "program to restore its skin folder.")
      .arg(pathText(path), QString::fromStdString(problem));
}

// A file the headers check passed, whole: no larger than the check allowed.
std::vector<std::uint8_t> readWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

QString loadSkinPictures(const std::filesystem::path& skinFolder,
                         std::span<const std::pair<const char*, QImage*>> pictures) {
  QSize expected;
  for (const auto& [name, image] : pictures) {
    const std::filesystem::path path = skinFolder / name;
    // Qt's reader, like the system's, trusts the headers: a damaged file
    // would cost it all the memory the headers claim.
    const tarsil::BitmapCheck check = tarsil::checkBitmapFile(path);
    if (!check.problem.empty()) return cannotBeShown(path, check.problem);
    const bool isMask = image == pictures.front().second;
    if (isMask && !tarsil::isMaskDepth(check.facts.bitsPerPixel)) {
      return cannotBeShown(path, "has pixels of " + std::to_string(check.facts.bitsPerPixel) +
                                     " bits, in which the window's outline cannot be read: a "
                                     "mask has 1, 4, 8, 24 or 32 bits a pixel");
    }
    const std::vector<std::uint8_t> bytes = readWhole(path);
    if (!image->loadFromData(bytes.data(), static_cast<int>(bytes.size()), "BMP")) {
      return cannotBeShown(path, "is no bitmap Qt reads");
    }
    if (isMask) expected = image->size();
    if (image->size() != expected || image->isNull()) {
      return QStringLiteral(
                 "The picture %1 is %2 x %3 pixels, but its window's mask is %4 x %5: the "
                 "pictures of a window all have one size.")
          .arg(pathText(path))
          .arg(image->width())
          .arg(image->height())
          .arg(expected.width())
          .arg(expected.height());
    }
  }
  return {};
}

QString loadSkinnedDialog(const std::filesystem::path& skinFolder,
                          std::span<const char* const> names, std::span<QImage> pictures,
                          const std::filesystem::path& layoutPath, const QString& dialogName,
                          tarsil::ini::IniDocument& layout) {
  std::vector<std::pair<const char*, QImage*>> files;
  for (std::size_t i = 0; i < names.size() && i < pictures.size(); ++i) {
    files.emplace_back(names[i], &pictures[i]);
  }
  QString problem = loadSkinPictures(skinFolder, files);
  tarsil::ini::ReadResult read = tarsil::ini::readIniFile(layoutPath, tarsil::layoutReadOptions());
  if (!read.status.ok()) {
    problem = QString::fromStdString(read.status.error) + QLatin1Char('.');
  } else if (!read.exists) {
    problem = QStringLiteral(
                  "The layout of the %1 %2 is missing.\n\nReinstall the program to "
                  "restore it.")
                  .arg(dialogName, pathText(layoutPath));
  } else if (read.utf16WithoutByteOrderMark) {
    problem = QString::fromStdString(read.status.notes.front());
  }
  layout = std::move(read.document);
  return problem;
}

QRegion outlineRegion(const QImage& mask) {
  // Qt has resolved the palette of a mask of 1, 4 or 8 bits; in 32-bit
  // pixels white is one value, as in the file.
  const QImage pixels = mask.convertToFormat(QImage::Format_RGB32);
  tarsil::MaskImage image;
  image.bits = pixels.constBits();
  image.width = pixels.width();
  image.height = pixels.height();
  image.stride = pixels.bytesPerLine();
  image.bitsPerPixel = 32;
  image.topDown = true;
  QList<QRect> rects;
  for (const tarsil::SlotRect& r : tarsil::outlineRects(image)) {
    rects.append(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
  }
  QRegion region;
  region.setRects(rects.constData(), static_cast<int>(rects.size()));
  return region;
}
