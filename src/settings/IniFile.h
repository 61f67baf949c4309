#pragma once
// File-level INI operations used on project and settings files, and the whole-file writers.
#include <QList>
#include <QString>
#include <QStringList>

#include <stdexcept>

#include "settings/StringIniList.h"

class TProfileFile;

// Adds the keys of Section of File, in file order, to List through List.SetValues (the list is
// not cleared; an empty value removes the key). A missing file or section adds nothing.
void ReadSectionValues(const QString& file, const QString& section, TStringIniList& list);

// Reads one integer; "0x"/"0X" + hex digits is accepted besides the list's forms.
int ReadIniInteger(const QString& file, const QString& section, const QString& key, int defaultValue);

// The same on a file read once (for several sections of one file).
void ReadSectionValues(const TProfileFile& profile, const QString& section, TStringIniList& list);
int ReadIniInteger(const TProfileFile& profile, const QString& section, const QString& key, int defaultValue);

// A file could not be read as a settings or project file; what() is the user's message.
class EFileReadError : public std::runtime_error {
 public:
  explicit EFileReadError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// A file could not be written; what() is the user's message "Kann Datei <path> nicht erstellen",
// followed by ": " and the reason where one is known.
class EFileCreateError : public std::runtime_error {
 public:
  explicit EFileCreateError(const QString& path, const QString& reason = QString());
  QString Message() const { return QString::fromUtf8(what()); }
};

// Writes Lines, each followed by CR LF, replacing the file atomically. Throws EFileCreateError.
void WriteIniFile(const QString& path, const QStringList& lines);

// Value as written after "key=" so that the reader, which trims values and drops one pair of
// quotes around them, gives it back as it is.
QString IniValue(const QString& value);

// One section of an INI file to write: its name and its "key=value" lines.
struct TIniSection {
  QString Name;
  QStringList Lines;
};

// Writes Sections as an INI file like WriteIniFile, so that every value reads back as it is:
// a value with blanks at its ends (or quotes around it) is written in quotes, and a line break
// in a line is refused with EFileCreateError. Lines the replaced file holds unchanged in
// another encoding than UTF-8 keep their bytes.
void WriteIniSections(const QString& path, const QList<TIniSection>& sections);

// Replaces the section Section.Name of the file at Path by Section (its first place if it occurs
// more than once; appended when absent), keeping every other byte of the file. A file that is no
// readable text file is left alone: EFileReadError. Write failures throw EFileCreateError.
void WriteIniSection(const QString& path, const TIniSection& section);
