#pragma once
// Widget-free rules of the two preference dialogs.
#include <QString>
#include <QStringList>

#include <optional>

#include "highlight/AssemSyn.h"

class TProject;
class TAssemblerPrefs;

// The assembler path field's text as stored: a separator appended unless it ends in one ("\"
// counts too). An empty text stays empty.
QString AssemblerDirectoryFromField(const QString& text);

// The first known assembler executable (stored form, relative) under AsDirectory that exists,
// or "" when there is none.
QString FindAssemblerExecutable(const QString& asDirectory);

// Result of checking a chosen directory (given without trailing separator) for an assembler.
struct TAssemblerCheck {
  QString Text;  // "\"<path>\" found." or "\"<path>\" not found!"
  bool Found = false;
};
TAssemblerCheck CheckAssemblerDirectory(const QString& directory);

// Radio index of a stored number format word (0 for anything but the four words), and back
// ("" for no selection).
int NumberFormatIndex(const QString& word);
QString NumberFormatWordAt(int index);
QStringList NumberFormatCaptions();

QStringList ProcessorNameList();

// Processor and number format that highlight the project's files: the project's own, or the
// defaults of the settings where the project names none (files opened without a project).
struct THighlightChoice {
  QString Processor;
  std::optional<TVoNumberFormat> NumberFormat;  // none for a word that names no format ("C++")
};
THighlightChoice HighlightChoice(const TProject& project, const TAssemblerPrefs& defaults);
