#include "settings/NewAgentFiles.h"

#include "platform/Paths.h"

QString WithProjectExtension(const QString& name) {
  if (name.isEmpty()) return name;
  return Paths::ChangeFileExt(name, QStringLiteral(".AsmPrj"));
}

QString NewProjectBase(const QString& projectName) {
  return Paths::ChangeFileExt(Paths::ExpandFileName(projectName), QString());
}

QString NewProjectName(const QString& base) { return Paths::ExtractFileName(base); }

QStringList NewSourceFileLines() { return {QString()}; }

QStringList NewProjectFileLines(const QString& name, bool withSource) {
  QStringList lines{QString()};
  if (withSource)
    lines << QStringLiteral("[global]") << QStringLiteral("FileCount=1") << QStringLiteral("[File1]")
          << QStringLiteral("File=") + name + QStringLiteral(".Asm");
  return lines;
}

namespace {
// Each run rewrites the option file as ".par": where letter case tells names apart, the
// placeholder takes that name too, so that no second file is left beside it.
QString OptionFileExtension() {
#ifdef Q_OS_WIN
  return QStringLiteral(".Par");
#else
  return QStringLiteral(".par");
#endif
}

// A name with blanks would reach the program as several arguments.
QString Quoted(const QString& name) { return name.contains(u' ') ? u'"' + name + u'"' : name; }
}  // namespace

QStringList NewMakeBatLines(const QString& name, const QString& asDirectory, const QString& asExecutable) {
  // The option file's name goes on unquoted: the assembler takes everything behind the "@".
  return {QStringLiteral("@set USEXMS=y"), QStringLiteral("@set ASCMD=@") + name + QStringLiteral(".par"),
          u'@' + Quoted(asDirectory + asExecutable) + u' ' + Quoted(name + QStringLiteral(".asm")),
          QStringLiteral("@rem p2hex ") + Quoted(name) + u' ' + Quoted(name + QStringLiteral(".s19")) +
              QStringLiteral(" -r $-$"),
          QString()};
}

QString NewProjectFilePath(const QString& base) { return base + QStringLiteral(".AsmPrj"); }

QList<TNewFile> NewProjectFiles(const QString& base, const std::array<bool, 4>& checked,
                                const QString& asDirectory, const QString& asExecutable) {
  const QString name = NewProjectName(base);
  QList<TNewFile> files;
  if (checked[0]) files.append({NewProjectFilePath(base), NewProjectFileLines(name, checked[2])});
  if (checked[1]) files.append({base + OptionFileExtension(), NewSourceFileLines()});
  if (checked[2]) files.append({base + QStringLiteral(".Asm"), NewSourceFileLines()});
  if (checked[3])
    files.append({Paths::ExtractFilePath(base) + QStringLiteral("make.bat"),
                  NewMakeBatLines(name, asDirectory, asExecutable)});
  return files;
}
