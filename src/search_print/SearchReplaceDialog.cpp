#include "search_print/SearchReplaceDialog.h"

#include <QWidget>

#include "editor/EditControl.h"
#include "search_print/ConfirmReplaceDialog.h"
#include "search_print/SearchLogic.h"
#include "search_print/TextReplaceDialog.h"
#include "search_print/TextSearchDialog.h"

namespace {
QWidget* ParentWindow(QObject* parent) { return qobject_cast<QWidget*>(parent); }

QMargins FrameMargins(const QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect client = window->geometry();
  return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                  frame.bottom() - client.bottom());
}

// The dialog's size with its window frame, which a window manager adds around it and which
// must not cover the occurrence either. Until the dialog was first shown its frame is not
// known, and the frame of the editor's window stands in for it.
QSize FramedSize(const QWidget* dialog, const QWidget* editor) {
  QMargins frame = FrameMargins(dialog);
  if (frame.isNull()) frame = FrameMargins(editor->window());
  return dialog->size().grownBy(frame);
}
}  // namespace

TVoSearchReplaceDialog::TVoSearchReplaceDialog(QObject* parent) : QObject(parent) {
  FSearchDialog = new TTextSearchDialog(ParentWindow(parent));
  FReplaceDialog = new TTextReplaceDialog(ParentWindow(parent));
}

TVoSearchReplaceDialog::~TVoSearchReplaceDialog() {
  delete FSearchDialog;
  delete FReplaceDialog;
  delete FConfirmDialog;
}

TTextSearchDialog* TVoSearchReplaceDialog::SearchDialog() const { return FSearchDialog; }
TTextReplaceDialog* TVoSearchReplaceDialog::ReplaceDialog() const { return FReplaceDialog; }
TConfirmReplaceDialog* TVoSearchReplaceDialog::ConfirmDialog() const { return FConfirmDialog; }

void TVoSearchReplaceDialog::SetEditControl(TEditControl* editControl) { FEditControl = editControl; }
TEditControl* TVoSearchReplaceDialog::EditControl() const { return FEditControl; }

void TVoSearchReplaceDialog::Search() { DoSearchReplace(false); }
void TVoSearchReplaceDialog::Replace() { DoSearchReplace(true); }

void TVoSearchReplaceDialog::SearchAgain() {
  if (FSearchText.isEmpty() || !FEditControl) return;
  RunSearchReplace(false);
  FFromCursor = true;
}

int TVoSearchReplaceDialog::ShowDialog(TTextSearchDialog* dialog) { return dialog->exec(); }
int TVoSearchReplaceDialog::ShowConfirmDialog(TConfirmReplaceDialog* dialog) { return dialog->exec(); }

void TVoSearchReplaceDialog::DoSearchReplace(bool replace) {
  if (!FEditControl) return;
  TTextSearchDialog* dialog = replace ? FReplaceDialog.data() : FSearchDialog.data();
  if (!dialog) return;
  InstallReplaceHandler();
  dialog->SetSearchBackwards(FBackwards);
  dialog->SetSearchCaseSensitive(FCaseSensitive);
  dialog->SetSearchFromCursor(FFromCursor);
  dialog->SetSearchInSelection(FSelectionOnly);
  dialog->SetSearchWholeWords(FWholeWords);
  dialog->SetSearchText(FSearchText);
  if (ShowDialog(dialog) != QDialog::Accepted) return;

  FBackwards = dialog->SearchBackwards();
  FCaseSensitive = dialog->SearchCaseSensitive();
  FFromCursor = dialog->SearchFromCursor();
  FSelectionOnly = dialog->SearchInSelection();
  FWholeWords = dialog->SearchWholeWords();
  FSearchText = dialog->SearchText();
  if (replace) FReplaceText = FReplaceDialog->ReplaceText();
  // The editor may have gone while the dialog was open.
  if (FSearchText.isEmpty() || !FEditControl) return;
  RunSearchReplace(replace);
  FFromCursor = true;
}

void TVoSearchReplaceDialog::InstallReplaceHandler() {
  // The editor may outlive this component; the guard keeps the handler from calling a dead one.
  QPointer<TVoSearchReplaceDialog> self(this);
  FEditControl->OnReplaceText = [self](TEditControl*, const QString& search, const QString& replace, int line,
                                       int column, TReplaceAction& action) {
    if (self)
      self->ReplaceTextHandler(search, replace, line, column, action);
    else
      action = TReplaceAction::raCancel;
  };
}

void TVoSearchReplaceDialog::RunSearchReplace(bool replace) {
  InstallReplaceHandler();
  const TSearchSettings settings{FBackwards, FCaseSensitive, FFromCursor, FSelectionOnly, FWholeWords};
  FAnsweredAll = false;
  FEditControl->SearchReplace(FSearchText, FReplaceText, SearchOptionsFor(settings, replace));
}

void TVoSearchReplaceDialog::ReplaceTextHandler(const QString& search, const QString& replace, int line,
                                                int column, TReplaceAction& action) {
  // The replace options already carry "replace all", so the editor keeps asking after
  // "Ja, alle"; the answer stands for the rest of this run.
  if (FAnsweredAll) {
    action = TReplaceAction::raReplace;
    return;
  }
  // Nothing to ask when the replacement would leave the text as it is. The selected occurrence
  // decides: without match case it may differ from the search text in letter case, and then
  // replacing it is a real change.
  const QString occurrence = FEditControl && FEditControl->HasSelection() ? FEditControl->SelectedText() : search;
  if (occurrence == replace) {
    action = TReplaceAction::raSkip;
    return;
  }
  if (!FConfirmDialog) FConfirmDialog = new TConfirmReplaceDialog(ParentWindow(parent()));
  FConfirmDialog->SetQuestion(ReplaceQuestion(search, replace));

  if (FEditControl) {
    QWidget* client = FEditControl->viewport();
    const QPoint occurrenceAt = client->mapToGlobal(FEditControl->PositionToPixels(QPoint(column, line)));
    const QPoint clientAt = client->mapToGlobal(QPoint(0, 0));
    const TScreenRect editor{clientAt.x(), clientAt.y(), clientAt.x() + client->width(),
                             clientAt.y() + client->height()};
    // Placed by its frame's corner, as moving a window does.
    FConfirmDialog->move(ConfirmDialogPosition(occurrenceAt, FEditControl->LineHeight(), editor,
                                               FramedSize(FConfirmDialog, FEditControl)));
  }
  action = ConfirmResultToAction(ShowConfirmDialog(FConfirmDialog));
  FAnsweredAll = action == TReplaceAction::raReplaceAll;
}
