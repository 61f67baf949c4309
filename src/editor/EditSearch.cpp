#include "editor/EditorModel.h"

#include <QList>

#include <algorithm>
#include <array>

#include "editor/EditLinesImpl.h"

namespace {
struct THit {
  int Column;  // 1-based
  int Length;  // bytes; a case-insensitive hit may differ from the pattern's
};

char32_t Fold(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
  return QChar::toCaseFolded(c);
}

// Finds the occurrences in a line, whole characters only: a hit never starts or ends inside a
// multi-byte character.
class TMatcher {
 public:
  TMatcher(const TEditLines& lines, const QString& search, bool matchCase, bool wholeWord)
      : FEnc(lines.Encoding()), FMatchCase(matchCase), FWholeWord(wholeWord), FBytes(lines.Encode(search)) {
    for (char32_t c : search.toUcs4()) FFolded.push_back(Fold(c));
    // Only the Kelvin sign and the long s fold onto ASCII letters: otherwise an ASCII first
    // character can be looked for byte by byte.
    const char32_t first = FFolded[0];
    FAsciiFirst = first < 0x80 && !(FEnc == TTextEncoding::Utf8 && (first == 'k' || first == 's'));
    for (int b = 0; b < 0x80; ++b) FStarts[static_cast<std::size_t>(b)] = Fold(static_cast<char32_t>(b)) == first;
  }

  void FindAll(std::string_view s, std::vector<THit>& hits) const {
    hits.clear();
    std::size_t i = 0;
    while (i < s.size()) {
      std::size_t len = FBytes.size(), step = 1;  // a byte: no pattern starts inside a character
      if (FMatchCase) {
        i = s.find(FBytes, i);
        if (i == std::string_view::npos) return;
      } else {
        if (FAsciiFirst) {
          while (i < s.size() && !FStarts[static_cast<unsigned char>(s[i])]) ++i;
          if (i == s.size()) return;
        } else if (FoldedAt(s, i, step) != FFolded[0]) {
          i += step;
          continue;
        }
        len = FoldedMatch(s, i);
      }
      if (len == 0 || (FWholeWord && (WordCharBefore(s, i) || WordCharAt(s, i + len)))) {
        i += step;
        continue;
      }
      hits.push_back({static_cast<int>(i) + 1, static_cast<int>(len)});
      i += len;
    }
  }

 private:
  // The case-folded character at I and its length; plain ASCII without a call.
  char32_t FoldedAt(std::string_view s, std::size_t i, std::size_t& length) const {
    const auto b = static_cast<unsigned char>(s[i]);
    length = 1;
    if (b < 0x80) return Fold(b);
    char32_t c;
    length = static_cast<std::size_t>(EditText::DecodeChar(s, i, FEnc, c));
    return Fold(c);
  }
  std::size_t FoldedMatch(std::string_view s, std::size_t i) const {  // 0: no match at I
    std::size_t j = i, length = 0;
    for (char32_t want : FFolded) {
      if (j >= s.size() || FoldedAt(s, j, length) != want) return 0;
      j += length;
    }
    return j - i;
  }
  bool WordCharAt(std::string_view s, std::size_t i) const {
    if (i >= s.size()) return false;
    char32_t c;
    EditText::DecodeChar(s, i, FEnc, c);
    return QChar::isLetterOrNumber(c);
  }
  bool WordCharBefore(std::string_view s, std::size_t i) const {
    if (i == 0) return false;
    --i;
    if (FEnc == TTextEncoding::Utf8)
      while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
    return WordCharAt(s, i);
  }

  TTextEncoding FEnc;
  bool FMatchCase, FWholeWord, FAsciiFirst;
  std::array<bool, 256> FStarts{};  // bytes that begin the first character in either case
  std::string FBytes;
  std::vector<char32_t> FFolded;
};
}  // namespace

