// The process runner against real child processes (small shell scripts).
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "assemble/RunProcess.h"

namespace {

struct TRecorder {
  QStringList Errors, Debug;
  QByteArray Output;
  int Completed = 0;
  void Attach(TRunProcess& run) {
    run.OnError = [this](TRunProcess*, const QString& m) { Errors << m; };
    run.OnDebug = [this](TRunProcess*, const QString& m) { Debug << m; };
    run.OnRedirectChar = [this](TRunProcess*, char ch) { Output.append(ch); };
    run.OnComplete = [this](TRunProcess*) {
      ++Completed;
      return true;
    };
  }
};

class RunProcessTest : public ::testing::Test {
 protected:
  QTemporaryDir Dir;
  QString Script(const QString& name, const QByteArray& body) {
    const QString path = Dir.filePath(name);
    WriteFile(path, "#!/bin/sh\n" + body, true);
    return path;
  }
};

}  // namespace

TEST_F(RunProcessTest, FailuresBeforeTheStart) {
  TRunProcess run;
  TRecorder rec;
  rec.Attach(run);
  EXPECT_FALSE(run.Execute());
  EXPECT_EQ(rec.Errors, QStringList{"Process Command Empty"});
  EXPECT_EQ(run.ErrorCode(), 87);

  run.Command = "no-such-program-kodrill -a b";
  EXPECT_FALSE(run.Execute());
  EXPECT_EQ(rec.Errors.last(), "Process not found: \"no-such-program-kodrill -a b\"");
  EXPECT_EQ(run.ErrorCode(), 2);
  EXPECT_EQ(rec.Completed, 0);
}

TEST_F(RunProcessTest, CapturesBothStreamsInOrderWithArguments) {
  const QString tool = Script("tool", "echo \"args:$1|$2\"\necho out1\necho err1 >&2\necho out2\necho err2 >&2\n");
  TRunProcess run;
  TRecorder rec;
  rec.Attach(run);
  run.Command = tool + " -a b";
  ASSERT_TRUE(run.Execute());
  EXPECT_EQ(rec.Output, "args:-a|b\nout1\nerr1\nout2\nerr2\n");
  EXPECT_EQ(rec.Completed, 1);
  EXPECT_TRUE(rec.Errors.isEmpty());
  EXPECT_EQ(rec.Debug.first(), "Process Full File Name: " + tool);
  EXPECT_TRUE(rec.Debug.contains("Creating Process: [" + tool + " -a b]"));
  EXPECT_EQ(rec.Debug.last(), "Closing Redirection Handles");

  // The run consumed capture mode: the next one does not capture.
  EXPECT_EQ(run.UseShow, 0);
  rec.Output.clear();
  rec.Debug.clear();
  ASSERT_TRUE(run.Execute());
  EXPECT_TRUE(rec.Output.isEmpty());
  EXPECT_FALSE(rec.Debug.contains("Creating Redirection Handles"));
}

TEST_F(RunProcessTest, SilentChildAndFinalFlush) {
  TRunProcess run;
  TRecorder rec;
  rec.Attach(run);
  run.Command = Script("quiet", "exit 0\n");
  ASSERT_TRUE(run.Execute());
  EXPECT_TRUE(rec.Output.isEmpty());
  EXPECT_EQ(rec.Debug.at(1), "Creating Redirection Handles");
  EXPECT_TRUE(rec.Debug.contains("End Redirection"));
  EXPECT_EQ(rec.Debug.last(), "Closing Redirection Handles");

  // More than a pipe holds, written right before the exit, arrives whole.
  run.UseShow = -2;
  run.Command = Script("burst", "i=0\nwhile [ $i -lt 3000 ]; do echo 0123456789012345678901234567890123456789; i=$((i+1)); done\nprintf end\n");
  ASSERT_TRUE(run.Execute());
  EXPECT_EQ(rec.Output.size(), 3000 * 41 + 3);
  EXPECT_TRUE(rec.Output.endsWith("9\nend"));
}

TEST_F(RunProcessTest, NoWaitReturnsAtOnce) {
  TRunProcess run;
  TRecorder rec;
  rec.Attach(run);
  run.UseWait = false;
  const QString marker = Dir.filePath("marker");
  run.Command = Script("later", "echo hidden\ntouch '" + marker.toUtf8() + "'\n");
  ASSERT_TRUE(run.Execute());
  EXPECT_EQ(rec.Completed, 1);
  EXPECT_TRUE(rec.Output.isEmpty());
}

