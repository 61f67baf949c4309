#pragma once
// The editor without a window: text, caret, selection, commands, undo, bookmarks, search and
// the highlighter's line states. The widget paints it and feeds it keys, mouse and clipboard.
#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/EditLines.h"
#include "editor/EditLinesImpl.h"
#include "editor/EditMarks.h"
#include "editor/EditTypes.h"
#include "highlight/Highlighter.h"

class TEditControl;

// Lines saved for undo: their bytes back to back and where each ends.
struct TLineSnapshot {
  std::string Bytes;
  std::vector<std::size_t> Ends;
  std::vector<bool> CrLf;
  int Count() const { return static_cast<int>(Ends.size()); }
};

struct TUndoOp {
  int First = 0;  // 0-based
  int Count = 0;  // lines to remove when applied
  TLineSnapshot Lines;  // lines to put in their place
  std::vector<TMarkPlace> Marks;  // where the marks on the lines it put back were
};

struct TUndoGroup {
  std::vector<TUndoOp> Ops;
  QPoint CaretBefore, CaretAfter;
  QPoint SelBeginBefore, SelEndBefore;
  int Command = ecNone;
  std::uint64_t State = 0;  // the text's state once the group is applied
};

class TEditorModel : public IHighlighterListener {
 public:
  explicit TEditorModel(TEditControl* owner = nullptr);
  ~TEditorModel() override;
  TEditorModel(const TEditorModel&) = delete;
  TEditorModel& operator=(const TEditorModel&) = delete;

  TEditLines& Lines() { return FLines; }
  const TEditLines& Lines() const { return FLines; }
  int LineCount() const { return std::max(1, FLines.Count()); }
  std::string_view LineBytes(int line) const { return FLines[line - 1]; }  // 1-based
  int LineLength(int line) const { return static_cast<int>(LineBytes(line).size()); }

  // Window geometry in lines and character cells (set by the widget).
  void SetViewSize(int linesInWindow, int charsInWindow);
  int LinesInWindow() const { return FLinesInWindow; }
  int CharsInWindow() const { return FCharsInWindow; }

  // Caret and scrolling, 1-based; LeftChar is a display cell.
  int CaretX() const { return FCaret.x(); }
  int CaretY() const { return FCaret.y(); }
  QPoint Caret() const { return FCaret; }
  void SetCaretXY(int x, int y);  // drops the selection and scrolls the caret into view
  void MoveCaretKeepSelection(QPoint pos);  // extends the selection to Pos
  int TopLine() const { return FTopLine; }
  void SetTopLine(int line);
  int LeftChar() const { return FLeftChar; }
  void SetLeftChar(int cell);
  void EnsureCaretVisible();
  int MaxScrollWidth() const;  // cells the horizontal scrolling covers
  int MaxCaretColumn(int line) const;

  // Selection; BlockBegin/End are ordered. A column block is a rectangle of display cells:
  // BlockBegin/End are its top left and bottom right corners as columns of their own lines.
  QPoint SelBegin() const { return FSelBegin; }
  QPoint SelEnd() const { return FSelEnd; }
  void SetSelBegin(QPoint p);
  void SetSelEnd(QPoint p);
  void SetSelection(QPoint begin, QPoint end);
  QPoint BlockBegin() const;
  QPoint BlockEnd() const;
  bool HasSelection() const;
  TSelectionMode SelectionMode() const { return FSelMode; }
  void SetSelectionMode(TSelectionMode mode);
  // Selected byte range of a line as [start, end) columns; end may pass the line's end
  // (column selection: the characters whose first cell lies inside the block's cells).
  // False when nothing of the line is selected.
  bool LineSelection(int line, int& startCol, int& endCol, bool& toLineEnd) const;
  std::string SelectedBytes() const;  // lines joined by LF
  QString SelectedText() const;
  QString ClipboardText() const;  // the selection as copied or dragged: pasting gives its bytes back
  void SelectWordAt(QPoint pos);

  bool InsertMode() const { return FInsertMode; }
  void SetInsertMode(bool value);
  // Whether the text differs from what was last loaded or saved; undo and redo may lead back.
  bool Modified() const { return FModified; }
  void SetModified(bool value);  // false: the text as it is counts as saved
  TEditOptions Options() const { return FOptions; }
  void SetOptions(TEditOptions options) { FOptions = options; }
  int TabWidth() const { return FTabWidth; }
  void SetTabWidth(int width);
  int MaxUndo() const { return FMaxUndo; }
  void SetMaxUndo(int value);
  int MaxLeftChar() const { return FMaxLeftChar; }
  std::vector<TEditKeyStroke>& Keystrokes() { return FKeystrokes; }
  int FindCommand(int key) const;  // ecNone when unbound

