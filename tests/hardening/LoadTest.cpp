// Loading foreign files: huge, binary and odd texts load without a crash or a hang and round-trip
// byte for byte, a failure names the file and keeps the text; a project file from anywhere writes
// only itself, whatever paths it names, and runs nothing it names.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <memory>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "HardeningUtil.h"
#include "editor/EditLines.h"
#include "settings/Project.h"

using namespace Hardening;

namespace {

// Loads Path into a text holding one known line; a failure must name the file and keep the line.
void ExpectLoadFailure(const QString& path, const char* reason) {
  TEditLines lines;
  lines.LoadFromBytes("\tbleibt\n");
  try {
    lines.LoadFromFile(path);
    ADD_FAILURE() << "loading " << path.toStdString() << " succeeded";
  } catch (const EEditFileError& e) {
    const QString message = QString::fromUtf8(e.what());
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path)) && message.contains(QString::fromUtf8(reason))) << e.what();
  }
  EXPECT_EQ(lines.SaveToBytes(), "\tbleibt\n");
}

// A project that keeps the files it opens, without views.
class TTestProjectFile : public TProjectFile {
 public:
  void CreateView() override {}
  void DestroyView() override {}
  void LoadView() override {}
  void ApplyHighlighterPrefs() override {}
};

struct TLoadedProject {
  TProject Project;
  std::vector<std::unique_ptr<TTestProjectFile>> Files;

  TLoadedProject(const QString& directory, const QString& fileName) {
    Project.Directory = directory;
    Project.FileName = fileName;
    Project.OnOpenFile = [this](const TStringIniList& section) {
      Files.push_back(std::make_unique<TTestProjectFile>());
      Files.back()->LoadFromList(section);
      Project.AddFile(Files.back().get());
    };
    Project.Load();
  }
};

}  // namespace

TEST(Load, HugeFileLoadsAndSavesBack) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("gross.asm"));
  const QByteArray line = "loop:   ldaa  $1000,x   ; 100 MiB Quelltext zum Laden\r\n";
  const int count = (100 << 20) / int(line.size());
  ASSERT_TRUE(WriteAll(path, line.repeated(count)));
  TEditLines lines;
  lines.LoadFromFile(path);
  ASSERT_EQ(lines.Count(), count);
  EXPECT_EQ(lines.LineBreakStyle(), TLineBreakStyle::CrLf);
  EXPECT_EQ(lines[count - 1], line.chopped(2).toStdString());
  lines.Put(count - 1, "\tend");
  lines.SaveToFile(path);
  EXPECT_EQ(QFileInfo(path).size(), qint64(count - 1) * line.size() + 6);
}

TEST(Load, OddBytesRoundTrip) {
  // One 10 MiB line without a final line break; every byte value; lone CRs, CR CR LF and NULs at
  // line ends; random bytes.
  std::vector<QByteArray> cases{QByteArray(10 << 20, 'x') + "\n\tnop", QByteArray(), QByteArray("a\r\rb\r\r\n\0\r\n\r", 12)};
  for (int b = 0; b < 3 * 256; ++b) cases[1] += char(b);
  QRandomGenerator random(1234);
  for (int round = 0; round < 5; ++round) {
    cases.emplace_back(int(random.bounded(1, 70000)), Qt::Uninitialized);
    for (char& c : cases.back()) c = char(random.bounded(256));
  }
  QTemporaryDir dir;
  const QString in = dir.filePath(QStringLiteral("ein.bin")), out = dir.filePath(QStringLiteral("aus.bin"));
  for (const QByteArray& bytes : cases) {
    SCOPED_TRACE(bytes.left(16).toHex().toStdString());
    ASSERT_TRUE(WriteAll(in, bytes));
    TEditLines lines;
    lines.LoadFromFile(in);
    for (int i = 0; i < lines.Count(); ++i) lines.Text(i);  // decoding any byte must be safe
    EXPECT_TRUE(&bytes != &cases[0] || lines.Count() == 2) << lines.Count() << " lines";
    lines.SaveToFile(out);
    EXPECT_EQ(ReadAll(out), bytes);
  }
}

