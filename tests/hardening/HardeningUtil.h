#pragma once
// Shared by the hardening tests and the save child: the two text versions the child saves in
// turn, and file helpers.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QString>

#include <string>

namespace Hardening {

// Version 0 and 1 differ in every line and in length, so a mix or a cut of them is never either.
inline std::string SaveVersion(int version) {
  const int lines = version == 0 ? 60000 : 75000;
  std::string text;
  text.reserve(std::size_t(lines) * 40);
  for (int i = 0; i < lines; ++i) {
    text += version == 0 ? "\tldaa  #$" : "\tstab  $";
    text += std::to_string(i);
    text += version == 0 ? " ; alt\r\n" : " ; neu\r\n";
  }
  return text;
}

inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Every file below Root with its bytes (relative names).
inline QMap<QString, QByteArray> Snapshot(const QString& root) {
  QMap<QString, QByteArray> files;
  QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    files.insert(QDir(root).relativeFilePath(path), ReadAll(path));
  }
  return files;
}

inline bool RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace Hardening
