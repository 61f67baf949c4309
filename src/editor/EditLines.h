#pragma once
// The text of one editor: 8-bit lines without line-break characters, held compactly so that a
// file of 100 MiB loads in well under a second. Bytes round-trip exactly: an unchanged text
// saves back byte-identical (NUL bytes, lone CRs inside lines, bytes above 127, invalid UTF-8,
// a missing final line break, a UTF-8 byte order mark, which is kept but is no part of line 1).
//
// Public contract used by other areas; the storage behind it belongs to the editor.
#include <QString>

#include <cstdint>
#include <exception>
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
class TEditFileLoad;

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
  // Reading in steps, so that a big file shows at once: StartLoad reads the first part (all of
  // a file of a few MiB), ContinueLoad reads on for about the given time. Meanwhile Count()
  // grows, encoding and style follow what was read, and what needs the whole text (saving,
  // FinishLoad) reads the rest first. The file is copied into memory of its own: a change of
  // the file never changes lines already read. A read error throws EEditFileError and leaves
  // the text empty.
  void StartLoad(const QString& path);
  void ContinueLoad(int milliseconds);
  // Reads on until there are Lines lines or the file is read. Reading what is there is no
  // change of the text, so a constant text may do it.
  void LoadUpTo(int lines) const;
  void FinishLoad() const;
  bool Loading() const;
  qint64 LoadedBytes() const;
  qint64 LoadSize() const;
  // The last load stopped on an error; or the file changed size or time while it was read.
  bool LoadFailed() const;
  QString LoadError() const;  // the message of that error
  bool ChangedWhileLoading() const;
  // Writing keeps what the file is (mode, owner, hard links): atomic by a temporary file that
  // replaces it, or in place where a new file could not be the same. A failure throws
  // EEditFileError with a message for the user; a failed replace leaves the old file untouched.
  void SaveToFile(const QString& path) const;
  std::string SaveToBytes() const;

  TTextEncoding Encoding() const;
  void SetEncoding(TTextEncoding encoding);
  TLineBreakStyle LineBreakStyle() const;
  void SetLineBreakStyle(TLineBreakStyle style);
  // False when the loaded text did not end with a line break; saving keeps it that way.
  bool FinalLineBreak() const;
  // Bytes of the file before line 1: a UTF-8 byte order mark's 3, else 0. Tools that count
  // columns in the file's bytes count these on line 1.
  int BytesBeforeFirstLine() const;

  // Conversions between display text and the bytes of this text's encoding. Encode turns what
  // the encoding cannot hold into "?": check UnencodableAt first where that matters. Only the
  // whole file tells its encoding: for text beyond ASCII both finish a load in progress first.
  // SettleEncoding does that alone and returns a read that fails instead of throwing it: as far
  // as the file was read its encoding is known, and text typed meanwhile can still go in.
  std::exception_ptr SettleEncoding(const QString& text) const;
  QString Decode(std::string_view bytes) const;
  std::string Encode(const QString& text) const;
  qsizetype UnencodableAt(const QString& text) const;

  // Change notification for the owning editor: (first line 0-based, lines removed, lines added).
  std::function<void(int, int, int)> OnLinesChanged;
  // After SaveToFile wrote the text: the file now holds exactly these lines.
  std::function<void()> OnSaved;
  // A load in progress added lines at the end (first line 0-based, lines added); also sent
  // when the load ended on an error.
  std::function<void(int, int)> OnLinesLoaded;

  TEditLinesImpl& Impl() { return *FImpl; }
  const TEditLinesImpl& Impl() const { return *FImpl; }

 private:
  void ReadStep() const;
  template <class F>
  void ReadWhile(int known, F&& more) const;

  std::unique_ptr<TEditLinesImpl> FImpl;
  std::unique_ptr<TEditFileLoad> FLoad;
};
