#include "assemble/AssembleRun.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <stdexcept>

#include "highlight/SymbolIndexer.h"
#include "platform/Paths.h"
#include "platform/batch/BatchInterpreter.h"
#include "settings/IniFile.h"
#include "settings/Prefs.h"
#include "settings/Project.h"

namespace {

// The file on disk, as its tab reads it: an entry may name it in other letter case.
QString FilePath(const TProjectFile& file) {
  return Paths::MatchLetterCase(
      Paths::ExpandFileName(QDir::isAbsolutePath(file.File) ? file.File : file.Directory + file.File));
}

// The project's files at Path, or just Only when it is one of them.
QList<TProjectFile*> FilesAt(const TProject& project, const QString& path, const TProjectFile* only) {
  QList<TProjectFile*> files;
  for (TProjectFile* f : project.Files)
    if ((!only || f == only) && Paths::SamePath(FilePath(*f), path)) files << f;
  return files;
}

}  // namespace

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
  QObject::connect(&FLog, &QAbstractItemModel::modelReset, [this] { FMarksIndexed = false; });
}

void TAssembleRun::Prepare(const TProject& project) {
  if (project.FileName.isEmpty())
    throw std::runtime_error("Kein Projekt geöffnet: Assemblieren braucht ein Projekt.");
  if (!Paths::SetCurrentDir(project.Directory)) throw EProjectDirectoryError(project.Directory);
  FCancelled = false;
  // A project from a desktop whose file names ignore letter case may have a MAKE.BAT.
  FCommand = Paths::MatchLetterCase(project.Directory + QStringLiteral("make.bat"));
  FDirectory = project.Directory;
  FProjectPath = project.Directory + project.FileName;
  FOptionFile = Paths::ChangeFileExt(FProjectPath, QStringLiteral(".par"));
  FLogFile = Paths::ChangeFileExt(FProjectPath, QStringLiteral(".log"));
  FIncluded.clear();
  FIncludesRead = false;
}

TAssembleRun::TResult TAssembleRun::Execute(const QString& asDirectory, const QString& processor) {
  FFailure.clear();
  FIncludeDir = AssemblerIncludeDirectory(asDirectory);
  FOutput.BeginRun();
  FLogBefore = Stamp(FLogFile);
  FRunStart = QDateTime();
  WriteIniFile(FOptionFile, OptionFileLines(FIncludeDir, processor));
  FRunStart = Stamp(FOptionFile).Modified;
  if (!QFileInfo(FCommand).isFile()) return arNoMakeBat;
  if (!FIncludeDir.isEmpty() && !FitsOptionFile(FIncludeDir))
    Note(QStringLiteral("Das Include-Verzeichnis des Assemblers \"%1\" enthält ein Leerzeichen; asl trennt die "
                        "Optionen daran und bekommt es deshalb nicht.").arg(QDir::toNativeSeparators(FIncludeDir)));
  if (processor.isEmpty())
    Note(QStringLiteral("Für das Projekt ist kein Prozessor eingestellt; asl nimmt seinen voreingestellten."));
  else if (!FitsOptionFile(processor))
    Note(QStringLiteral("Der Prozessor \"%1\" enthält ein Leerzeichen; asl trennt die Optionen daran und bekommt ihn "
                        "deshalb nicht.").arg(processor));
  if (FCancelled) return arCancelled;
  FRunProcess.Command = FCommand;
  FRunProcess.UseShow = -2;  // capture again: the last run consumed it
  FRunProcess.Execute();
  FOutput.EndRun();
  if (FCancelled) return arCancelled;
  return FFailure.isEmpty() ? arFinished : arNotStarted;
}

void TAssembleRun::Note(const QString& text) {
  const QByteArray line = (QStringLiteral("kodrill: ") + text + u'\n').toUtf8();
  FOutput.AddBytes(line.constData(), line.size());
  if (OnOutput) OnOutput(line.constData(), line.size());
}

TAssembleRun::TFileStamp TAssembleRun::Stamp(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() ? TFileStamp{true, info.size(), info.lastModified()} : TFileStamp();
}

void TAssembleRun::LoadLog() {
  // The assembler removes its log after a clean run and rewrites it otherwise. A log it left
  // unchanged is not this run's, unless the file system's clock is too coarse to tell: then
  // it is as new as the option file.
  const TFileStamp now = Stamp(FLogFile);
  if (now.Exists && (now != FLogBefore || (FRunStart.isValid() && now.Modified >= FRunStart)))
    FLog.Load(FLogFile);
  else
    FLog.Clear();
}

