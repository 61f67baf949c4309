#include "platform/ProfileReader.h"

#include <QFile>
#include <QStringDecoder>

static QString Fold(const QString& s) { return s.toCaseFolded(); }

TProfileFile::TProfileFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return;
  // In pieces: read(MaxFileSize) would reserve the whole limit for every small file.
  QByteArray data;
  while (data.size() < MaxFileSize) {
    const QByteArray piece = f.read(qMin<qint64>(1 << 20, MaxFileSize - data.size()));
    if (piece.isEmpty()) break;
    data += piece;
  }
  *this = FromBytes(data);
}

TProfileFile TProfileFile::FromBytes(const QByteArray& data) {
  const QByteArray bytes = data.left(MaxFileSize);
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(bytes);
  if (utf8.hasError()) text = QString::fromLatin1(bytes);
  TProfileFile profile;
  profile.Parse(text);
  return profile;
}

void TProfileFile::Parse(const QString& text) {
  TSection* current = nullptr;
  qsizetype pos = 0;
  while (pos < text.size()) {
    qsizetype end = text.indexOf(u'\n', pos);
    if (end < 0) end = text.size();
    // trimmed() also drops the CR of a CR LF line end.
    const QString line = QStringView(text).mid(pos, end - pos).trimmed().toString();
    pos = end + 1;
    if (line.isEmpty() || line.front() == u';') continue;
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
      current = &FSections[*it];
      continue;
    }
    if (!current) continue;
    const qsizetype eq = line.indexOf(u'=');
    // A line without "=" is a key with an empty value.
    const QString key = (eq < 0 ? line : line.left(eq)).trimmed();
    if (key.isEmpty()) continue;
    const QString folded = Fold(key);
    if (current->Index.contains(folded)) continue;  // the first occurrence wins
    current->Index.insert(folded, current->Keys.size());
    current->Keys.append(key);
    current->Values.append(eq < 0 ? QString() : line.mid(eq + 1).trimmed());
  }
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

bool TProfileFile::HasSection(const QString& section) const { return Find(section) != nullptr; }

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
