#include "ui/main/qt/profile_notice_window.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <utility>

#include "ui/skin/qt/skin_pictures.h"

namespace {

// The skin's colours: white for the profile, cyan for the program.
const QColor kHeadlineInk(245, 247, 250);
const QColor kDetailInk(0, 208, 255);
// Left of the text: the notice's amber bar.
constexpr int kTextLeft = 28;
constexpr int kTextRightMargin = 52;  // the mark sits there

QFont noticeFont(int pixels, bool bold) {
  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

tarsil::SlotRect slotRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
}

}  // namespace

ProfileNoticeWindow::ProfileNoticeWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(QStringLiteral("Tarsil Software notice"));
  hideTimer_.setSingleShot(true);
  connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
}

void ProfileNoticeWindow::load(const std::filesystem::path& skinFolder) {
  const std::pair<const char*, QImage*> files[] = {{"notice_mask.bmp", &mask_},
                                                   {"notice_normal.bmp", &background_}};
  loaded_ = loadSkinPictures(skinFolder, files).isEmpty();
  if (!loaded_) return;
  setFixedSize(mask_.size());
  setMask(outlineRegion(mask_));
}

void ProfileNoticeWindow::showNotice(const tarsil::ProfileNotice& notice) {
  if (!loaded_) return;
  headline_ = QString::fromStdU16String(notice.headline);
  detail_ = QString::fromStdU16String(notice.detail);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    // Qt knows no taskbar window: the work area is all there is to go by.
    const tarsil::NoticePlace place =
        tarsil::placeNotice(slotRect(screen->geometry()), slotRect(screen->availableGeometry()),
                            std::nullopt, width(), height());
    move(place.x, place.y);
  }
  show();
  raise();
  update();
  // A second switch within the second restarts the time.
  hideTimer_.start(static_cast<int>(tarsil::kNoticeMilliseconds));
}

void ProfileNoticeWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, background_);
  QRect text(kTextLeft, 0, width() - kTextLeft - kTextRightMargin, height());
  const bool twoLines = !detail_.isEmpty();
  if (twoLines) text.setBottom(height() * 11 / 20 - 1);
  painter.setFont(noticeFont(20, true));
  painter.setPen(kHeadlineInk);
  painter.drawText(text, Qt::AlignLeft | (twoLines ? Qt::AlignBottom : Qt::AlignVCenter),
                   painter.fontMetrics().elidedText(headline_, Qt::ElideRight, text.width()));
  if (!twoLines) return;
  const QRect below(kTextLeft, text.bottom() + 3, text.width(), height() - text.bottom() - 3);
  painter.setFont(noticeFont(14, false));
  painter.setPen(kDetailInk);
  painter.drawText(below, Qt::AlignLeft | Qt::AlignTop,
                   painter.fontMetrics().elidedText(detail_, Qt::ElideRight, below.width()));
}
