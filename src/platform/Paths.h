#pragma once
// Path helpers shared by every area. Directories are kept as full paths ending in the native
// separator. Names read from stored files may use "\" and go through FromStored first; every other
// helper takes native names, where "\" is a separator only on Windows.
#include <QString>

namespace Paths {

// The native separator as a one-character string ("/" here, "\" on Windows).
QString Separator();

// A name from a stored file (project, settings, make.bat): "\" and "/" both become the native
// separator. Nothing else changes.
QString FromStored(const QString& name);

// Full, absolute, cleaned path of Name, relative names taken against the current directory.
QString ExpandFileName(const QString& name);
// A full name: from the root, or a drive path of a Windows machine (also where there are no
// drives); a leading colon starts an ordinary name.
bool IsAbsolute(const QString& name);

// Directory part including the trailing separator ("" when Name has none).
QString ExtractFilePath(const QString& name);

// Name part after the last separator (or drive colon).
QString ExtractFileName(const QString& name);

// Extension including the dot, taken from the last dot of the last path element ("" if none).
QString ExtractFileExt(const QString& name);

// Name with its extension replaced by Ext (Ext includes the dot; "" removes the extension).
QString ChangeFileExt(const QString& name, const QString& ext);

// Dir with exactly one trailing separator added when it does not end in one ("" stays "").
QString IncludeTrailingSeparator(const QString& dir);

// Dir without a trailing separator (a root stays as it is).
QString ExcludeTrailingSeparator(const QString& dir);

// Directory of the running executable, full path with a trailing separator.
QString ExecutableDirectory();

bool FileExists(const QString& name);
// Whether two full names mean the same file: separators and "." steps aside, with the letter case
// the system's file names have.
bool SamePath(const QString& a, const QString& b);
bool DirectoryExists(const QString& name);
// Name itself when it exists; else the one entry of its folder whose name matches when letter case
// is ignored, the folders on the way matched the same way (projects from a desktop whose file
// names ignore letter case rely on that); else Name.
QString MatchLetterCase(const QString& name);
// Whether Name's file is there with its name written in Latin-1 bytes (from an old system), which
// the file functions, taking names as UTF-8, cannot reach.
bool ExistsUnderLatin1Name(const QString& name);

// Makes Dir the process's current directory; false when that fails.
bool SetCurrentDir(const QString& dir);
QString CurrentDir();  // with trailing separator

}  // namespace Paths
