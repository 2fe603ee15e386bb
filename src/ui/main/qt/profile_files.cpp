#include "ui/main/qt/profile_files.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>

#include <filesystem>
#include <optional>
#include <string>

#include "profile/profile_exchange.h"

namespace {

const QString kCaption = QStringLiteral("Tarsil Software");

// Runs the desktop's file dialog; the chosen file, or nothing.
std::optional<std::filesystem::path> chooseFile(QWidget* owner, bool save) {
  QFileDialog dialog(owner, save ? QStringLiteral("Save As") : QStringLiteral("Open"));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QStringLiteral("ini File(*.ini)"));
  // A name typed without extension gets ".ini", so that the file shows up
  // in the Import dialog, whose filter lists *.ini files only.
  dialog.setDefaultSuffix(QStringLiteral("ini"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return std::filesystem::path(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
}

}  // namespace

void exportWithDialog(QWidget* owner, const tarsil::KeyboardSession& session) {
  const std::optional<std::filesystem::path> path = chooseFile(owner, true);
  if (!path) return;
  const tarsil::ini::FileStatus status =
      tarsil::exportProfile(session.profiles(), session.layout().slots, *path, session.codePage());
  if (!status.ok()) {
    QMessageBox::critical(owner, kCaption,
                          QStringLiteral("The profile could not be exported.\n\n") +
                              QString::fromStdString(status.error));
  }
}

bool importWithDialog(QWidget* owner, tarsil::KeyboardSession& session) {
  const std::optional<std::filesystem::path> path = chooseFile(owner, false);
  if (!path) return false;
  const tarsil::ini::FileStatus status =
      tarsil::importProfile(session.profiles(), session.layout(), *path, session.codePage());
  if (!status.ok()) {
    QMessageBox::critical(owner, kCaption,
                          QStringLiteral("The profile could not be imported.\n\n") +
                              QString::fromStdString(status.error));
    return false;
  }
  // Imported, with something worth knowing about the file (a byte-order
  // mark that hides its first section, for one).
  QString notes;
  for (const std::string& note : status.notes) {
    if (!notes.isEmpty()) notes += QStringLiteral("\n\n");
    notes += QString::fromStdString(note);
  }
  if (!notes.isEmpty()) QMessageBox::information(owner, kCaption, notes);
  return true;
}