int TEditorModel::SearchReplace(const QString& search, const QString& replace, TSearchOptions options) {
  if (search.isEmpty()) return 0;
  FLines.FinishLoad();  // the encoding and every line are known then
  const bool doReplace = options & (ssoReplace | ssoReplaceAll);
  // A text the file cannot hold is in it nowhere; a stand-in would find and change other text.
  if (!Encodable(search, false) || (doReplace && !Encodable(replace, false))) return 0;
  const std::string rep = FLines.Encode(replace);
  const bool back = options & ssoBackwards;
  const bool fromCursor = !(options & ssoEntireScope);
  const bool selOnly = (options & ssoSelectedOnly) && HasSelection();
  bool replaceAll = options & ssoReplaceAll;
  bool prompt = options & ssoPrompt;

  const TSelectionMode mode = selOnly ? FSelMode : TSelectionMode::smNormal;
  QPoint start, end;
  if (!selOnly) {
    start = QPoint(1, 1);
    end = QPoint(LineLength(LineCount()) + 1, LineCount());
    if (fromCursor) (back ? end : start) = FCaret;
  } else {
    start = BlockBegin();
    end = BlockEnd();
    if (mode == TSelectionMode::smLine) {
      start.setX(1);
      end.setX(LineLength(end.y()) + 1);
    }
  }
  end.setY(std::min(end.y(), LineCount()));
  const TMatcher matcher(FLines, search, options & ssoMatchCase, options & ssoWholeWord);
  int left = 0, right = 0;  // a column block's cells; each line has its own columns there
  if (mode == TSelectionMode::smColumn) ColumnCells(left, right);

  BeginUpdate();
  if (doReplace) BeginGroup(ecNone);
  int result = 0;
  bool stop = false;
  std::vector<THit> hits;
  for (int y = back ? end.y() : start.y(); !stop && (back ? y >= start.y() : y <= end.y()); y += back ? -1 : 1) {
    matcher.FindAll(LineBytes(y), hits);
    if (hits.empty()) continue;
    int shift = 0;
    const bool column = mode == TSelectionMode::smColumn;
    const int startCol = column ? ColumnAtCell(y, left) : start.x();
    int endCol = column ? ColumnAtCell(y, right) : end.x();
    for (std::size_t h = 0; h < hits.size() && !stop; ++h) {
      const THit& hit = back ? hits[hits.size() - 1 - h] : hits[h];
      const int col = hit.Column + shift;
      const int colEnd = col + hit.Length;
      const int delta = static_cast<int>(rep.size()) - hit.Length;
      if (mode == TSelectionMode::smNormal) {
        if (y == start.y() && col < start.x()) continue;
        if (y == end.y() && colEnd > endCol) continue;
      } else if (mode == TSelectionMode::smColumn) {
        if (col < startCol || colEnd > endCol) continue;
      }
      ++result;
      MoveCaret(back ? QPoint(col, y) : QPoint(colEnd, y), false);
      SetSelection(QPoint(col, y), QPoint(colEnd, y));
      if (!doReplace) {
        stop = true;
        break;
      }
      TReplaceAction action = TReplaceAction::raReplace;
      if (prompt && OnReplaceText) {
        // The question shows the found text: let the screen catch up first.
        const int lock = FUpdateLock;
        FUpdateLock = 1;
        EndUpdate();
        OnReplaceText(search, replace, y, col, action);
        FUpdateLock = lock;
      }
      if (action == TReplaceAction::raCancel) {
        stop = true;
        break;
      }
      if (action == TReplaceAction::raReplaceAll) {
        // No more questions, also when the search began as a replace-all with prompt.
        replaceAll = true;
        prompt = false;
      }
      if (action != TReplaceAction::raSkip) {
        const bool keep = FOptions & eoTrimTrailingSpaces;
        FOptions &= ~static_cast<TEditOptions>(eoTrimTrailingSpaces);  // text outside the hit stays as it is
        ReplaceRange(QPoint(col, y), QPoint(colEnd, y), rep);
        if (keep) FOptions |= eoTrimTrailingSpaces;
        const QPoint repEnd(col + static_cast<int>(rep.size()), y);
        MoveCaret(back ? QPoint(col, y) : repEnd, false);
        SetSelection(QPoint(col, y), repEnd);
        if (!back && delta != 0) {
          shift += delta;
          // The area's end on this line moves with the text behind the replacement.
          if (y == end.y() || column) endCol += delta;
        }
      }
      if (!replaceAll) stop = true;
    }
  }
  if (doReplace) EndGroup();
  EndUpdate();
  return result;
}
