#include "editor/EditorModel.h"

#include <algorithm>

namespace {
// The 8-bit code page's lower-case mapping and alphanumeric test.
struct TCharTables {
  unsigned char Lower[256];
  bool AlnumLatin1[256];
  bool AlnumUtf8[256];
  TCharTables() {
    for (int c = 0; c < 256; ++c) {
      const bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
      Lower[c] = static_cast<unsigned char>(upper ? c + 0x20 : c);
      const bool ascii = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      AlnumLatin1[c] = ascii || c == 0xAA || c == 0xB5 || c == 0xBA || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
      AlnumUtf8[c] = ascii || c >= 0x80;  // parts of letters
    }
  }
};
const TCharTables& Tables() {
  static const TCharTables t;
  return t;
}
}  // namespace

int TEditorModel::SearchReplace(const QString& search, const QString& replace, TSearchOptions options) {
  if (search.isEmpty()) return 0;
  const std::string pat = FLines.Encode(search);
  const std::string rep = FLines.Encode(replace);
  const bool matchCase = options & ssoMatchCase;
  const bool wholeWord = options & ssoWholeWord;
  const bool back = options & ssoBackwards;
  const bool fromCursor = !(options & ssoEntireScope);
  const bool selOnly = (options & ssoSelectedOnly) && HasSelection();
  const bool doReplace = options & (ssoReplace | ssoReplaceAll);
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

  const TCharTables& tables = Tables();
  const bool* alnum = FLines.Encoding() == TTextEncoding::Utf8 ? tables.AlnumUtf8 : tables.AlnumLatin1;
  std::string lowPat = pat;
  if (!matchCase)
    for (char& c : lowPat) c = static_cast<char>(tables.Lower[static_cast<unsigned char>(c)]);
  const std::size_t plen = pat.size();
  const int delta = static_cast<int>(rep.size()) - static_cast<int>(plen);

  auto findAll = [&](std::string_view s, std::vector<int>& hits) {
    hits.clear();
    std::size_t i = 0;
    while (i + plen <= s.size()) {
      std::size_t at;
      if (matchCase) {
        at = s.find(pat, i);
        if (at == std::string_view::npos) return;
      } else {
        const unsigned char first = static_cast<unsigned char>(lowPat[0]);
        at = i;
        while (at + plen <= s.size() && tables.Lower[static_cast<unsigned char>(s[at])] != first) ++at;
        if (at + plen > s.size()) return;
        std::size_t k = 1;
        while (k < plen && tables.Lower[static_cast<unsigned char>(s[at + k])] == static_cast<unsigned char>(lowPat[k]))
          ++k;
        if (k < plen) {
          i = at + 1;
          continue;
        }
      }
      if (wholeWord && ((at > 0 && alnum[static_cast<unsigned char>(s[at - 1])]) ||
                        (at + plen < s.size() && alnum[static_cast<unsigned char>(s[at + plen])]))) {
        i = at + 1;
        continue;
      }
      hits.push_back(static_cast<int>(at) + 1);
      i = at + plen;
    }
  };

  BeginUpdate();
  if (doReplace) BeginGroup(ecNone);
  int result = 0;
  bool stop = false;
  std::vector<int> hits;
  for (int y = back ? end.y() : start.y(); !stop && (back ? y >= start.y() : y <= end.y()); y += back ? -1 : 1) {
    findAll(LineBytes(y), hits);
    if (hits.empty()) continue;
    int shift = 0;
    int endCol = end.x();
    for (std::size_t h = 0; h < hits.size() && !stop; ++h) {
      const int col = (back ? hits[hits.size() - 1 - h] : hits[h]) + shift;
      const int colEnd = col + static_cast<int>(plen);
      if (mode == TSelectionMode::smNormal) {
        if (y == start.y() && col < start.x()) continue;
        if (y == end.y() && colEnd > endCol) continue;
      } else if (mode == TSelectionMode::smColumn) {
        if (col < start.x() || colEnd > endCol) continue;
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
          if (y == end.y() || mode == TSelectionMode::smColumn) endCol += delta;
        }
      }
      if (!replaceAll) stop = true;
    }
  }
  if (doReplace) EndGroup();
  EndUpdate();
  return result;
}
