// Arbitrary bytes as an INI file through the file-level reads and the list's typed reads.
// The fast section merge must give exactly what one SetValues per key gives.
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/ProfileReader.h"
#include "settings/IniFile.h"
#include "settings/StringIniList.h"

static void Check(bool ok) {
  if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir dir;
  static const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    f.write(bytes);
  }

  const TProfileFile profile = TProfileFile::FromBytes(bytes);
  const QStringList sections = profile.SectionNames();
  // Duplicate keys in the target: only the first line of a key is ever touched.
  TStringIniList list{QStringLiteral("[kept]"), QStringLiteral("a=1"), QStringLiteral("FileCount=3"),
                      QStringLiteral("A=2"), QStringLiteral("a=3")};
  TStringIniList naive = list;
  for (const QString& section : sections.mid(0, 4) + QStringList{QStringLiteral("global")}) {
    ReadSectionValues(path, section, list);
    for (const QString& key : profile.KeyNames(section)) naive.SetValues(key, profile.Value(section, key));
    Check(list == naive);
  }
  ReadIniInteger(path, QStringLiteral("global"), QStringLiteral("FileCount"), 0);

  for (const QString& line : list) {
    const QString key = line.section(QLatin1Char('='), 0, 0);
    const QString value = list.ReadString(key, QString());
    const int n = list.ReadInteger(key, 7);
    list.ReadBool(key, false);
    int parsed;
    if (ParseIniInteger(value, parsed)) Check(n == parsed);
  }

  // A number written as hex reads back as the same 32-bit value.
  std::int32_t v = 0;
  std::memcpy(&v, data, size < sizeof v ? size : sizeof v);
  TStringIniList hex;
  hex.WriteHex(QStringLiteral("h"), v);
  hex.WriteInteger(QStringLiteral("d"), v);
  Check(hex.ReadInteger(QStringLiteral("h"), ~v) == v && hex.ReadInteger(QStringLiteral("d"), ~v) == v);
  return 0;
}
