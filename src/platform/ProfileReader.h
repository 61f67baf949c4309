#pragma once
// Reader of INI-format files (settings and project files): section names, key names in file
// order and key values. Section and key names match without regard to letter case; blanks
// around names and values are trimmed, then one pair of double quotes around a value; lines
// starting with ";" are comments; lines end in CR LF, LF or CR. Each line is decoded on its own:
// UTF-8 where it is valid, else Latin-1 (a file with a UTF-16 or UTF-32 byte order mark is
// decoded whole). Sections that occur more than once read as one: the keys of later ones are
// appended and a key keeps its first value.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class TProfileFile {
 public:
  TProfileFile() = default;
  // Reads the whole file. A missing file reads as an empty profile; so does one that is no
  // readable text file (a pipe, a device, a directory, unreadable, too big, binary), and then
  // Error() says why. A pipe or device is never opened.
  explicit TProfileFile(const QString& path);
  // Path only names the file in Error().
  static TProfileFile FromBytes(const QByteArray& data, const QString& path = QString());

  // Bigger files are refused, so a huge file cannot exhaust memory.
  static constexpr qsizetype MaxFileSize = 32 * 1024 * 1024;

  // The user's message "Kann Datei <path> nicht lesen: <reason>"; empty when read or absent.
  QString Error() const { return FError; }

  QStringList SectionNames() const;  // file order, each once, spelled as first met
  QStringList KeyNames(const QString& section) const;  // file order, each once
  QString Value(const QString& section, const QString& key) const;  // "" when absent

  // Line as bytes to write: the bytes this file held for a line of that text that was not
  // UTF-8 (so unchanged entries keep their encoding), else its UTF-8 form.
  QByteArray Encode(const QString& line) const;

 private:
  struct TSection {
    QString Name;
    QStringList Keys;
    QStringList Values;
    QHash<QString, qsizetype> Index;  // folded key -> position in Keys
  };
  void ParseLine(const QString& line, qsizetype& current);  // current: index of the open section
  const TSection* Find(const QString& section) const;
  void Refuse(const QString& path, const QString& reason);

  QList<TSection> FSections;
  QHash<QString, qsizetype> FSectionIndex;  // folded name -> position in FSections
  QHash<QString, QByteArray> FForeignLines;  // trimmed text -> trimmed bytes of non-UTF-8 lines
  QString FError;
};
