// A save killed at any moment (SIGKILL on a child that saves a large text in a loop) leaves the
// file complete: byte for byte one of the versions saved, never a mix or a cut.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include "HardeningUtil.h"
#include "editor/EditLines.h"

using namespace Hardening;

TEST(SaveKill, FileIsAlwaysOneCompleteVersion) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("gross.asm"));
  const QByteArray versions[2] = {QByteArray::fromStdString(SaveVersion(0)),
                                  QByteArray::fromStdString(SaveVersion(1))};
  ASSERT_TRUE(WriteAll(path, versions[0]));

  QRandomGenerator random(4711);  // fixed seed: the same kill moments on every run
  for (int round = 0; round < 8; ++round) {
    QProcess child;
    child.start(QStringLiteral(KODRILL_SAVE_CHILD), {path});
    ASSERT_TRUE(child.waitForStarted());
    // The kill falls after the first complete save, into a later one or between two.
    ASSERT_TRUE(child.waitForReadyRead(30000)) << child.readAllStandardError().toStdString();
    QThread::msleep(random.bounded(1, 120));
    child.kill();
    child.waitForFinished();

    const QByteArray now = ReadAll(path);
    const bool complete = now == versions[0] || now == versions[1];
    EXPECT_TRUE(complete) << "round " << round << ": " << now.size() << " bytes";

    // A later save over what was left still works.
    TEditLines lines;
    lines.LoadFromFile(path);
    EXPECT_EQ(QByteArray::fromStdString(lines.SaveToBytes()), now);
  }
}
