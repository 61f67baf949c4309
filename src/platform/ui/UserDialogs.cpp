#include "platform/ui/UserDialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QFontInfo>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

namespace {
TUserDialogHooks* Hooks = nullptr;
const QString Title = QStringLiteral("Assembler-Editor");

// A description that ends in its own pattern text ("alle (*.a; *.b) (*.a *.b)") is shown as written:
// the pattern list after it is for the dialog only.
QFileDialog::Options FilterOptions(const QString& filter) {
  static const QRegularExpression ownPatterns(QStringLiteral("\\)\\s*\\([^()]*\\)$"));
  for (const QString& entry : filter.split(QStringLiteral(";;")))
    if (ownPatterns.match(entry).hasMatch()) return QFileDialog::HideNameFilterDetails;
  return {};
}

// The file list writes sizes and dates in the system's language; these show them in the
// program's (the default locale), like every other text of the dialog.
class TFileListTexts : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !files) return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (index.column() == 1 && !files->isDir(source)) return QLocale().formattedDataSize(files->size(source));
    if (index.column() == 3) return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    return QIdentityProxyModel::data(index, role);
  }
};

// Shows the dialog; the first name chosen, empty when cancelled.
QString Chosen(QFileDialog& dialog) {
  dialog.setProxyModel(new TFileListTexts(&dialog));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().constFirst();
}

// A preset file whose folder is gone (deleted while its tab was open): the dialog starts in the
// nearest folder that is there, with the bare name. Left to itself it would take the path as
// relative to some other folder and save there.
void PresetFile(QFileDialog& dialog, const QString& preset) {
  const QFileInfo info(preset);
  QString folder = info.absolutePath();
  while (!QFileInfo(folder).isDir() && QFileInfo(folder).path() != folder) folder = QFileInfo(folder).path();
  if (folder == info.absolutePath()) {
    dialog.selectFile(preset);
    return;
  }
  dialog.setDirectory(folder);
  dialog.selectFile(info.fileName());
}
}  // namespace

void SetUserDialogHooks(TUserDialogHooks* hooks) { Hooks = hooks; }

TAnswer AskYesNoCancel(QWidget* parent, const QString& text) {
  if (Hooks && Hooks->Question) return Hooks->Question(text);
  QMessageBox box(QMessageBox::Warning, Title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  parent);
  box.setDefaultButton(QMessageBox::Yes);
  switch (box.exec()) {
    case QMessageBox::Yes: return TAnswer::Yes;
    case QMessageBox::No: return TAnswer::No;
    default: return TAnswer::Cancel;
  }
}

bool AskYesNo(QWidget* parent, const QString& text) {
  if (Hooks && Hooks->Question) return Hooks->Question(text) == TAnswer::Yes;
  return QMessageBox::question(parent, Title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

TAnswer AskTwoWays(QWidget* parent, const QString& text, const QString& first, const QString& second) {
  if (Hooks && Hooks->Question) return Hooks->Question(text);
  QMessageBox box(QMessageBox::Question, Title, text, QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(first, QMessageBox::AcceptRole);
  QPushButton* no = box.addButton(second, QMessageBox::DestructiveRole);
  // Neither answer fits Escape or the close box: a hidden cancel button takes them, else the box
  // would refuse both.
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  cancel->hide();
  box.setEscapeButton(cancel);
  box.setDefaultButton(yes);
  box.exec();
  return box.clickedButton() == yes ? TAnswer::Yes : box.clickedButton() == no ? TAnswer::No : TAnswer::Cancel;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
  if (Hooks && Hooks->Error) {
    Hooks->Error(text);
    return;
  }
  QMessageBox::critical(parent, Title, text);
}

QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& preset, const QString& filter) {
  if (Hooks && Hooks->OpenFileName) return Hooks->OpenFileName(caption, preset);
  QFileDialog dialog(parent, caption, preset, filter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOptions(FilterOptions(filter));
  return Chosen(dialog);
}

QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& preset, const QString& filter,
                        const QString& defaultSuffix) {
  if (Hooks && Hooks->SaveFileName) return Hooks->SaveFileName(caption, preset);
  QFileDialog dialog(parent, caption, preset, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOptions(FilterOptions(filter));
  if (!defaultSuffix.isEmpty()) dialog.setDefaultSuffix(defaultSuffix);
  // A preset ending in a separator names only the folder: the name field starts empty.
  if (!preset.isEmpty() && !preset.endsWith(u'/') && !preset.endsWith(QDir::separator())) PresetFile(dialog, preset);
  return Chosen(dialog);
}

QString AskDirectory(QWidget* parent, const QString& caption, const QString& preset) {
  if (Hooks && Hooks->Directory) return Hooks->Directory(caption, preset);
  QFileDialog dialog(parent, caption, preset);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  return Chosen(dialog);
}

bool AskFont(QWidget* parent, QFont& font, bool fixedPitchOnly) {
  if (Hooks && Hooks->Font) return Hooks->Font(font);
  bool ok = false;
  // Preset with the face shown, not a family that is not installed; and with the style shown, or
  // the dialog takes the family's first style (an oblique one, say).
  const QFontInfo info(font);
  QFont shown = font;
  shown.setFamily(info.family());
  shown.setStyleName(info.styleName());
  const QFont chosen = QFontDialog::getFont(
      &ok, shown, parent, QString(), fixedPitchOnly ? QFontDialog::MonospacedFonts : QFontDialog::FontDialogOptions());
  if (!ok) return false;
  // By weight and slant, not by a style name, which would fix the face against the bold and
  // italic that highlighting gives single tokens.
  font = chosen;
  font.setStyleName(QString());
  return true;
}

void ShellOpen(const QString& url) { QDesktopServices::openUrl(QUrl(url)); }
