// Recent files, changes made outside and crash recovery, driven through the main window.
#include <QMenu>

#include "AppFixture.h"

using FileSafetyTest = AppTest;

TEST_F(FileSafetyTest, RecentMenuListsOpenedProjectsFirstAndKeepsTheRestOfTheSettingsFile) {
  const QByteArray settings = "[General]\r\nWindow.Left=7\r\n; J\xF6rg\r\n";
  WriteFile("Kodrill.ini", settings);
  WriteFile("a.asm", "a\n");
  WriteFile("p.AsmPrj", "[global]\r\nFileCount=0\r\n");
  OpenNames = {Path("a.asm"), Path("p.AsmPrj")};
  Trigger("MenOpen");
  Trigger("MenOpen");
  QFile::remove(Path("a.asm"));
  auto* menu = Main->findChild<QMenu*>(QStringLiteral("MenRecent"));
  emit menu->aboutToShow();
  const QList<QAction*> items = menu->actions();
  ASSERT_EQ(items.size(), 3);  // the project, a separator, the file that is gone
  EXPECT_EQ(items[0]->text(), QStringLiteral("&1 ") + Native("p.AsmPrj"));
  EXPECT_TRUE(items[1]->isSeparator());
  EXPECT_FALSE(items[2]->isEnabled());
  const QByteArray recent = "[Recent]\r\nEntry1=" + Native("p.AsmPrj").toUtf8() + "\r\nEntry2=" +
                            Native("a.asm").toUtf8() + "\r\n";
  EXPECT_EQ(ReadFile("Kodrill.ini"), settings + recent);

  // The next start reads the list; saving the settings writes it after everything else.
  TKodrillApp next;
  next.SetSettingsFilePath(Path("Kodrill.ini"));
  next.LoadPrefs();
  EXPECT_EQ(next.RecentFiles().Entries(), KodrillApp->RecentFiles().Entries());
  Trigger("MenSavePrefs");
  const QByteArray saved = ReadFile("Kodrill.ini");
  EXPECT_TRUE(saved.endsWith(recent) && saved.indexOf("[General]") < saved.indexOf("[Recent]")) << saved.data();
}
