#pragma once
// Helpers shared by the settings tests: temporary files and CR LF text.
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }  // readable failures

// Empty for anything but a plain file (a pipe would block).
inline QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return QFileInfo(path).isFile() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

// Lines joined the way every written INI file looks: CR LF after each line.
inline QByteArray CrLf(const QStringList& lines) {
  QByteArray b;
  for (const QString& l : lines) b += l.toUtf8() + "\r\n";
  return b;
}

// A named pipe at Path, where there are such.
#ifdef Q_OS_UNIX
#include <sys/stat.h>
inline bool MakeFifo(const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }
#else
inline bool MakeFifo(const QString&) { return false; }
#endif
