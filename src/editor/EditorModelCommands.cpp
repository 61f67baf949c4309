// TEditorModel: what each editor command does.
#include "editor/EditorModel.h"

#include <algorithm>

// ---- the command table ----

void TEditorModel::ExecuteCommand(int command, QChar ch) {
  const TUnwind unwind(*this);
  BeginUpdate();
  if (command != ecChar) BreakUndoChain();
  // Commands look at the lines around the caret, and some at the whole text.
  LoadAroundCaret();
  if (command == ecEditorBottom || command == ecSelEditorBottom || command == ecSelectAll || command == ecClearAll)
    FLines.FinishLoad();
  const QPoint c = FCaret;
  const int y = c.y();
  auto moveTo = [&](QPoint p, bool select, bool keepCell = false) {
    MoveCaret(p, select);
    if (!keepCell) FLastCaretCell = CellOfColumn(FCaret.y(), FCaret.x());
  };
  auto vertical = [&](int line, bool select) {
    FLines.LoadUpTo(line);
    line = std::clamp(line, 1, LineCount());
    moveTo(QPoint(ColumnOfCell(line, FLastCaretCell), line), select, true);
  };
  const bool sel = command > ecSelection && command < ecSelection + 100;
  const int base = sel ? command - ecSelection : command;
  if (base >= ecLeft && base <= ecEditorBottom && (sel || command == base)) {
    switch (base) {
      case ecLeft:
        if (c.x() > 1) moveTo(QPoint(PrevCharColumn(y, c.x()), y), sel);
        else if (y > 1) moveTo(QPoint(LineLength(y - 1) + 1, y - 1), sel);
        break;
      case ecRight: moveTo(QPoint(NextCharColumn(y, c.x()), y), sel); break;
      case ecUp: vertical(y - 1, sel); break;
      case ecDown: vertical(y + 1, sel); break;
      case ecWordLeft: moveTo(WordLeft(c), sel); break;
      case ecWordRight: moveTo(WordRight(c), sel); break;
      case ecLineStart: moveTo(QPoint(1, y), sel); break;
      case ecLineEnd: moveTo(QPoint(LineLength(y) + 1, y), sel); break;
      case ecPageUp:
      case ecPageDown: {
        int page = (FOptions & eoHalfPageScroll) ? FLinesInWindow / 2 : FLinesInWindow;
        if (FOptions & eoScrollByOneLess) --page;
        page = std::max(1, page) * (base == ecPageUp ? -1 : 1);
        SetTopLine(FTopLine + page);
        vertical(y + page, sel);
        break;
      }
      case ecPageLeft: moveTo(QPoint(ColumnOfCell(y, std::max(0, FLastCaretCell - FCharsInWindow)), y), sel); break;
      case ecPageRight: moveTo(QPoint(ColumnOfCell(y, FLastCaretCell + FCharsInWindow), y), sel); break;
      case ecPageTop: vertical(FTopLine, sel); break;
      case ecPageBottom: vertical(std::min(FTopLine + FLinesInWindow - 1, LineCount()), sel); break;
      case ecEditorTop: moveTo(QPoint(1, 1), sel); break;
      case ecEditorBottom: moveTo(QPoint(LineLength(LineCount()) + 1, LineCount()), sel); break;
    }
  } else if (command >= ecGotoMarker0 && command <= ecGotoMarker9) {
    if (BookmarkKeysEnabled) GotoBookmark(command - ecGotoMarker0);
  } else if (command >= ecSetMarker0 && command <= ecSetMarker9) {
    if (BookmarkKeysEnabled) SetMarkerCommand(command - ecSetMarker0);
  } else {
    switch (command) {
      case ecSelectAll:
        SetSelectionMode(TSelectionMode::smNormal);  // all of the text, not a rectangle of it
        moveTo(QPoint(LineLength(LineCount()) + 1, LineCount()), false);
        SetSelection(QPoint(1, 1), FCaret);
        break;
      case ecCopy: CopySelection(); break;
      case ecCut:
        if (HasSelection()) {
          CopySelection();
          BeginGroup(ecCut);
          DeleteSelection();
          EndGroup();
        }
        break;
      case ecPaste:
        if (GetClipboard) {
          bool block = false;
          const QString t = GetClipboard(block);
          if (t.isEmpty()) break;
          if (block) PasteColumnBlock(t);
          else InsertText(t);
        }
        break;
      case ecScrollUp:
        SetTopLine(FTopLine - 1);
        if (y >= FTopLine + FLinesInWindow) vertical(FTopLine + FLinesInWindow - 1, false);
        break;
      case ecScrollDown:
        SetTopLine(FTopLine + 1);
        if (y < FTopLine) vertical(FTopLine, false);
        break;
      case ecScrollLeft: SetLeftChar(FLeftChar - 1); break;
      case ecScrollRight: SetLeftChar(FLeftChar + 1); break;
      case ecInsertMode: SetInsertMode(true); break;
      case ecOverwriteMode: SetInsertMode(false); break;
      case ecToggleMode: SetInsertMode(!FInsertMode); break;
      case ecNormalSelect: SetSelectionMode(TSelectionMode::smNormal); break;
      case ecColumnSelect: SetSelectionMode(TSelectionMode::smColumn); break;
      case ecLineSelect: SetSelectionMode(TSelectionMode::smLine); break;
      case ecMatchBracket: MatchBracket(); break;
      case ecDeleteLastChar: DeleteLastChar(); break;
      case ecDeleteChar: DeleteChar(); break;
      case ecDeleteWord: {
        BeginGroup(command);
        if (HasSelection()) DeleteSelection();
        else ReplaceRange(c, WordRight(c), {});
        EndGroup();
        break;
      }
      case ecDeleteLastWord: {
        BeginGroup(command);
        if (HasSelection()) {
          DeleteSelection();
        } else {
          const QPoint from = WordLeft(c);
          ReplaceRange(from, c, {});
          moveTo(from, false);
        }
        EndGroup();
        break;
      }
      case ecDeleteBOL:
        BeginGroup(command);
        ReplaceRange(QPoint(1, y), c, {});
        moveTo(QPoint(1, y), false);
        EndGroup();
        break;
      case ecDeleteEOL:
        BeginGroup(command);
        if (c.x() <= LineLength(y)) ReplaceRange(c, QPoint(LineLength(y) + 1, y), {});
        EndGroup();
        break;
      case ecDeleteLine: DeleteLine(); break;
      case ecClearAll:
        BeginGroup(command);
        ReplaceLines(0, FLines.Count(), {{std::string_view(), FLines.LineBreakStyle() == TLineBreakStyle::CrLf}});
        moveTo(QPoint(1, 1), false);
        EndGroup();
        break;
      case ecLineBreak: LineBreak(true); break;
      case ecInsertLine: LineBreak(false); break;
      case ecChar: TypeChar(ch); break;
      case ecUndo: Undo(); break;
      case ecRedo: Redo(); break;
      case ecBlockIndent: BlockIndent(true); break;
      case ecBlockUnindent: BlockIndent(false); break;
      case ecTab: DoTab(); break;
      case ecShiftTab: DoShiftTab(); break;
      default: break;
    }
  }
  // A delete may join a lone mark to the character before the caret (a tab between them gone):
  // the caret goes before both, never between a letter and its mark.
  if (const int x = SnapColumn(FCaret.y(), FCaret.x()); x != FCaret.x() && !HasSelection())
    MoveCaret(QPoint(x, FCaret.y()), false);
  EndUpdate();
  if (OnCommandProcessed) OnCommandProcessed(command, ch);
}
