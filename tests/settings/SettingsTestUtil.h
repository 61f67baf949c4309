#pragma once
// Helpers shared by the settings tests: temporary files and CR LF text.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

// Restores the process's current directory after a test that changes it.
class TCurrentDirGuard {
 public:
  TCurrentDirGuard() : FSaved(QDir::currentPath()) {}
  ~TCurrentDirGuard() { QDir::setCurrent(FSaved); }

 private:
  QString FSaved;
};
