#pragma once
// One INI section in memory: an ordered list of "key=value" lines with typed reads that fall
// back to a default and typed writes that fix how each type is written.
#include <QString>
#include <QStringList>

class TStringIniList : public QStringList {
 public:
  using QStringList::QStringList;

  // Key = text before the first "="; compared without regard to letter case; nothing trimmed.
  int IndexOfName(const QString& key) const;
  QString Values(const QString& key) const;
  // Empty value removes the first line of that key; otherwise replaces it in place or appends.
  void SetValues(const QString& key, const QString& value);

  QString ReadString(const QString& key, const QString& defaultValue) const;
  int ReadInteger(const QString& key, int defaultValue) const;
  bool ReadBool(const QString& key, bool defaultValue) const;
  void WriteString(const QString& key, const QString& value);
  void WriteInteger(const QString& key, int value);
  void WriteHex(const QString& key, int value);  // "$" + eight upper-case hex digits
  void WriteBool(const QString& key, bool value);
};

// Integer parsing shared by the list and the file-level reads: optional leading blanks, then
// "$" + hex digits (32-bit pattern) or an optional sign and decimal digits; false on failure.
bool ParseIniInteger(const QString& text, int& value);
