#include "settings/StringIniList.h"

#include <cstdint>

static QStringView KeyOf(const QString& line, bool& hasKey) {
  const qsizetype eq = line.indexOf(u'=');
  hasKey = eq >= 0;
  return QStringView(line).left(hasKey ? eq : 0);
}

int TStringIniList::IndexOfName(const QString& key) const {
  for (qsizetype i = 0; i < size(); ++i) {
    bool hasKey;
    const QStringView k = KeyOf(at(i), hasKey);
    if (hasKey && k.compare(key, Qt::CaseInsensitive) == 0) return int(i);
  }
  return -1;
}

QString TStringIniList::Values(const QString& key) const {
  const int i = IndexOfName(key);
  if (i < 0) return QString();
  const QString& line = at(i);
  return line.mid(line.indexOf(u'=') + 1);
}

void TStringIniList::SetValues(const QString& key, const QString& value) {
  const int i = IndexOfName(key);
  if (value.isEmpty()) {
    if (i >= 0) removeAt(i);
  } else if (i >= 0) {
    (*this)[i] = key + u'=' + value;
  } else {
    append(key + u'=' + value);
  }
}

QString TStringIniList::ReadString(const QString& key, const QString& defaultValue) const {
  const QString v = Values(key);
  return v.isEmpty() ? defaultValue : v;
}

int TStringIniList::ReadInteger(const QString& key, int defaultValue) const {
  int v;
  return ParseIniInteger(Values(key), v) ? v : defaultValue;
}

bool TStringIniList::ReadBool(const QString& key, bool defaultValue) const {
  const QString v = Values(key);
  if (v == u"TRUE" || v == u"1") return true;
  if (v == u"FALSE" || v == u"0") return false;
  return defaultValue;
}

void TStringIniList::WriteString(const QString& key, const QString& value) { SetValues(key, value); }

void TStringIniList::WriteInteger(const QString& key, int value) { SetValues(key, QString::number(value)); }

void TStringIniList::WriteHex(const QString& key, int value) {
  SetValues(key, u'$' + QStringLiteral("%1").arg(quint32(value), 8, 16, QChar(u'0')).toUpper());
}

void TStringIniList::WriteBool(const QString& key, bool value) {
  SetValues(key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

static int HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

bool ParseIniInteger(const QString& text, int& value) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i] == u' ') ++i;
  if (i == n) return false;
  if (text[i] == u'$') {
    ++i;
    if (i == n) return false;
    std::uint64_t acc = 0;
    for (; i < n; ++i) {
      const int d = HexDigit(text[i]);
      if (d < 0) return false;
      acc = acc * 16 + unsigned(d);
      if (acc > 0xFFFFFFFFu) return false;  // leading zeros never get here
    }
    value = int(std::uint32_t(acc));
    return true;
  }
  bool negative = false;
  if (text[i] == u'+' || text[i] == u'-') {
    negative = text[i] == u'-';
    ++i;
  }
  if (i == n) return false;
  std::int64_t acc = 0;
  for (; i < n; ++i) {
    const char16_t u = text[i].unicode();
    if (u < u'0' || u > u'9') return false;
    acc = acc * 10 + (u - u'0');
    if (acc > 2147483648LL) return false;
  }
  if (negative) acc = -acc;
  if (acc > 2147483647LL) return false;
  value = int(acc);
  return true;
}
