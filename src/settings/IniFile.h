#pragma once
// File-level INI operations used on project and settings files, and the whole-file writer.
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

// A file could not be written; what() is the user's message "Kann Datei <path> nicht erstellen".
class EFileCreateError : public std::runtime_error {
 public:
  explicit EFileCreateError(const QString& path);
  QString Message() const { return QString::fromUtf8(what()); }
};

// Writes Lines, each followed by CR LF, replacing the file atomically. Throws EFileCreateError.
void WriteIniFile(const QString& path, const QStringList& lines);
