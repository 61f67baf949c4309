#include "app/ProjectAsmFile.h"

#include <QStatusBar>

#include "app/EditorView.h"
#include "app/FormMain.h"

TProjectAsmFile::TProjectAsmFile(TProject* project, const TStringIniList& list, TFormMain* window,
                                 const QString& givenName)
    : FWindow(window) {
  if (project) project->AddFile(this);
  LoadFromList(list);
  if (!givenName.isEmpty()) File = givenName;
  CreateView();
  try {
    LoadView();
  } catch (const std::exception&) {
    // An unreadable file gives an empty tab that keeps the reason; the entry stays in the project.
  }
}

TProjectAsmFile::~TProjectAsmFile() {
  DestroyView();
  if (Project) Project->RemoveFile(this);
}

void TProjectAsmFile::CreateView() {
  if (FView || !FWindow) return;
  FView = new TEditorView(FWindow->PageControl(), FWindow->statusBar(), FWindow->PopupMenuChilds(),
                          &FWindow->ImageList(), this);
  TFormMain* window = FWindow;
  FView->OnChange = [window](TEditorView*) { window->UpdateControls(); };
}

void TProjectAsmFile::DestroyView() {
  TEditorView* view = FView;
  FView = nullptr;
  if (!view) return;
  view->DetachProjectFile();
  delete view;
}

void TProjectAsmFile::LoadView() {
  if (!FView) return;
  FView->LoadFile();
  FView->RestoreEditorState();
}

void TProjectAsmFile::ApplyHighlighterPrefs() {
  if (FView) FView->ApplyHighlighterSettings();
}

void TProjectAsmFile::StoreViewState() {
  if (FView) FView->StoreEditorState();
}

void TProjectAsmFile::ClearErrorMarks() {
  if (FView) FView->ClearMarks();
}

void TProjectAsmFile::MarkError(int kind, int line) {
  if (FView) FView->AddMark(kind, line);
}
