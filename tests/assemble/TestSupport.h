#pragma once
// Files, captures of the real assembler (captures/), the real assembler itself, an environment
// variable for a scope.
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <QThread>

inline void WriteFile(const QString& path, const QByteArray& content, bool executable = false) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(content);
  file.close();
  if (executable) file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString CapturePath(const QString& name) { return QStringLiteral(KODRILL_TEST_DATA_DIR "/captures/") + name; }

// The real assembler: KODRILL_ASL names it, else it is looked for on PATH; "" when there is none.
inline QString FindAsl() {
  const QString asl = qEnvironmentVariableIsSet("KODRILL_ASL") ? qEnvironmentVariable("KODRILL_ASL")
                                                               : QStandardPaths::findExecutable("asl");
  return QFileInfo(asl).isExecutable() ? asl : QString();
}
#define SKIP_WITHOUT_ASL(asl) \
  if (asl.isEmpty()) GTEST_SKIP() << "asl not found: set KODRILL_ASL or put asl on PATH"

// Sets (a null value: removes) an environment variable for the length of a scope.
struct TScopedEnv {
  TScopedEnv(const char* name, const QByteArray& value) : Name(name), Had(qEnvironmentVariableIsSet(name)), Old(qgetenv(name)) {
    value.isNull() ? void(qunsetenv(name)) : void(qputenv(name, value));
  }
  ~TScopedEnv() { Had ? void(qputenv(Name, Old)) : void(qunsetenv(Name)); }
  const char* Name;
  bool Had;
  QByteArray Old;
};

// True once the process is gone (or a zombie); gives a killed process a few seconds to go.
inline bool ProcessEnded(const QByteArray& pid) {
  if (pid.isEmpty()) return false;
  for (int i = 0; i < 100; ++i) {
    const QByteArray stat = ReadFile("/proc/" + pid + "/stat");
    if (stat.isEmpty() || stat.contains(") Z")) return true;
    QThread::msleep(50);
  }
  return false;
}
