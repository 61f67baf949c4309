#include "platform/ProfileReader.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

static QString Fold(const QString& s) { return s.toCaseFolded(); }

static QString TooBig() { return QStringLiteral("Sie ist größer als 32 MiB."); }

// Reads the plain file Path into Data; false, with the reason where there is one, otherwise.
static bool ReadPlainFile(const QString& path, QByteArray& data, QString& reason) {
  const QFileInfo info(path);
  // Opening a pipe waits for a writer and a device may never end: only plain files are read.
  if (!info.isFile()) {
    reason = QStringLiteral("Das ist keine gewöhnliche Datei.");
    return false;
  }
  if (info.size() > TProfileFile::MaxFileSize) {
    reason = TooBig();
    return false;
  }
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  // In pieces: read(MaxFileSize) would reserve the whole limit for every small file.
  while (data.size() <= TProfileFile::MaxFileSize) {
    const QByteArray piece = f.read(1 << 20);
    if (piece.isEmpty()) break;
    data += piece;
  }
  return f.error() == QFileDevice::NoError;
}

TProfileFile::TProfileFile(const QString& path) {
  if (!QFileInfo::exists(path)) return;
  QByteArray data;
  QString reason;
  if (ReadPlainFile(path, data, reason))
    *this = FromBytes(data, path);
  else
    Refuse(path, reason);
}

void TProfileFile::Refuse(const QString& path, const QString& reason) {
  *this = TProfileFile();
  FError = QStringLiteral("Kann Datei %1 nicht lesen").arg(path);
  if (!reason.isEmpty()) FError += QStringLiteral(": ") + reason;
}

TProfileFile TProfileFile::FromBytes(const QByteArray& data, const QString& path) {
  TProfileFile profile;
  if (data.size() > MaxFileSize) {
    profile.Refuse(path, TooBig());
    return profile;
  }
  // Editors on Windows may write a byte order mark; UTF-16 and UTF-32 text is made UTF-8.
  QByteArray bytes = data;
  if (const auto bom = QStringConverter::encodingForData(data)) {
    QStringDecoder decoder(*bom);
    bytes = *bom == QStringConverter::Utf8 ? data.mid(3) : QString(decoder(data)).toUtf8();
  }
  // No text file holds NUL bytes; reading one as empty would let the next save replace it.
  if (bytes.contains('\0')) {
    profile.Refuse(path, QStringLiteral("Sie ist keine Textdatei."));
    return profile;
  }
  // Stateless: a sequence cut off at the line's end is an error, not left over for the next line.
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  qsizetype current = -1;
  const qsizetype n = bytes.size();
  qsizetype pos = 0;
  while (pos < n) {
    qsizetype end = pos;
    while (end < n && bytes[end] != '\n' && bytes[end] != '\r') ++end;
    const QByteArrayView raw = QByteArrayView(bytes).sliced(pos, end - pos);
    pos = end + (end + 1 < n && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
    // Each line on its own, so one Latin-1 byte cannot change how the other lines read.
    utf8.resetState();
    QString line = utf8(raw);
    const bool foreign = utf8.hasError();
    if (foreign) line = QString::fromLatin1(raw);
    line = line.trimmed();
    if (foreign) profile.FForeignLines.insert(line, raw.trimmed().toByteArray());
    profile.ParseLine(line, current);
  }
  return profile;
}

void TProfileFile::ParseLine(const QString& line, qsizetype& current) {
  if (line.isEmpty() || line.front() == u';') return;
  if (line.front() == u'[') {
    qsizetype close = line.indexOf(u']');
    if (close < 0) close = line.size();
    const QString name = line.mid(1, close - 1).trimmed();
    const QString folded = Fold(name);
    auto it = FSectionIndex.constFind(folded);
    if (it == FSectionIndex.constEnd()) {
      it = FSectionIndex.insert(folded, FSections.size());
      FSections.append(TSection{name, {}, {}, {}});
    }
    current = *it;
    return;
  }
  if (current < 0) return;
  TSection& section = FSections[current];
  const qsizetype eq = line.indexOf(u'=');
  // A line without "=" is a key with an empty value.
  const QString key = (eq < 0 ? line : line.left(eq)).trimmed();
  if (key.isEmpty()) return;
  const QString folded = Fold(key);
  if (section.Index.contains(folded)) return;  // the first occurrence wins
  QString value = eq < 0 ? QString() : line.mid(eq + 1).trimmed();
  // Quotes keep blanks at the ends of a value.
  if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') value = value.mid(1, value.size() - 2);
  section.Index.insert(folded, section.Keys.size());
  section.Keys.append(key);
  section.Values.append(value);
}

const TProfileFile::TSection* TProfileFile::Find(const QString& section) const {
  const auto it = FSectionIndex.constFind(Fold(section.trimmed()));
  return it == FSectionIndex.constEnd() ? nullptr : &FSections[*it];
}

QStringList TProfileFile::SectionNames() const {
  QStringList names;
  names.reserve(FSections.size());
  for (const TSection& s : FSections) names.append(s.Name);
  return names;
}

QStringList TProfileFile::KeyNames(const QString& section) const {
  const TSection* s = Find(section);
  return s ? s->Keys : QStringList();
}

QString TProfileFile::Value(const QString& section, const QString& key) const {
  const TSection* s = Find(section);
  if (!s) return QString();
  const auto it = s->Index.constFind(Fold(key.trimmed()));
  return it == s->Index.constEnd() ? QString() : s->Values[*it];
}

QByteArray TProfileFile::Encode(const QString& line) const {
  const auto it = FForeignLines.constFind(line);
  return it == FForeignLines.constEnd() ? line.toUtf8() : *it;
}
