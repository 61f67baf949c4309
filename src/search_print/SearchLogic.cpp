#include "search_print/SearchLogic.h"

#include <cmath>

TSearchOptions SearchOptionsFor(const TSearchSettings& settings, bool replace) {
  TSearchOptions options = 0;
  if (settings.CaseSensitive) options |= ssoMatchCase;
  if (settings.WholeWords) options |= ssoWholeWord;
  if (settings.Backwards) options |= ssoBackwards;
  if (settings.SelectionOnly) options |= ssoSelectedOnly;
  if (!settings.FromCursor) options |= ssoEntireScope;
  if (replace) options |= ssoReplace | ssoReplaceAll | ssoPrompt;
  return options;
}

void AddToHistory(QStringList& history, const QString& text) {
  if (text.isEmpty()) return;
  for (qsizetype i = 0; i < history.size(); ++i) {
    if (history[i].compare(text, Qt::CaseInsensitive) == 0) {
      history.removeAt(i);
      break;
    }
  }
  history.prepend(text);
}

QString ReplaceQuestion(const QString& search, const QString& replace) {
  return QStringLiteral("Dieses Vorkommen von \"%1\" durch \"%2\" ersetzen?").arg(search, replace);
}

QPoint ConfirmDialogPosition(QPoint occurrence, int lineHeight, const TScreenRect& editor, QSize dialog) {
  const int x = occurrence.x();
  const int y1 = occurrence.y();
  const int y2 = y1 + lineHeight;
  const int w = editor.Right - editor.Left;
  const int h = editor.Bottom - editor.Top;
  const int d = dialog.width();
  const int e = dialog.height();

  int left;
  if (w <= d) {
    left = editor.Left - (d - w) / 2;
  } else {
    left = x;
    if (left + d > editor.Right) left = editor.Right - d;
  }
  const int twoThirds = static_cast<int>(std::lround(h * 2.0 / 3.0));
  const int top = y2 > editor.Top + twoThirds ? y1 - e - 4 : y2 + 4;
  return QPoint(left, top);
}

TReplaceAction ConfirmResultToAction(int result) {
  switch (result) {
    case crYes: return TReplaceAction::raReplace;
    case crNo: return TReplaceAction::raSkip;
    case crYesToAll: return TReplaceAction::raReplaceAll;
    default: return TReplaceAction::raCancel;
  }
}
