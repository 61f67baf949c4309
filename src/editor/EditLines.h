#pragma once
// The text of one editor: 8-bit lines without line-break characters, held compactly so that a
// file of 100 MiB loads in well under a second. Bytes round-trip exactly: an unchanged text
// saves back byte-identical (NUL bytes, lone CRs inside lines, bytes above 127, invalid UTF-8,
// a missing final line break).
//
// Public contract used by other areas; the storage behind it belongs to the editor.
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "editor/EditTypes.h"

enum class TTextEncoding {
  Utf8,    // the bytes are valid UTF-8
  Latin1,  // anything else: shown as Windows-1252 / ISO-8859-1
};

enum class TLineBreakStyle { CrLf, Lf };

class TEditLinesImpl;

class TEditLines {
 public:
  TEditLines();
  ~TEditLines();
  TEditLines(const TEditLines&) = delete;
  TEditLines& operator=(const TEditLines&) = delete;

  int Count() const;
  // Bytes of line Index (0-based); valid until the next change of the text.
  std::string_view operator[](int index) const;
  std::string_view Line(int index) const { return (*this)[index]; }
  // Line Index decoded for display in the text's encoding.
  QString Text(int index) const;

  // Changes without undo (like a plain string list). The owning editor keeps marks, caret and
  // highlighting in step with them.
  void Clear();
  void Add(std::string_view line);
  void Insert(int index, std::string_view line);
  void Delete(int index);
  void Put(int index, std::string_view line);

  // Reading: a line ends at LF or CR LF; a CR not followed by LF stays inside the line. The
  // style becomes CR LF when a CR LF line end was seen, else LF. Throws EEditFileError.
  void LoadFromFile(const QString& path);
  void LoadFromBytes(std::string_view bytes);
  // Writing is atomic (temporary file, then replace); a failure leaves the old file untouched
  // and throws EEditFileError with a message for the user.
  void SaveToFile(const QString& path) const;
  std::string SaveToBytes() const;

  TTextEncoding Encoding() const;
  void SetEncoding(TTextEncoding encoding);
  TLineBreakStyle LineBreakStyle() const;
  void SetLineBreakStyle(TLineBreakStyle style);
  // False when the loaded text did not end with a line break; saving keeps it that way.
  bool FinalLineBreak() const;

  // Conversions between display text and the bytes of this text's encoding. Encode turns what
  // the encoding cannot hold into "?": check UnencodableAt first where that matters.
  QString Decode(std::string_view bytes) const;
  std::string Encode(const QString& text) const;
  qsizetype UnencodableAt(const QString& text) const;

  // Change notification for the owning editor: (first line 0-based, lines removed, lines added).
  std::function<void(int, int, int)> OnLinesChanged;
  // After SaveToFile wrote the text: the file now holds exactly these lines.
  std::function<void()> OnSaved;

  TEditLinesImpl& Impl() { return *FImpl; }
  const TEditLinesImpl& Impl() const { return *FImpl; }

 private:
  std::unique_ptr<TEditLinesImpl> FImpl;
};
