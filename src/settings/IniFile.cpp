#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringConverter>

#include <algorithm>

#include "platform/ProfileReader.h"

void ReadSectionValues(const TProfileFile& profile, const QString& section, TStringIniList& list) {
  // Same effect as list.SetValues(key, value) per key, without its linear search per key, so a
  // section of many keys stays fast. The profile's keys are distinct, so one index suffices.
  QHash<QString, qsizetype> index;
  for (qsizetype i = list.size() - 1; i >= 0; --i) {
    const qsizetype eq = list[i].indexOf(u'=');
    if (eq >= 0) index.insert(list[i].left(eq).toCaseFolded(), i);
  }
  QList<qsizetype> removed;
  for (const QString& key : profile.KeyNames(section)) {
    const QString value = profile.Value(section, key);
    const auto it = index.constFind(key.toCaseFolded());
    if (value.isEmpty()) {
      if (it != index.constEnd()) removed.append(*it);
    } else if (it != index.constEnd()) {
      list[*it] = key + u'=' + value;
    } else {
      index.insert(key.toCaseFolded(), list.size());
      list.append(key + u'=' + value);
    }
  }
  std::sort(removed.begin(), removed.end(), std::greater<>());
  for (qsizetype i : removed) list.removeAt(i);
}

void ReadSectionValues(const QString& file, const QString& section, TStringIniList& list) {
  ReadSectionValues(TProfileFile(file), section, list);
}

int ReadIniInteger(const TProfileFile& profile, const QString& section, const QString& key, int defaultValue) {
  QString text = profile.Value(section, key);
  if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
    text = u'$' + text.mid(2);
  int value;
  return ParseIniInteger(text, value) ? value : defaultValue;
}

int ReadIniInteger(const QString& file, const QString& section, const QString& key, int defaultValue) {
  return ReadIniInteger(TProfileFile(file), section, key, defaultValue);
}

EFileCreateError::EFileCreateError(const QString& path, const QString& reason)
    : std::runtime_error((QStringLiteral("Kann Datei %1 nicht erstellen").arg(path) +
                          (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason))
                             .toStdString()) {}

static void WriteAtomically(const QString& path, const QByteArray& data) {
  // A pipe or device would block or take the data away; a directory is no file either.
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) throw EFileCreateError(path, QStringLiteral("Das ist keine gewöhnliche Datei."));
  if (!QFileInfo(info.absolutePath()).isDir())
    throw EFileCreateError(path, QStringLiteral("Den Ordner %1 gibt es nicht.").arg(QDir::toNativeSeparators(info.absolutePath())));
  QSaveFile f(path);
  // The data waits in the buffer, and commit() takes a failed flush (a full disk) for success.
  if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.flush() || !f.commit())
    throw EFileCreateError(path, f.errorString());
}

void WriteIniFile(const QString& path, const QStringList& lines) {
  QByteArray data;
  for (const QString& line : lines) {
    data += line.toUtf8();
    data += "\r\n";
  }
  WriteAtomically(path, data);
}

QString IniValue(const QString& value) {
  const bool quoted = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace() ||
                                           (value.size() >= 2 && value.front() == u'"' && value.back() == u'"'));
  return quoted ? u'"' + value + u'"' : value;
}

// The bytes of Section as written to Path, whose present content Old is.
static QByteArray SectionBytes(const QString& path, const TProfileFile& old, const TIniSection& section) {
  QByteArray data;
  const auto add = [&](const QString& line) {
    if (line.contains(u'\n') || line.contains(u'\r')) {
      const QString shown = QString(line).replace(u'\r', u'\u23CE').replace(u'\n', u'\u23CE');
      throw EFileCreateError(path, QStringLiteral("Die Zeile „%1“ enthält einen Zeilenumbruch.").arg(shown));
    }
    data += old.Encode(line);
    data += "\r\n";
  };
  add(u'[' + section.Name + u']');
  for (const QString& line : section.Lines) {
    const qsizetype eq = line.indexOf(u'=');
    add(eq >= 0 ? line.left(eq + 1) + IniValue(line.mid(eq + 1)) : line);
  }
  return data;
}

void WriteIniSections(const QString& path, const QList<TIniSection>& sections) {
  const TProfileFile old(path);
  QByteArray data;
  for (const TIniSection& section : sections) data += SectionBytes(path, old, section);
  WriteAtomically(path, data);
}

void WriteIniSection(const QString& path, const TIniSection& section) {
  const TProfileFile old(path);
  if (!old.Error().isEmpty()) throw EFileReadError(old.Error());
  QByteArray bytes;
  QFile f(path);
  if (f.exists()) {
    if (!f.open(QIODevice::ReadOnly)) throw EFileReadError(QStringLiteral("Kann Datei %1 nicht lesen").arg(path));
    bytes = f.readAll();
  }
  // Lines are looked for byte by byte: UTF-16 or UTF-32 text would be corrupted.
  if (const auto bom = QStringConverter::encodingForData(bytes); bom && *bom != QStringConverter::Utf8)
    throw EFileCreateError(path, QStringLiteral("Sie ist nicht in UTF-8 oder Latin-1 geschrieben."));
  const QByteArray wanted = section.Name.trimmed().toCaseFolded().toUtf8();
  QByteArray data;
  qsizetype pos = 0;
  // A byte order mark stays in front, and the header right behind it is seen.
  if (bytes.startsWith("\xEF\xBB\xBF")) data = bytes.left(pos = 3);
  qsizetype insertAt = -1;
  bool inside = false;
  while (pos < bytes.size()) {
    qsizetype end = pos;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
    const QByteArray line = bytes.mid(pos, end - pos).trimmed();
    end += end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1;
    if (line.startsWith('[')) {
      const qsizetype close = line.indexOf(']');
      inside = QString::fromUtf8(line.mid(1, close < 0 ? -1 : close - 1)).trimmed().toCaseFolded().toUtf8() == wanted;
      if (inside && insertAt < 0) insertAt = data.size();
    }
    if (!inside) data += bytes.mid(pos, end - pos);
    pos = end;
  }
  if (insertAt < 0) {
    if (!data.isEmpty() && !data.endsWith('\n') && !data.endsWith('\r')) data += "\r\n";
    insertAt = data.size();
  }
  data.insert(insertAt, SectionBytes(path, old, section));
  WriteAtomically(path, data);
}
