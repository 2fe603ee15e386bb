#include "ui/main/qt/main_skin.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "ui/skin/qt/skin_pictures.h"

QString MainSkin::load(const std::filesystem::path& skinFolder) {
  // The mask first: it sets the size every other picture must have.
  const std::pair<const char*, QImage*> files[] = {{"main_mask.bmp", &mask_},
                                                   {"main_normal.bmp", &pictures_[0]},
                                                   {"main_over.bmp", &pictures_[1]},
                                                   {"main_down.bmp", &pictures_[2]}};
  QString problem = loadSkinPictures(skinFolder, files);
  // One pixel format for the frame and every picture: a copy is then a
  // copy of rows.
  for (QImage& picture : pictures_) picture = picture.convertToFormat(QImage::Format_RGB32);
  return problem;
}

QRegion MainSkin::outline() const { return outlineRegion(mask_); }

void SkinFrame::resize() {
  frame_ = QImage(skin_.size(), QImage::Format_RGB32);
  frame_.fill(Qt::white);
  changed_ = QRegion(frame_.rect());
}

void SkinFrame::copyPicture(tarsil::SlotState picture, const tarsil::SlotRect& area) {
  const QImage& source = skin_.picture(picture);
  // A layout may place a slot partly off the picture; the part on it is drawn.
  const QRect rect = QRect(area.left, area.top, area.right - area.left, area.bottom - area.top)
                         .intersected(frame_.rect())
                         .intersected(source.rect());
  if (rect.isEmpty()) return;
  const auto bytes = static_cast<std::size_t>(rect.width()) * 4;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    std::memcpy(frame_.scanLine(y) + rect.left() * 4, source.constScanLine(y) + rect.left() * 4,
                bytes);
  }
  changed_ += rect;
}

QRegion SkinFrame::takeChanged() { return std::exchange(changed_, QRegion()); }
