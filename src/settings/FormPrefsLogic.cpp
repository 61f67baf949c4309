#include "settings/FormPrefsLogic.h"

#include "highlight/AssemSyn.h"
#include "highlight/CpuTypes.h"
#include "platform/Paths.h"
#include "settings/Prefs.h"
#include "settings/Project.h"

QString AssemblerDirectoryFromField(const QString& text) {
  if (text.isEmpty() || text.endsWith(QLatin1Char('\\')) || text.endsWith(Paths::Separator())) return text;
  return text + Paths::Separator();
}

QString FindAssemblerExecutable(const QString& asDirectory) {
  for (const QString& exe : KnownAssemblerExecutables())
    if (Paths::FileExists(Paths::FromStored(asDirectory + exe))) return exe;
  return QString();
}

TAssemblerCheck CheckAssemblerDirectory(const QString& directory) {
  const QString dir = Paths::IncludeTrailingSeparator(directory);
  const QString found = FindAssemblerExecutable(dir);
  TAssemblerCheck check;
  check.Found = !found.isEmpty();
  const QString exe = check.Found ? found : KnownAssemblerExecutables().constFirst();
  check.Text = QLatin1Char('"') + Paths::FromStored(dir + exe) + QLatin1Char('"') +
               (check.Found ? QStringLiteral(" found.") : QStringLiteral(" not found!"));
  return check;
}

int NumberFormatIndex(const QString& word) {
  TVoNumberFormat format;
  return NumberFormatFromWord(word.toStdString(), format) ? static_cast<int>(format) : 0;
}

QString NumberFormatWordAt(int index) {
  if (index < VoNF_CMode || index > VoNF_RelaxedMode) return QString();
  return QString::fromLatin1(NumberFormatWord(static_cast<TVoNumberFormat>(index)));
}

QStringList NumberFormatCaptions() {
  QStringList captions;
  for (int i = VoNF_CMode; i <= VoNF_RelaxedMode; ++i)
    captions << QString::fromLatin1(NumberFormatCaption(static_cast<TVoNumberFormat>(i)));
  return captions;
}

QStringList ProcessorNameList() {
  QStringList names;
  for (const std::string& name : ProcessorNames()) names << QString::fromStdString(name);
  return names;
}

THighlightChoice HighlightChoice(const TProject& project, const TAssemblerPrefs& defaults) {
  THighlightChoice choice;
  choice.Processor = project.Processor.isEmpty() ? defaults.DefaultProcessor : project.Processor;
  const QString word = project.NumberFormat.isEmpty() ? defaults.DefaultNumberFormat : project.NumberFormat;
  TVoNumberFormat format;
  if (NumberFormatFromWord(word.toStdString(), format)) choice.NumberFormat = format;
  return choice;
}