  // Commands and editing
  void ExecuteCommand(int command, QChar ch = QChar());
  bool InsertText(const QString& text);   // typed or pasted text at the caret; false: refused
  void InsertBytes(const std::string& bytes);  // may hold LF separators
  bool CanUndo() const { return !FUndo.empty(); }
  bool CanRedo() const { return !FRedo.empty(); }
  void Undo();
  void Redo();
  void ClearUndo();
  // Moves the selected text to Pos (drag-and-drop editing), one undo step.
  void MoveSelectionTo(QPoint pos, bool copy);

  // Bookmarks and marks
  void SetBookmark(int n, int column, int line);
  void ClearBookmark(int n);
  void GotoBookmark(int n);
  bool GetBookmark(int n, int& column, int& line) const;
  TEditMarkList& Marks() { return FMarks; }
  const TEditMarkList& Marks() const { return FMarks; }
  bool BookmarkKeysEnabled = true;
  bool BookmarkImagesSet = false;

  // Highlighter
  TCustomHighlighter* Highlighter() const { return FHighlighter; }
  void SetHighlighter(TCustomHighlighter* highlighter);
  void HighlighterChanged(TCustomHighlighter* sender) override;
  void HighlighterDestroyed(TCustomHighlighter* sender) override;
  // Starts the highlighter on a line (1-based) with its stored start state.
  void StartLine(int line);
  bool AttributeAt(QPoint pos, QString& token, THighlighterAttributes*& attribute);
  const TCharSet& IdentifierChars() const;

  // Search and replace
  int SearchReplace(const QString& search, const QString& replace, TSearchOptions options);

  // Character geometry: byte columns and display cells (0-based cells, tabs expanded).
  int CellOfColumn(int line, int column) const;
  // The nearest character boundary to Cell, or (Covering) the character that covers it.
  int ColumnOfCell(int line, int cell, bool covering = false) const;
  int ColumnAtCell(int line, int cell) const;  // the first character whose first cell is Cell or right of it
  int NextCharColumn(int line, int column) const;
  int PrevCharColumn(int line, int column) const;
  int SnapColumn(int line, int column) const;  // onto the start of a character
  int CharColumn(int line, int column) const;  // 1-based count of characters, for the user

  // Notifications grouped per operation.
  void BeginUpdate() { ++FUpdateLock; }
  void EndUpdate();
  std::function<void(TStatusChanges)> OnStatus;
  std::function<void()> OnTextChanged;
  std::function<void(int firstLine, int lastLine)> OnInvalidateLines;  // 1-based; lastLine -1: to the end
  std::function<void()> OnInvalidateAll;
  std::function<void(int command, QChar ch)> OnCommandProcessed;
  std::function<void(const QString&)> OnStatusMessage;  // a short note for the status bar
  std::function<void()> OnLoadProgress;  // a load in progress read on (or ended)
  // The clipboard; ColumnBlock: the text is a column block, one block line per line.
  std::function<QString(bool& columnBlock)> GetClipboard;
  std::function<void(const QString&, bool columnBlock)> SetClipboard;
  std::function<void(const QString& search, const QString& replace, int line, int column, TReplaceAction&)>
      OnReplaceText;

  // Whether the next typed characters join the last undo step.
  void BreakUndoChain() { FTypingLine = -1; }

 private:
  // At the start of a public operation: when a failed read of the file throws out of it half-way,
  // the update and the undo step it began end here, so that the editor goes on telling its
  // changes (a tab whose changes went untold would close without asking).
  class TUnwind {
   public:
    explicit TUnwind(TEditorModel& model);
    ~TUnwind();
    TUnwind(const TUnwind&) = delete;
    TUnwind& operator=(const TUnwind&) = delete;

   private:
    TEditorModel& FModel;
    int FUpdateLock, FGroupDepth, FUncaught;
  };

