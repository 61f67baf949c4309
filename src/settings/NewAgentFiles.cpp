#include "settings/NewAgentFiles.h"

#include <algorithm>

#include "platform/Paths.h"
#include "settings/IniFile.h"

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
          << QStringLiteral("File=") + IniValue(name + QStringLiteral(".Asm"));
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

// The source's name in make.bat: as the wizard writes it where letter case tells names apart, or
// as it is on disk when the wizard finds it there in other letter case (it then keeps that file).
QString MakeBatSource(const QString& base) {
  const QString written = base + QStringLiteral(".Asm");
  const QString found = Paths::MatchLetterCase(written);
  if (found != written) return Paths::ExtractFileName(found);
#ifdef Q_OS_WIN
  return NewProjectName(base) + QStringLiteral(".asm");
#else
  return NewProjectName(base) + QStringLiteral(".Asm");
#endif
}

// Outside quotes the command interpreter reads these as operators, or as argument separators.
bool HasAny(const QString& text, QStringView characters) {
  return std::any_of(text.begin(), text.end(), [&](QChar c) { return characters.contains(c); });
}
constexpr QStringView kOperators = u"&|<>^";
constexpr QStringView kSeparators = u" &|<>^,;=";

// A "%" starts a variable even inside quotes; doubled, it stands for itself.
QString BatchText(QString text) { return text.replace(u'%', QStringLiteral("%%")); }

// A name with blanks or operators would not reach the program as one argument.
QString Quoted(const QString& name) {
  return HasAny(name, kSeparators) ? u'"' + BatchText(name) + u'"' : BatchText(name);
}
}  // namespace

QStringList NewMakeBatLines(const QString& name, const QString& source, const QString& asDirectory,
                            const QString& asExecutable) {
  // A folder stored without its separator (a settings file edited by hand) still ends before the
  // program's name.
  const bool ended = asDirectory.isEmpty() || asDirectory.endsWith(u'/') || asDirectory.endsWith(u'\\') ||
                     asDirectory.endsWith(u':');
  const QString program = (ended ? asDirectory : asDirectory + Paths::Separator()) + asExecutable;
  // The option file's name goes on unquoted, blanks and all: "set" takes the rest of the line.
  // Only an operator in it needs the quoted form of "set".
  const QString option = QStringLiteral("ASCMD=@") + BatchText(name) + QStringLiteral(".par");
  return {QStringLiteral("@set USEXMS=y"),
          HasAny(name, kOperators) ? QStringLiteral("@set \"") + option + u'"' : QStringLiteral("@set ") + option,
          u'@' + Quoted(program) + u' ' + Quoted(source),
          QStringLiteral("@rem p2hex ") + Quoted(name) + u' ' + Quoted(name + QStringLiteral(".s19")) +
              QStringLiteral(" -r $-$"),
          QString()};
}

QString NewProjectFilePath(const QString& base) { return base + QStringLiteral(".AsmPrj"); }

QList<TNewFile> NewProjectFiles(const QString& base, const std::array<bool, 4>& checked,
                                const QString& asDirectory, const QString& asExecutable) {
  const QString name = NewProjectName(base);
  // A project file kept in other letter case ("P2.ASMPRJ") is the one opened: its runs write the
  // option file under its name ("P2.par"), which make.bat must name.
  const QString project = Paths::MatchLetterCase(NewProjectFilePath(base));
  const QString runBase = project != NewProjectFilePath(base) ? Paths::ChangeFileExt(project, QString()) : base;
  QList<TNewFile> files;
  if (checked[0]) files.append({NewProjectFilePath(base), NewProjectFileLines(name, checked[2])});
  if (checked[1]) files.append({runBase + OptionFileExtension(), NewSourceFileLines()});
  if (checked[2]) files.append({base + QStringLiteral(".Asm"), NewSourceFileLines()});
  if (checked[3])
    files.append({Paths::ExtractFilePath(base) + QStringLiteral("make.bat"),
                  NewMakeBatLines(NewProjectName(runBase), MakeBatSource(base), asDirectory, asExecutable)});
  return files;
}
