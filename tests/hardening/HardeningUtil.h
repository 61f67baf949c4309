#pragma once
// File helpers shared by the hardening tests.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QString>

namespace Hardening {

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