void TAssembleRun::MarkErrors(TProject& project, const TProjectFile* file) {
  if (project.Files.isEmpty()) return;  // no file to take a mark
  IndexMarks();
  // Few names, many entries: the files a name stands for are looked up once.
  std::vector<QList<TProjectFile*>> filesOf;
  filesOf.reserve(size_t(FMarkNames.size()));
  for (const QString& name : std::as_const(FMarkNames))
    filesOf.push_back(FilesAt(project, EntryPath(project, name), file));
  if (std::all_of(filesOf.begin(), filesOf.end(), [](const QList<TProjectFile*>& f) { return f.isEmpty(); })) return;
  for (const TMarkEntry& mark : FMarks) {
    // An entry that cannot be marked keeps no other from its mark.
    for (TProjectFile* f : filesOf[size_t(mark.Name)]) {
      try {
        f->MarkError(mark.Kind, mark.Line);
      } catch (const std::exception&) {
      }
    }
  }
}

void TAssembleRun::IndexMarks() {
  if (FMarksIndexed) return;
  FMarksIndexed = true;
  FMarks.clear();
  FMarkNames.clear();
  QHash<QString, int> names;
  for (qsizetype row = 0; row < FLog.Count(); ++row) {
    const TLogEntry entry = FLog.Entry(row);
    if (!entry.Valid) continue;
    // Entries come in runs of one file.
    int name = FMarks.empty() ? -1 : FMarks.back().Name;
    if (name < 0 || FMarkNames[name] != entry.FileName) {
      const auto found = names.constFind(entry.FileName);
      name = found != names.cend() ? *found : int(FMarkNames.size());
      if (found == names.cend()) {
        names.insert(entry.FileName, name);
        FMarkNames << entry.FileName;
      }
    }
    FMarks.push_back({name, entry.Line, entry.Kind});
  }
}

bool TAssembleRun::IsFor(const TProject& project) const {
  return Paths::SamePath(project.Directory + project.FileName, FProjectPath);
}

QString TAssembleRun::EntryPath(const TProject& project, const QString& name) const {
  // The assembler leaves out the directory of an include: the project's file of that name is
  // meant, else the name is taken against the directory the run was made in.
  const bool runProject = IsFor(project);
  if (const TProjectFile* file = runProject ? project.FindFile(name) : nullptr) return FilePath(*file);
  const QString path = QDir::toNativeSeparators(QDir::cleanPath(QDir(FDirectory).absoluteFilePath(Paths::FromStored(name))));
  if (!runProject || Paths::FileExists(path)) return path;
  const QString included = IncludedFile(project, name);
  return included.isEmpty() ? path : included;
}

QString TAssembleRun::IncludedFile(const TProject& project, const QString& name) const {
  if (!FIncludesRead) {
    FIncludesRead = true;
    // Breadth first from the project's files, each file once; a bound keeps odd include
    // cycles through links or huge trees from taking long.
    QStringList queue;
    for (const TProjectFile* f : project.Files) queue << TSymbolIndex::Key(FilePath(*f));
    QSet<QString> seen(queue.begin(), queue.end());
    for (qsizetype i = 0; i < queue.size() && i < 1000; ++i) {
      const TSymbolResult found = IndexFile({queue[i], 0, nullptr, FIncludeDir});
      for (const QString& include : found.IncludePaths) {
        if (include.isEmpty() || seen.contains(include)) continue;
        seen.insert(include);
        queue << include;
      }
    }
    // A file the project lists in a subfolder is named by its file name alone too.
    FIncluded = queue;
  }
  for (const QString& path : std::as_const(FIncluded))
    if (Paths::SamePath(Paths::ExtractFileName(path), name)) return QDir::toNativeSeparators(path);
  return QString();
}

QString TAssembleRun::UncountedFailure() const {
  const int status = FRunProcess.ExitCode();
  if (status == 0 || FOutput.Summary().ErrorsRed) return QString();
  // The interpreter names the program in the output; the status panel has room for little more.
  if (status == TBatchInterpreter::NotFound) return QStringLiteral("Programm nicht gefunden (Status %1).").arg(status);
  if (status == TBatchInterpreter::CannotRun) return QStringLiteral("Programm nicht startbar (Status %1).").arg(status);
  return QStringLiteral("make.bat endete mit dem Status %1.").arg(status);
}