TEST(Load, UnreadableInputFailsCleanly) {
  QTemporaryDir dir;
  ExpectLoadFailure(dir.filePath(QStringLiteral("verschwunden.asm")), "verschwunden.asm");
  ExpectLoadFailure(dir.path(), "Verzeichnis");
#ifdef Q_OS_UNIX
  const QString pipe = dir.filePath(QStringLiteral("rohr.asm"));
  ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  // A writer that ends a wrongful read: then the load returns and the test fails instead of hanging.
  std::thread writer([&] {
    QFile f(pipe);
    if (f.open(QIODevice::WriteOnly)) f.write("\tnop\n");
  });
  ExpectLoadFailure(pipe, "keine gewöhnliche Datei");
  QFile reader(pipe);  // releases the writer when the loader rightly stayed away
  reader.open(QIODevice::ReadOnly);
  writer.join();
#endif
}

TEST(HostileFile, ProjectNamingFilesElsewhereWritesOnlyItself) {
  QTemporaryDir root;
  const QString outside = root.filePath(QStringLiteral("draussen")), project = root.filePath(QStringLiteral("projekt/"));
  ASSERT_TRUE(QDir().mkpath(outside) && QDir().mkpath(project) && WriteAll(outside + QStringLiteral("/opfer.asm"), "\tnop\n"));
  const QString program = outside + QStringLiteral("/asl");  // leaves a mark when run
  WriteAll(program, QStringLiteral("#!/bin/sh\ntouch '%1/ausgefuehrt'\n").arg(outside).toUtf8());
  QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(WriteAll(project + QStringLiteral("boese.AsmPrj"),
                       QStringLiteral("[global]\r\nProcessor=$(%1)\r\nNumberFormat=`%1`\r\nFileCount=4\r\n"
                                      "[File1]\r\nFile=..\\draussen\\opfer.asm\r\n[File2]\r\nFile=opfer.asm\r\nDirectory=%2\r\n"
                                      "[File3]\r\nFile=%2/neu.asm\r\nDirectory=..\\..\\..\\\r\n"
                                      "[File4]\r\nFile=%1\r\nFileType=%1\r\n[HighLighter]\r\n")
                           .arg(program, outside)
                           .toUtf8()));
  auto before = Snapshot(root.path());
  {
    TLoadedProject loaded(project, QStringLiteral("boese.AsmPrj"));
    ASSERT_EQ(loaded.Files.size(), 4u);
    EXPECT_EQ(loaded.Project.Processor, QStringLiteral("$(%1)").arg(program));  // kept as text
    loaded.Project.Save();
  }
  auto after = Snapshot(root.path());
  EXPECT_FALSE(after.contains(QStringLiteral("draussen/ausgefuehrt")));
  EXPECT_NE(after.take(QStringLiteral("projekt/boese.AsmPrj")), before.take(QStringLiteral("projekt/boese.AsmPrj")));
  EXPECT_EQ(after, before);  // nothing but the project file written
  // The saved project still names the same files, so nothing the user had is lost from it.
  TLoadedProject again(project, QStringLiteral("boese.AsmPrj"));
  ASSERT_EQ(again.Files.size(), 4u);
  EXPECT_EQ(again.Files[1]->Directory + again.Files[1]->File, QDir::toNativeSeparators(outside + QStringLiteral("/opfer.asm")));
}

#ifndef Q_OS_WIN
TEST(HostileFile, ColonInFileNameSurvivesProjectSave) {
  // Without drives a colon is part of the name: "a:b.asm" in "sub" must not become "b.asm" in "sub/a:",
  // nor ":d.asm" a resource path.
  QTemporaryDir root;
  const QString dir = root.path() + QLatin1Char('/');
  ASSERT_TRUE(WriteAll(dir + QStringLiteral("projekt.AsmPrj"), "[global]\r\nFileCount=3\r\n[File1]\r\nFile=sub\\a:b.asm\r\n"
                       "[File2]\r\nFile=sub\\:c.asm\r\n[File3]\r\nFile=:d.asm\r\nDirectory=" + dir.toUtf8() + "sub\r\n"));
  TLoadedProject(dir, QStringLiteral("projekt.AsmPrj")).Project.Save();
  TLoadedProject second(dir, QStringLiteral("projekt.AsmPrj"));
  ASSERT_EQ(second.Files.size(), 3u);
  const char* expected[] = {"sub/a:b.asm", "sub/:c.asm", "sub/:d.asm"};
  for (std::size_t i = 0; i < 3; ++i) {
    const QString folder = second.Files[i]->Directory.isEmpty() ? dir : second.Files[i]->Directory;
    EXPECT_EQ(QDir::cleanPath(folder + second.Files[i]->File).toStdString(), dir.toStdString() + expected[i]);
  }
}
#endif
