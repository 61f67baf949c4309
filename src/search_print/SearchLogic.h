#pragma once
// Rules of the search and replace component that need no window: the option set handed to the
// editor, the history lists, the confirm question and where the confirm dialog goes.
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include "editor/EditTypes.h"

struct TSearchSettings {
  bool Backwards = false;
  bool CaseSensitive = false;
  bool FromCursor = false;
  bool SelectionOnly = false;
  bool WholeWords = false;
};

// The editor's option set for a search, or for a replace with confirmation of every occurrence.
TSearchOptions SearchOptionsFor(const TSearchSettings& settings, bool replace);

// Puts Text first in History, dropping an entry equal to it ignoring letter case; empty texts
// are not remembered. No length limit.
void AddToHistory(QStringList& history, const QString& text);

// "Dieses Vorkommen von "<search>" durch "<replace>" ersetzen?"
QString ReplaceQuestion(const QString& search, const QString& replace);

// Screen rectangle as left, top, right, bottom with Right = Left + width (Bottom likewise).
struct TScreenRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// Top-left screen position of the confirm dialog of size Dialog for an occurrence whose text
// starts at Occurrence (screen coordinates, top of the line) in an editor whose client area is
// Editor: beside the occurrence, above it when it lies in the editor's lower third, centred on
// an editor narrower than the dialog.
QPoint ConfirmDialogPosition(QPoint occurrence, int lineHeight, const TScreenRect& editor, QSize dialog);

// Results of the confirm dialog; closing it any other way (Escape, the window's close button)
// gives QDialog::Rejected, which cancels.
enum TConfirmResult : int {
  crCancel = 0,
  crYes = 2,
  crNo = 3,
  crYesToAll = 4,
};
TReplaceAction ConfirmResultToAction(int result);
