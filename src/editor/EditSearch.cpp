#include "editor/EditorModel.h"

#include <QList>

#include <algorithm>
#include <array>

#include "editor/EditLinesImpl.h"
#include "editor/ScreenChars.h"

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
// multi-byte character, nor between a letter and its combining marks ("e" is no hit in "é" made
// of "e" and U+0301).
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
      if (len == 0 || SplitsALetter(s, i, len) || (FWholeWord && (WordCharBefore(s, i) || WordCharAt(s, i + len)))) {
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
  bool SplitsALetter(std::string_view s, std::size_t i, std::size_t len) const {
    return ScreenChars::Attached(s, i, FEnc) || (i + len < s.size() && ScreenChars::Attached(s, i + len, FEnc));
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
  const TUnwind unwind(*this);
  if (search.isEmpty()) return 0;
  FLines.FinishLoad();  // the encoding and every line are known then
  const bool doReplace = options & (ssoReplace | ssoReplaceAll);
  // A text the file cannot hold is in it nowhere; a stand-in would find and change other text.
  if (!Encodable(search, false) || (doReplace && !Encodable(replace, false))) return 0;
  const std::string rep = TextBytes(replace);  // line breaks go in as a paste puts them
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
    const bool column = mode == TSelectionMode::smColumn;
    const int startCol = column ? ColumnAtCell(y, left) : start.x();
    const int endCol = column ? ColumnAtCell(y, right) : end.x();
    const bool firstLine = y == start.y(), lastLine = y == end.y();
    // Forwards, the rest of the line follows each replacement: it goes on in line At, Shift
    // columns from where it was found. A replacement with line breaks moves it down.
    int at = y, shift = 0;
    for (std::size_t h = 0; h < hits.size() && !stop; ++h) {
      const THit& hit = back ? hits[hits.size() - 1 - h] : hits[h];
      // The area holds for the line as it was found.
      const int foundEnd = hit.Column + hit.Length;
      if (mode == TSelectionMode::smNormal) {
        if (firstLine && hit.Column < start.x()) continue;
        if (lastLine && foundEnd > endCol) continue;
      } else if (column) {
        if (hit.Column < startCol || foundEnd > endCol) continue;
      }
      const int col = hit.Column + shift;
      const int colEnd = col + hit.Length;
      ++result;
      MoveCaret(back ? QPoint(col, at) : QPoint(colEnd, at), false);
      SetSelection(QPoint(col, at), QPoint(colEnd, at));
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
        OnReplaceText(search, replace, at, col, action);
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
        const QPoint repEnd = ReplaceRange(QPoint(col, at), QPoint(colEnd, at), rep, true);
        MoveCaret(back ? QPoint(col, at) : repEnd, false);
        SetSelection(QPoint(col, at), repEnd);
        if (!back) {
          shift = repEnd.x() - foundEnd;
          end.ry() += repEnd.y() - at;  // the area's end moves down with the text behind
          at = repEnd.y();
        }
      }
      if (!replaceAll) stop = true;
    }
    if (!back) y = at;
  }
  if (doReplace) EndGroup();
  EndUpdate();
  return result;
}