  void Changed(TStatusChanges reasons);
  void InvalidateLines(int first, int last);
  void OnExternalChange(int first, int removed, int added);
  void OnLinesLoaded(int first, int added);
  void LoadAroundCaret() const {
    FLines.LoadUpTo(std::max({FCaret.y(), FSelBegin.y(), FSelEnd.y()}) + 1);
  }
  // Marks: where the marks on deleted lines were, for the step that brings the lines back.
  void AfterReplace(int first, int removed, int added, std::vector<TMarkPlace>* marks);
  void RescanFrom(int start, int mustReach);
  void RescanAll();
  // Replaces lines [first, first+removeCount) (0-based) by NewLines, recorded for undo.
  void ReplaceLines(int first, int removeCount, const std::vector<TEditLinesImpl::TNewLine>& newLines);
  // Replaces the stream range [from, to) by Bytes (LF separates lines); returns the end of the insert.
  // Keep: no blanks are trimmed, for text the user puts in as a whole (a paste, a drop, a
  // replacement), which must arrive as it is.
  QPoint ReplaceRange(QPoint from, QPoint to, std::string_view bytes, bool keep = false);
  void DeleteSelection(bool keep = false);  // Keep: as for ReplaceRange
  void ColumnCells(int& left, int& right) const;  // the column block's cells [left, right)
  void CopySelection();
  // Each line of Text at the caret's display cell on successive lines, one undo step.
  void PasteColumnBlock(const QString& text);
  // Runs Insert once the file's encoding is known for Text; a read that failed on the way is
  // thrown after the text went in.
  template <class F>
  void WithEncoding(const QString& text, F&& insert);
  // Each line of Bytes (LF separated) at display cell Cell of successive lines from Top, short
  // lines padded with blanks, missing lines added; returns the end of the last line's insert.
  QPoint InsertColumnBlock(std::string_view bytes, int top, int cell);
  void BeginGroup(int command);
  void EndGroup();
  void ApplyGroup(TUndoGroup& group, std::deque<TUndoGroup>& target, bool undo);
  void TrimUndo();
  std::uint64_t CurrentState() const { return FUndo.empty() ? FBaseState : FUndo.back().State; }
  // False, with a status message naming the character, when the encoding cannot hold Text.
  bool Encodable(const QString& text, bool inserting);
  // Text as the file's bytes with LF line ends; false (with the status message) when it cannot be.
  bool InsertableBytes(const QString& text, std::string& bytes);
  // Text as the file's bytes with LF line ends, which the lines then store in the file's style.
  std::string TextBytes(const QString& text) const;
  TLineSnapshot Snapshot(int first, int count) const;
  void AppendSnapshot(TLineSnapshot& s, int first, int count) const;
  void MoveCaret(QPoint pos, bool select);
  QPoint WordLeft(QPoint pos) const;
  QPoint WordRight(QPoint pos) const;
  // Whether the byte at I of S belongs to a word: by the identifier characters, and beyond ASCII
  // also when its character is a letter or digit (an umlaut in a comment).
  bool IsWordAt(std::string_view s, std::size_t i) const;
  void DoTab();
  void DoShiftTab();
  void BlockIndent(bool indent);
  void LineBreak(bool moveCaret);
  void TypeChar(QChar ch);
  void DeleteLastChar();
  void DeleteChar();
  void DeleteLine();
  void MatchBracket();
  void SetMarkerCommand(int n);
  std::string Pad(int line, int column) const;  // the line's bytes up to Column-1, padded with spaces

  TEditControl* FOwner;
  TEditLines FLines;
  TEditMarkList FMarks;
  std::array<TEditMark*, 10> FBookmarks{};
  TCustomHighlighter* FHighlighter = nullptr;
  QPoint FCaret{1, 1};
  QPoint FSelBegin{1, 1}, FSelEnd{1, 1};
  int FTopLine = 1, FLeftChar = 1;
  int FLinesInWindow = 1, FCharsInWindow = 1;
  int FLastCaretCell = 0;  // kept for up and down moves
  TSelectionMode FSelMode = TSelectionMode::smNormal;
  bool FInsertMode = true;
  bool FModified = false;
  TEditOptions FOptions = DefaultEditOptions;
  int FTabWidth = 8;
  int FMaxUndo = 1024;
  int FMaxLeftChar = 1024;
  std::vector<TEditKeyStroke> FKeystrokes;
  std::deque<TUndoGroup> FUndo, FRedo;
  std::unique_ptr<TUndoGroup> FGroup;
  int FGroupDepth = 0;
  bool FInUndo = false;
  int FTypingLine = -1;
  std::uint64_t FLastState = 0;  // states handed out so far
  std::uint64_t FBaseState = 0;  // the state below the oldest undo step
  std::uint64_t FSavedState = 0;
  int FUpdateLock = 0;
  TStatusChanges FPending = 0;
  bool FTextChanged = false;
};
