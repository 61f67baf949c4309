// Project and settings files come from anywhere: loading and saving them writes only the file the
// user chose, whatever paths they name, and runs nothing they name.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "HardeningUtil.h"
#include "TestProjectFile.h"
#include "settings/KodrillApp.h"

using namespace Hardening;

namespace {

// A program that leaves a mark when run.
QString MarkerProgram(const QString& dir) {
  const QString program = dir + QStringLiteral("/asl");
  WriteAll(program, QStringLiteral("#!/bin/sh\ntouch '%1/ausgefuehrt'\n").arg(dir).toUtf8());
  QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return program;
}

}  // namespace

TEST(HostileFile, ProjectNamingFilesElsewhereWritesOnlyItself) {
  QTemporaryDir root;
  const QString project = root.filePath(QStringLiteral("projekt"));
  const QString outside = root.filePath(QStringLiteral("draussen"));
  ASSERT_TRUE(QDir().mkdir(project) && QDir().mkdir(outside));
  ASSERT_TRUE(WriteAll(outside + QStringLiteral("/opfer.asm"), "\tnop\n"));
  const QString program = MarkerProgram(outside);
  const QString text = QStringLiteral(
      "[global]\r\nProcessor=$(%1)\r\nNumberFormat=`%1`\r\nFileCount=4\r\n"
      "[File1]\r\nFile=..\\draussen\\opfer.asm\r\n"
      "[File2]\r\nFile=opfer.asm\r\nDirectory=%2\r\n"
      "[File3]\r\nFile=%2/neu.asm\r\nDirectory=..\\..\\..\\\r\n"
      "[File4]\r\nFile=%1\r\nFileType=%1\r\n"
      "[HighLighter]\r\n")
      .arg(program, outside);
  const QString file = project + QStringLiteral("/boese.AsmPrj");
  ASSERT_TRUE(WriteAll(file, text.toUtf8()));
  const auto before = Snapshot(root.path());

  {
    TLoadedProject loaded;
    loaded.Load(project + QLatin1Char('/'), QStringLiteral("boese.AsmPrj"));
    ASSERT_EQ(loaded.Files.size(), 4u);
    EXPECT_EQ(loaded.Project.Processor, QStringLiteral("$(%1)").arg(program));  // kept as text
    loaded.Project.Save();
  }
  auto after = Snapshot(root.path());
  EXPECT_FALSE(after.contains(QStringLiteral("draussen/ausgefuehrt")));
  ASSERT_TRUE(after.contains(QStringLiteral("projekt/boese.AsmPrj")));
  EXPECT_NE(after.value(QStringLiteral("projekt/boese.AsmPrj")), before.value(QStringLiteral("projekt/boese.AsmPrj")));
  after.remove(QStringLiteral("projekt/boese.AsmPrj"));
  auto unchanged = before;
  unchanged.remove(QStringLiteral("projekt/boese.AsmPrj"));
  EXPECT_EQ(after, unchanged);

  // The saved project still names the same files, so nothing the user had is lost from it.
  TLoadedProject again;
  again.Load(project + QLatin1Char('/'), QStringLiteral("boese.AsmPrj"));
  ASSERT_EQ(again.Files.size(), 4u);
  EXPECT_EQ(again.Files[1]->Directory + again.Files[1]->File,
            QDir::toNativeSeparators(outside + QStringLiteral("/opfer.asm")));
}

TEST(HostileFile, SettingsNamingProgramsRunNothingAndWriteOnlyThemselves) {
  QTemporaryDir root;
  const QString outside = root.filePath(QStringLiteral("draussen"));
  ASSERT_TRUE(QDir().mkdir(outside));
  const QString program = MarkerProgram(outside);
  const QString ini = root.filePath(QStringLiteral("Kodrill.ini"));
  ASSERT_TRUE(WriteAll(ini, QStringLiteral("[Assembler]\r\nAsExecutable=%1\r\nAsDirectory=%2/\r\n"
                                           "DefaultProcessor=$(%1)\r\n[General]\r\nProjectDirectory=%2/\r\n"
                                           "KodrillDirectory=%2/\r\n[HighLighter]\r\nFont.Name=`%1`\r\n")
                                .arg(program, outside)
                                .toUtf8()));
  const auto before = Snapshot(root.path());
  {
    TKodrillApp app;
    KodrillApp = &app;
    app.SetSettingsFilePath(ini);
    app.LoadPrefs();
    app.SavePrefs();
    KodrillApp = nullptr;
  }
  auto after = Snapshot(root.path());
  EXPECT_FALSE(after.contains(QStringLiteral("draussen/ausgefuehrt")));
  after.remove(QStringLiteral("Kodrill.ini"));
  auto unchanged = before;
  unchanged.remove(QStringLiteral("Kodrill.ini"));
  EXPECT_EQ(after, unchanged);
  EXPECT_TRUE(ReadAll(ini).contains(program.toUtf8()));  // the setting itself is kept
}

#ifndef Q_OS_WIN
TEST(HostileFile, ColonInFileNameSurvivesProjectSave) {
  // Without drives a colon is part of the name: "a:b.asm" in "sub" must not become "b.asm" in "sub/a:".
  QTemporaryDir root;
  const QString file = root.filePath(QStringLiteral("projekt.AsmPrj"));
  ASSERT_TRUE(WriteAll(file, "[global]\r\nFileCount=2\r\n[File1]\r\nFile=sub\\a:b.asm\r\n"
                             "[File2]\r\nFile=sub\\:c.asm\r\n"));
  TLoadedProject first;
  first.Load(root.path() + QLatin1Char('/'), QStringLiteral("projekt.AsmPrj"));
  first.Project.Save();
  ASSERT_EQ(first.Files.size(), 2u);
  EXPECT_EQ(first.Files[0]->File.toStdString(), "a:b.asm");
  EXPECT_EQ(first.Files[1]->File.toStdString(), ":c.asm");

  TLoadedProject second;
  second.Load(root.path() + QLatin1Char('/'), QStringLiteral("projekt.AsmPrj"));
  ASSERT_EQ(second.Files.size(), 2u);
  const QString expected[] = {root.path() + QStringLiteral("/sub/a:b.asm"), root.path() + QStringLiteral("/sub/:c.asm")};
  for (int i = 0; i < 2; ++i) {
    const TTestProjectFile& f = *second.Files[std::size_t(i)];
    const QString dir = f.Directory.isEmpty() ? root.path() + QLatin1Char('/') : f.Directory;
    EXPECT_EQ(QDir::cleanPath(dir + f.File).toStdString(), expected[i].toStdString());
  }
}
#endif
