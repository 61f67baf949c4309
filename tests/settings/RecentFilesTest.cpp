// The list of files and projects opened last.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "SettingsTestUtil.h"
#include "settings/RecentFiles.h"

using namespace Qt::StringLiterals;

TEST(RecentFilesTest, KeepsTheLastTenOnceEachAndListsProjectsFirst) {
  QTemporaryDir dir;
  const auto full = [&](const QString& name) { return QDir::toNativeSeparators(dir.filePath(name)); };
  QStringList eleven;
  for (int i = 1; i <= 11; ++i) eleven << u"%1.asm"_s.arg(i);
  const struct {
    QStringList Added, Expected;  // most recent first
  } cases[] = {
      {{u"a.asm"_s, u"b.asm"_s, u"sub/../a.asm"_s}, {u"a.asm"_s, u"b.asm"_s}},
      {eleven, QStringList(eleven.crbegin(), eleven.crbegin() + 10)},
      {{u"a.asm"_s, u"x\ny.asm"_s, {}}, {u"a.asm"_s}},
  };
  for (const auto& [added, expected] : cases) {
    TRecentFiles recent;
    for (const QString& name : added) recent.Add(name.isEmpty() ? name : full(name));
    QStringList want;
    for (const QString& name : expected) want << full(name);
    EXPECT_EQ(recent.Entries(), want);
    TRecentFiles reread;
    reread.LoadFromList(recent.SaveToList());
    EXPECT_EQ(reread.Entries(), want);
  }

  WriteBytes(full(u"a.asm"_s), "a\n");
  WriteBytes(full(u"p.AsmPrj"_s), "");
  TRecentFiles recent;
  recent.LoadFromList({u"Entry2=%1"_s.arg(full(u"p.AsmPrj"_s)), u"Entry1=%1"_s.arg(full(u"gone.asm"_s)),
                       u"Entry9=%1"_s.arg(full(u"a.asm"_s)), u"Entry3=%1"_s.arg(full(u"gone.ASMPRJ"_s))});
  QStringList menu;
  for (const TRecentFiles::TEntry& e : recent.MenuEntries())
    menu << QDir(dir.path()).relativeFilePath(e.Path) + (e.Project ? u" P"_s : u""_s) + (e.Exists ? u""_s : u" -"_s);
  EXPECT_EQ(menu, (QStringList{u"p.AsmPrj P"_s, u"gone.ASMPRJ P -"_s, u"gone.asm -"_s, u"a.asm"_s}));
}
