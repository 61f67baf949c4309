#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace Paths {

QString Separator() { return QString(QDir::separator()); }

// Where "\" is no separator it is an ordinary character of a file name.
static bool IsSeparator(QChar c) {
#ifdef Q_OS_WIN
  return c == u'/' || c == u'\\';
#else
  return c == u'/';
#endif
}

QString FromStored(const QString& name) {
  QString s = name;
  const QChar sep = QDir::separator();
  for (QChar& c : s)
    if (c == u'/' || c == u'\\') c = sep;
  return s;
}

// "C:\..." or "C:/...": a place on a Windows machine.
static bool IsDrivePath(const QString& name) {
  return name.size() >= 3 && name[0].isLetter() && name[1] == u':' && (name[2] == u'\\' || name[2] == u'/');
}

bool IsAbsolute(const QString& name) {
  // A leading colon is part of a name here, not Qt's resource prefix.
  return (QDir::isAbsolutePath(name) && !name.startsWith(u':')) || IsDrivePath(name);
}

QString ExpandFileName(const QString& name) {
  if (name.isEmpty()) return CurrentDir();
#ifndef Q_OS_WIN
  // A drive path from a Windows machine names no place here; made absolute it would be buried.
  if (IsDrivePath(name)) return name;
#endif
  QString relative = name;
  // Qt reads a leading colon as a resource path; here it starts an ordinary file name.
  if (relative.startsWith(u':')) relative.prepend(QStringLiteral("./"));
  QString s = QDir::cleanPath(QDir(QDir::currentPath()).absoluteFilePath(relative));
  return QDir::toNativeSeparators(s);
}

// Only where there are drives does a colon end one; elsewhere it belongs to the file name.
static bool IsDriveColon(QChar c) {
#ifdef Q_OS_WIN
  return c == u':';
#else
  Q_UNUSED(c);
  return false;
#endif
}

static qsizetype LastSeparator(const QString& name) {
  for (qsizetype i = name.size() - 1; i >= 0; --i)
    if (IsSeparator(name[i]) || IsDriveColon(name[i])) return i;
  return -1;
}

QString ExtractFilePath(const QString& name) { return name.left(LastSeparator(name) + 1); }

QString ExtractFileName(const QString& name) { return name.mid(LastSeparator(name) + 1); }

QString ExtractFileExt(const QString& name) {
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot < 0 || dot < LastSeparator(name)) return QString();
  return name.mid(dot);
}

QString ChangeFileExt(const QString& name, const QString& ext) {
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot < 0 || dot < LastSeparator(name)) return name + ext;
  return name.left(dot) + ext;
}

QString IncludeTrailingSeparator(const QString& dir) {
  if (dir.isEmpty() || IsSeparator(dir.back())) return dir;
  return dir + Separator();
}

QString ExcludeTrailingSeparator(const QString& dir) {
  QString s = dir;
  while (s.size() > 1 && IsSeparator(s.back()) && !(s.size() == 3 && s[1] == u':')) s.chop(1);
  return s;
}

QString ExecutableDirectory() {
  QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
  return IncludeTrailingSeparator(QDir::toNativeSeparators(dir));
}

bool FileExists(const QString& name) {
  QFileInfo fi(name);
  return fi.exists() && fi.isFile();
}

bool SamePath(const QString& a, const QString& b) {
#ifdef Q_OS_WIN
  const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
  const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
  const auto key = [](const QString& path) { return QDir::cleanPath(QDir::fromNativeSeparators(path)); };
  return key(a).compare(key(b), cs) == 0;
}

bool DirectoryExists(const QString& name) { return QFileInfo(name).isDir(); }

bool ExistsUnderLatin1Name(const QString& name) {
#ifdef Q_OS_WIN
  Q_UNUSED(name);
  return false;  // names there are Unicode
#else
  const QString file = QFileInfo(name).fileName();
  const auto beyondAscii = [](QChar c) { return c.unicode() >= 0x80; };
  if (std::none_of(file.begin(), file.end(), beyondAscii) ||
      std::any_of(file.begin(), file.end(), [](QChar c) { return c.unicode() > 0xFF; }))
    return false;
  const QByteArray path = QFile::encodeName(name.left(name.size() - file.size())) + file.toLatin1();
  return ::access(path.constData(), F_OK) == 0;
#endif
}

QString MatchLetterCase(const QString& name) {
  if (name.isEmpty() || QFileInfo::exists(name)) return name;
  const QFileInfo info(name);
  // The folders on the way may differ in letter case too ("INC/" for "inc/").
  const QString path = info.path();
  const QString folder = path == name || QFileInfo::exists(path) ? path : MatchLetterCase(path);
  const QDir dir(folder);
  if (!dir.exists()) return name;
  QString match;
  for (const QString& entry : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
    if (entry.compare(info.fileName(), Qt::CaseInsensitive) != 0) continue;
    if (!match.isEmpty()) return name;  // ambiguous: left to whoever opens it
    match = entry;
  }
  if (match.isEmpty()) return name;
  if (folder == path) return name.left(name.size() - info.fileName().size()) + match;
  return QDir::toNativeSeparators(QDir(folder).filePath(match));
}

bool SetCurrentDir(const QString& dir) {
  return !dir.isEmpty() && QDir::setCurrent(dir);
}

QString CurrentDir() { return IncludeTrailingSeparator(QDir::toNativeSeparators(QDir::currentPath())); }

}  // namespace Paths
