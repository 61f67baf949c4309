#include "assemble/AssembleRun.h"

#include <QFileInfo>

#include "platform/Paths.h"
#include "settings/IniFile.h"
#include "settings/Project.h"

TAssembleRun::TAssembleRun() {
  FRunProcess.UseComSpec = true;
  FRunProcess.OnRedirect = [this](TRunProcess*, const char* data, qsizetype size) {
    FOutput.AddBytes(data, size);
    if (OnOutput) OnOutput(data, size);
  };
  FRunProcess.OnTaskSwitch = [this](TRunProcess*) {
    if (OnWait) OnWait();
    return !FCancelled;
  };
  FRunProcess.OnError = [this](TRunProcess*, const QString& msg) { FFailure = msg; };
}

void TAssembleRun::Prepare(const TProject& project) {
  if (!Paths::SetCurrentDir(project.Directory)) throw EProjectDirectoryError(project.Directory);
  FCancelled = false;
  FCommand = project.Directory + QStringLiteral("make.bat");
  const QString base = project.Directory + project.FileName;
  FOptionFile = Paths::ChangeFileExt(base, QStringLiteral(".par"));
  FLogFile = Paths::ChangeFileExt(base, QStringLiteral(".log"));
}

TAssembleRun::TResult TAssembleRun::Execute(const QString& asDirectory, const QString& processor) {
  FFailure.clear();
  FOutput.BeginRun();
  WriteIniFile(FOptionFile, OptionFileLines(asDirectory, processor));
  if (!QFileInfo(FCommand).isFile()) return arNoMakeBat;
  if (FCancelled) return arCancelled;
  FRunProcess.Command = FCommand;
  FRunProcess.UseShow = -2;  // capture again: the last run consumed it
  FRunProcess.Execute();
  FOutput.EndRun();
  if (FCancelled) return arCancelled;
  return FFailure.isEmpty() ? arFinished : arNotStarted;
}

void TAssembleRun::MarkErrors(TProject& project) const {
  if (project.Files.isEmpty()) return;  // no file to take a mark
  // Entries come in runs of one file: the file is looked up once per run.
  QString name;
  TProjectFile* file = nullptr;
  for (qsizetype row = 0; row < FLog.Count(); ++row) {
    const TLogEntry entry = FLog.Entry(row);
    if (!entry.Valid) continue;
    if (entry.FileName != name) {
      name = entry.FileName;
      file = project.FindFile(name);
    }
    // An entry that cannot be marked keeps no other from its mark.
    try {
      if (file) file->MarkError(entry.Kind, entry.Line);
    } catch (const std::exception&) {
    }
  }
}
