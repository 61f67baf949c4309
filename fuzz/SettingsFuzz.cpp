// Arbitrary bytes as the settings file: loading must not crash, and what a save writes must load
// back to the same settings (saving them again gives the same bytes, section by section).
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/ProfileReader.h"
#include "settings/KodrillApp.h"
#include "FuzzCheck.h"


static QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Loads Path into a fresh application object and saves it back; returns the saved bytes.
static QByteArray LoadAndSave(const QString& path) {
  TKodrillApp app;
  KodrillApp = &app;
  app.SetSettingsFilePath(path);
  try { app.LoadPrefs(); } catch (const std::runtime_error&) {}  // refused: the defaults are saved
  app.SavePrefs();
  KodrillApp = nullptr;
  return ReadAll(path);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir dir;
  static const QString path = dir.filePath(QStringLiteral("Kodrill.ini"));
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    f.write(reinterpret_cast<const char*>(data), qsizetype(size));
  }
  const QByteArray saved = LoadAndSave(path);
  const QByteArray again = LoadAndSave(path);
  const TProfileFile a = TProfileFile::FromBytes(saved);
  const TProfileFile b = TProfileFile::FromBytes(again);
  Check(a.SectionNames() == b.SectionNames());
  for (const QString& section : a.SectionNames()) {
    Check(a.KeyNames(section) == b.KeyNames(section));
    for (const QString& key : a.KeyNames(section)) Check(a.Value(section, key) == b.Value(section, key));
  }
  Check(saved == again);
  return 0;
}
