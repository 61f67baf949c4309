#include "search_print/SearchReplaceDialog.h"

#include "editor/EditControl.h"

TVoSearchReplaceDialog::TVoSearchReplaceDialog(QObject* parent) : QObject(parent) {}
TVoSearchReplaceDialog::~TVoSearchReplaceDialog() = default;

void TVoSearchReplaceDialog::SetEditControl(TEditControl* editControl) { FEditControl = editControl; }
TEditControl* TVoSearchReplaceDialog::EditControl() const { return FEditControl; }
void TVoSearchReplaceDialog::Search() {}
void TVoSearchReplaceDialog::Replace() {}
void TVoSearchReplaceDialog::SearchAgain() {}
int TVoSearchReplaceDialog::ShowDialog(TTextSearchDialog*) { return 0; }
int TVoSearchReplaceDialog::ShowConfirmDialog(TConfirmReplaceDialog*) { return 0; }
