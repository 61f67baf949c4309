#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/ui/UserDialogs.h"

// The save dialog for a file whose folder is gone starts in the nearest folder that is there and
// names the bare file; otherwise it starts beside the file.
TEST(UserDialogs, SaveDialogStartsInAFolderThatIsThere) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("here")));
  const std::pair<QString, QString> cases[] = {
      {dir.filePath(QStringLiteral("gone/deeper/x.asm")), dir.path()},
      {dir.filePath(QStringLiteral("here/x.asm")), dir.filePath(QStringLiteral("here"))},
  };
  for (const auto& [preset, folder] : cases) {
    QString shown;
    QStringList selected;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      shown = dialog->directory().absolutePath();
      selected = dialog->selectedFiles();
      dialog->reject();
    });
    EXPECT_TRUE(AskSaveFileName(nullptr, QStringLiteral("Speichern unter"), preset, QString(), QString()).isEmpty());
    EXPECT_EQ(shown, folder) << preset.toStdString();
    EXPECT_EQ(selected, QStringList{QDir(folder).filePath(QStringLiteral("x.asm"))}) << preset.toStdString();
  }
}
