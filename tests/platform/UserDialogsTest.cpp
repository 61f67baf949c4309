#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
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

// The font dialog confirmed without a change gives the font it was opened with, as shown, and
// bold still makes it bold.
TEST(UserDialogs, FontDialogConfirmedAsItOpensChangesNothing) {
  for (const QFont& given : {QFont(QStringLiteral("Courier New"), 10), QFont(QStringLiteral("Monospace"), 12)}) {
    QTimer::singleShot(0, [] {
      if (auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget())) dialog->accept();
    });
    QFont font = given;
    ASSERT_TRUE(AskFont(nullptr, font, true));
    const QFontInfo before(given), after(font);
    EXPECT_EQ(after.family(), before.family());
    EXPECT_EQ(after.styleName(), before.styleName());
    EXPECT_EQ(after.italic(), before.italic());
    EXPECT_EQ(after.bold(), before.bold());
    EXPECT_EQ(after.pointSize(), before.pointSize());
    // Highlighting still draws a keyword bold in it.
    const auto draw = [](QFont f, bool bold) {
      f.setBold(bold);
      QImage image(80, 30, QImage::Format_RGB32);
      image.fill(Qt::white);
      QPainter p(&image);
      p.setFont(f);
      p.drawText(2, 20, QStringLiteral("nop"));
      return image;
    };
    EXPECT_NE(draw(font, true), draw(font, false));
  }
}
