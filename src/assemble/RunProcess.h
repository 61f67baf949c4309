#pragma once
// Runs one child process from a command line, optionally through the command interpreter,
// and hands every byte it writes (standard output and standard error through one pipe, in the
// order written) to the owner while it waits for the child on the caller's thread.
#include <QString>

#include <functional>

class QProcess;

class TRunProcess {
 public:
  TRunProcess();
  virtual ~TRunProcess();

  QString Command;
  bool UseWait = true;
  bool UseComSpec = false;
  // -2: capture (a run sets it to 0); 0 or more: no capture; other negative: no capture.
  int UseShow = -2;

  std::function<void(TRunProcess* sender, const QString& msg)> OnError;
  std::function<void(TRunProcess* sender, const QString& msg)> OnDebug;
  std::function<bool(TRunProcess* sender)> OnTaskSwitch;  // false ends the wait
  std::function<void(TRunProcess* sender, char ch)> OnRedirectChar;
  // Takes the output a piece at a time where assigned; OnRedirectChar then is not called.
  std::function<void(TRunProcess* sender, const char* data, qsizetype size)> OnRedirect;
  std::function<bool(TRunProcess* sender)> OnComplete;

  // True when the child was started (also when the wait was cut short).
  bool Execute();
  bool IsRunning() const { return FRunning; }
  // 0 after a start, 87 empty command, 2 not found, otherwise the failure's code.
  int ErrorCode() const { return FErrorCode; }
  // The child's exit code after a run that waited for its end; -1 when it crashed or was ended.
  int ExitCode() const { return FExitCode; }

  static QString GetEnvVar(const QString& name);
  // The program the command text names (up to its first blank), or "" when none is found.
  static QString SearchExecutable(const QString& command, bool exeFirst = true);

 protected:
  virtual void DoError(const QString& msg);
  virtual void DoDebug(const QString& msg);
  virtual bool DoTaskSwitch();
  virtual void DoRedirectChar(char ch);
  virtual void DoRedirect(const char* data, qsizetype size);
  virtual void DoComplete();

 private:
  bool BuildCommand(QString& program, QString& arguments, QString& display);
  void Flush(QProcess& process);
  void Wait(QProcess& process, bool capture);

  bool FRunning = false;
  int FErrorCode = 0;
  int FExitCode = -1;
};
