#pragma once
// Small helpers for the assemble tests: scripts written into a temporary directory, and an
// environment variable set for the length of a scope.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QThread>

inline void WriteFile(const QString& path, const QByteArray& content, bool executable = false) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  file.write(content);
  file.close();
  if (executable) file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TScopedEnv {
 public:
  TScopedEnv(const char* name, const QByteArray& value)
      : FName(name), FHad(qEnvironmentVariableIsSet(name)), FOld(qgetenv(name)) {
    if (value.isNull()) qunsetenv(name);
    else qputenv(name, value);
  }
  ~TScopedEnv() {
    if (FHad) qputenv(FName, FOld);
    else qunsetenv(FName);
  }

 private:
  const char* FName;
  bool FHad;
  QByteArray FOld;
};

// True once the process is gone (or a zombie); gives a killed process a few seconds to go.
inline bool ProcessEnded(const QByteArray& pid) {
  for (int i = 0; i < 100; ++i) {
    const QByteArray stat = ReadFile("/proc/" + pid + "/stat");
    if (stat.isEmpty() || stat.contains(") Z")) return true;
    QThread::msleep(50);
  }
  return false;
}
