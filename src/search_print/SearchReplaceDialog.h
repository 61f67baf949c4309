#pragma once
// TVoSearchReplaceDialog: the search and replace component of the main window. Remembers the
// last texts and options between calls, shows the search or replace dialog, hands the work to
// the editor's SearchReplace and answers its replace questions with the confirm dialog.
#include <QObject>
#include <QPointer>
#include <QString>

#include "editor/EditTypes.h"

class TEditControl;
class TTextSearchDialog;
class TTextReplaceDialog;
class TConfirmReplaceDialog;

class TVoSearchReplaceDialog : public QObject {
  Q_OBJECT

 public:
  explicit TVoSearchReplaceDialog(QObject* parent = nullptr);
  ~TVoSearchReplaceDialog() override;

  void SetEditControl(TEditControl* editControl);
  TEditControl* EditControl() const;

  void Search();
  void Replace();
  void SearchAgain();
  bool HasSearchText() const { return !FSearchText.isEmpty(); }

  const QString& SearchText() const { return FSearchText; }
  const QString& ReplaceText() const { return FReplaceText; }
  bool SearchBackwards() const { return FBackwards; }
  bool SearchCaseSensitive() const { return FCaseSensitive; }
  bool SearchFromCursor() const { return FFromCursor; }
  bool SearchInSelection() const { return FSelectionOnly; }
  bool SearchWholeWords() const { return FWholeWords; }

  TTextSearchDialog* SearchDialog() const;
  TTextReplaceDialog* ReplaceDialog() const;
  TConfirmReplaceDialog* ConfirmDialog() const;  // nullptr before the first question

 protected:
  // Shows a dialog modally and returns its result; tests override these to answer instead.
  virtual int ShowDialog(TTextSearchDialog* dialog);
  virtual int ShowConfirmDialog(TConfirmReplaceDialog* dialog);

 private:
  void DoSearchReplace(bool replace);
  void RunSearchReplace(bool replace);
  void InstallReplaceHandler();
  void ReplaceTextHandler(const QString& search, const QString& replace, int line, int column,
                          TReplaceAction& action);

  QPointer<TEditControl> FEditControl;
  QString FSearchText;
  QString FReplaceText;
  // Children of the main window, which may delete them first when it closes.
  QPointer<TTextSearchDialog> FSearchDialog;
  QPointer<TTextReplaceDialog> FReplaceDialog;
  QPointer<TConfirmReplaceDialog> FConfirmDialog;
  bool FBackwards = false;
  bool FCaseSensitive = false;
  bool FFromCursor = false;
  bool FSelectionOnly = false;
  bool FWholeWords = false;
  bool FAnsweredAll = false;  // "Ja, alle" was answered in the running replace
};
