// The real program, killed in the middle of typing, offers at its next start every character
// typed more than two seconds before the kill. It runs under an X server of its own and is
// typed into with xdotool.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

class RecoveryKillTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (QProcess* p : {&App, &Typing, &X}) {
      p->kill();
      p->waitForFinished();
    }
  }
  QString Xdo(const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(Env);
    p.start(XdoTool, args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  }
  // Gives the input focus to the window whose title matches (there is no window manager).
  bool Focus(const QString& title) {
    QString id;
    return QTest::qWaitFor(
               [&] { return !(id = Xdo({"search", "--onlyvisible", "--name", title}).section(u'\n', 0, 0)).isEmpty(); },
               15000) &&
           (Xdo({"windowfocus", id}), QTest::qWaitFor([&] { return Xdo({"getwindowfocus"}) == id; }, 5000));
  }
  void Start(const QStringList& args) {
    App.setProcessEnvironment(Env);
    App.start(Dir.filePath("kodrill"), args);
    ASSERT_TRUE(App.waitForStarted());
  }

  QTemporaryDir Dir;
  QString XdoTool = QStandardPaths::findExecutable("xdotool");
  QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
  QProcess X, App, Typing;
};

TEST_F(RecoveryKillTest, TextTypedTwoSecondsBeforeAKillIsOfferedAtTheNextStart) {
  const QString xvfb = QStandardPaths::findExecutable("Xvfb");
  if (xvfb.isEmpty() || XdoTool.isEmpty()) GTEST_SKIP() << "Xvfb and xdotool are needed to type into the program";
  // Kodrill.ini lies beside the program: a copy of the program has settings of its own.
  ASSERT_TRUE(QFile::copy(KODRILL_PROGRAM, Dir.filePath("kodrill")));
  QFile ini(Dir.filePath("Kodrill.ini")), source(Dir.filePath("a.asm"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly) && source.open(QIODevice::WriteOnly));
  ini.write("[General]\r\nProjectDirectory=" + Dir.path().toUtf8() + "\r\n");
  source.write("\tnop\r\n");
  ini.close(), source.close();

  X.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
  ASSERT_TRUE(X.waitForReadyRead(10000));
  Env.insert("DISPLAY", u':' + QString::fromLatin1(X.readAllStandardOutput()).trimmed());
  Env.insert("QT_QPA_PLATFORM", "xcb");
  Env.remove("WAYLAND_DISPLAY");

  Start({"a.asm"});
  ASSERT_TRUE(Focus("Kodrill"));
  Xdo({"type", "--delay", "20", "first "});
  QElapsedTimer sinceFirst;
  sinceFirst.start();
  Typing.setProcessEnvironment(Env);
  Typing.start(XdoTool, {"type", "--delay", "100", "second part typed while being killed"});
  QTest::qWait(int(2000 - sinceFirst.elapsed()));
  ::kill(pid_t(App.processId()), SIGKILL);
  ASSERT_TRUE(App.waitForFinished());
  Typing.waitForFinished();

  Start({});
  ASSERT_TRUE(Focus("^Assembler-Editor$"));
  Xdo({"key", "Return"});  // "Wiederherstellen"
  ASSERT_TRUE(Focus("Kodrill"));
  Xdo({"key", "ctrl+s"});
  QByteArray saved;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        QFile f(Dir.filePath("a.asm"));
        return f.open(QIODevice::ReadOnly) && (saved = f.readAll()) != "\tnop\r\n";
      },
      10000));
  qDebug("%s %lld", saved.constData(), sinceFirst.elapsed());
  ASSERT_TRUE(saved.startsWith("first ") && saved.endsWith("\tnop\r\n")) << saved.toStdString();
  const QByteArray later = saved.mid(6, saved.size() - 6 - 6);
  EXPECT_TRUE(QByteArray("second part typed while being killed").startsWith(later)) << saved.toStdString();
}

}  // namespace