TEST_F(RunProcessTest, AbortedWaitEndsChildAndWhatItStarted) {
  const QString pidFile = Dir.filePath("pid");
  TRunProcess run;
  TRecorder rec;
  rec.Attach(run);
  int asked = 0;
  run.OnTaskSwitch = [&](TRunProcess*) { return ++asked < 3; };
  run.Command = Script("hang", "sleep 60 &\necho $! > '" + pidFile.toUtf8() + "'\necho started\nwait\n");
  ASSERT_TRUE(run.Execute());
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(rec.Errors, QStringList{"Force Exit: Process Wait Completion Aborted"});
  EXPECT_EQ(rec.Completed, 1);
  EXPECT_EQ(rec.Output, "started\n");
#ifdef Q_OS_LINUX
  const QByteArray pid = ReadFile(pidFile).trimmed();
  ASSERT_FALSE(pid.isEmpty());
  EXPECT_TRUE(ProcessEnded(pid));
#endif
}

TEST_F(RunProcessTest, ThroughTheCommandInterpreter) {
  QDir(Dir.path()).mkdir("with blank");
  const QString bat = Dir.filePath("with blank/make.bat");
  WriteFile(bat, "@echo off\r\necho from batch\r\n");
  TRunProcess run;
  TRecorder rec;
  rec.Attach(run);
  run.UseComSpec = true;
  run.Command = bat;
  {
    TScopedEnv comspec("COMSPEC", KODRILL_CMD_PATH);
    ASSERT_TRUE(run.Execute());
  }
  EXPECT_EQ(rec.Output, "from batch\n");
  EXPECT_TRUE(rec.Debug.contains(QStringLiteral("Using COMSPEC=" KODRILL_CMD_PATH)));
  EXPECT_TRUE(rec.Debug.contains(QStringLiteral("Creating Process: [" KODRILL_CMD_PATH " /C ") + bat + "]"));

  // Without COMSPEC our own interpreter is found (beside the program, else along PATH).
  rec.Output.clear();
  run.UseShow = -2;
  {
    TScopedEnv comspec("COMSPEC", QByteArray());
    TScopedEnv path("PATH", QFileInfo(KODRILL_CMD_PATH).path().toUtf8() + ":" + qgetenv("PATH"));
    ASSERT_TRUE(run.Execute());
  }
  EXPECT_EQ(rec.Output, "from batch\n");

  // An interpreter that cannot be started is reported.
  rec.Output.clear();
  run.UseShow = -2;
  {
    TScopedEnv comspec("COMSPEC", Dir.filePath("missing-cmd").toUtf8());
    EXPECT_FALSE(run.Execute());
  }
  EXPECT_TRUE(rec.Errors.last().startsWith("CreateProcess Error (2) ")) << rec.Errors.last().toStdString();
}

TEST_F(RunProcessTest, SearchExecutableOrder) {
  EXPECT_EQ(TRunProcess::SearchExecutable("", true), "");
  const QString saved = QDir::currentPath();
  QDir(Dir.path()).mkdir("path");
  const QString pathDir = Dir.filePath("path");
  for (const char* name : {"tool.COM", "tool.BAT", "bare", "other.cmd"}) WriteFile(Dir.filePath(name), "x");
  for (const char* name : {"tool.EXE", "far.BAT", "bare2"}) WriteFile(pathDir + "/" + name, "x");
  TScopedEnv path("PATH", pathDir.toUtf8());
  QDir::setCurrent(Dir.path());
  // The current directory comes first, per extension in turn.
  EXPECT_EQ(TRunProcess::SearchExecutable("tool -x", false), "tool.COM");
  EXPECT_EQ(TRunProcess::SearchExecutable("tool -x", true), pathDir + "/tool.EXE");
  EXPECT_EQ(TRunProcess::SearchExecutable("far", true), pathDir + "/far.BAT");
  EXPECT_EQ(TRunProcess::SearchExecutable("other.cmd a", true), "other.cmd");
  EXPECT_EQ(TRunProcess::SearchExecutable(Dir.filePath("bare"), true), Dir.filePath("bare"));
  EXPECT_EQ(TRunProcess::SearchExecutable("other", true), "");
  EXPECT_EQ(TRunProcess::SearchExecutable("bare2", true), pathDir + "/bare2");
  EXPECT_EQ(TRunProcess::GetEnvVar("PATH"), pathDir);
  QDir::setCurrent(saved);
}
