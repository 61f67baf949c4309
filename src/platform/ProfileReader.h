#pragma once
// Reader of INI-format files (settings and project files): section names, key names in file
// order and key values. Section and key names match without regard to letter case; blanks
// around names and values are trimmed; lines starting with ";" are comments; LF or CR LF.
// Sections that occur more than once read as one: the keys of later ones are appended and a
// key keeps its first value. Anything unreadable reads as empty, never as an error.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class TProfileFile {
 public:
  TProfileFile() = default;
  // Reads the whole file; a missing or unreadable file reads as an empty profile.
  explicit TProfileFile(const QString& path);
  // Decodes Data as UTF-8 when valid, else as Latin-1.
  static TProfileFile FromBytes(const QByteArray& data);

  // Bytes beyond this are ignored, so a huge file cannot exhaust memory.
  static constexpr qsizetype MaxFileSize = 32 * 1024 * 1024;

  QStringList SectionNames() const;  // file order, each once, spelled as first met
  bool HasSection(const QString& section) const;
  QStringList KeyNames(const QString& section) const;  // file order, each once
  QString Value(const QString& section, const QString& key) const;  // "" when absent

 private:
  struct TSection {
    QString Name;
    QStringList Keys;
    QStringList Values;
    QHash<QString, qsizetype> Index;  // folded key -> position in Keys
  };
  void Parse(const QString& text);
  const TSection* Find(const QString& section) const;

  QList<TSection> FSections;
  QHash<QString, qsizetype> FSectionIndex;  // folded name -> position in FSections
};
