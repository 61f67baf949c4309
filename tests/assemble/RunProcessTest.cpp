// The process runner against real child processes (small shell scripts).
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "assemble/RunProcess.h"

namespace {

class RunProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Run.OnError = [this](TRunProcess*, const QString& m) { Errors << m; };
    Run.OnRedirectChar = [this](TRunProcess*, char ch) { Output.append(ch); };
    Run.OnComplete = [this](TRunProcess*) { return ++Completed > 0; };
  }
  QString Script(const QString& name, const QByteArray& body) {
    WriteFile(Dir.filePath(name), "#!/bin/sh\n" + body, true);
    return Dir.filePath(name);
  }
  // Runs Command in capture mode, with the output of earlier runs cleared.
  bool Execute(const QString& command) {
    Output.clear();
    Run.Command = command;
    Run.UseShow = -2;
    return Run.Execute();
  }

  QTemporaryDir Dir;
  TRunProcess Run;
  QStringList Errors;
  QByteArray Output;
  int Completed = 0;
};

}  // namespace

TEST_F(RunProcessTest, FailuresBeforeTheStart) {
  EXPECT_FALSE(Execute(""));
  EXPECT_FALSE(Execute("no-such-program-kodrill -a b"));
  EXPECT_EQ(Errors, (QStringList{"Process Command Empty", "Process not found: \"no-such-program-kodrill -a b\""}));
  EXPECT_EQ(Completed, 0);
}

TEST_F(RunProcessTest, CapturesBothStreamsInOrderToTheLastByte) {
  const QString tool = Script("tool", "echo \"args:$1|$2\"\necho out1\necho err1 >&2\necho out2\necho err2 >&2\n");
  ASSERT_TRUE(Execute(tool + " -a b"));
  EXPECT_EQ(Output, "args:-a|b\nout1\nerr1\nout2\nerr2\n");
  // The run consumed capture mode: the next one does not capture.
  EXPECT_EQ(Run.UseShow, 0);
  Output.clear();
  ASSERT_TRUE(Run.Execute());
  EXPECT_TRUE(Output.isEmpty());
  // More than a pipe holds, written right before the exit, arrives whole.
  ASSERT_TRUE(Execute(Script("burst", "i=0\nwhile [ $i -lt 3000 ]; do echo 0123456789012345678901234567890123456789; "
                                      "i=$((i+1)); done\nprintf end\n")));
  EXPECT_EQ(Output.size(), 3000 * 41 + 3);
  EXPECT_TRUE(Output.endsWith("9\nend"));
  Run.UseWait = false;
  ASSERT_TRUE(Execute(Script("later", "sleep 1; echo hidden\n")));
  EXPECT_TRUE(Output.isEmpty());
  EXPECT_EQ(Completed, 4);
}

// Without COMSPEC our own interpreter is found (beside the program, else along PATH).
TEST_F(RunProcessTest, OwnInterpreterWithoutComSpec) {
  QDir(Dir.path()).mkdir("with blank");
  WriteFile(Dir.filePath("with blank/make.bat"), "@echo off\r\necho from batch\r\n");
  Run.UseComSpec = true;
  TScopedEnv comspec("COMSPEC", QByteArray()), path("PATH", QFileInfo(KODRILL_CMD_PATH).path().toUtf8());
  ASSERT_TRUE(Execute(Dir.filePath("with blank/make.bat")));
  EXPECT_EQ(Output, "from batch\n");
}

TEST_F(RunProcessTest, SearchExecutableOrder) {
  const QString saved = QDir::currentPath(), pathDir = Dir.filePath("path");
  QDir(Dir.path()).mkdir("path");
  for (const char* name : {"tool.COM", "other.cmd", "path/tool.EXE", "path/bare"}) WriteFile(Dir.filePath(name), "x");
  TScopedEnv path("PATH", pathDir.toUtf8());
  QDir::setCurrent(Dir.path());
  // The current directory comes first, per extension in turn; a name with an extension as it is.
  const QStringList found{TRunProcess::SearchExecutable("tool -x", false), TRunProcess::SearchExecutable("tool -x"),
                          TRunProcess::SearchExecutable("other.cmd a"), TRunProcess::SearchExecutable("other"),
                          TRunProcess::SearchExecutable("bare"), TRunProcess::SearchExecutable("")};
  QDir::setCurrent(saved);
  EXPECT_EQ(found, (QStringList{"tool.COM", pathDir + "/tool.EXE", "other.cmd", "", pathDir + "/bare", ""}));
}
