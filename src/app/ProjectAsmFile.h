#pragma once
// TProjectAsmFile: one open source file of the current project. It creates and owns the tab
// that shows it; closing the tab frees the entry, which leaves the project.
#include "settings/Project.h"

class TEditorView;
class TFormMain;

class TProjectAsmFile : public TProjectFile {
 public:
  // Joins Project (if any), reads List, creates the view in Window and loads the text. A file
  // that cannot be read leaves an empty tab whose view tells why; the window reports it.
  // GivenName, when set, replaces the file name read from List: a name the user gave is taken
  // as it is.
  TProjectAsmFile(TProject* project, const TStringIniList& list, TFormMain* window,
                  const QString& givenName = QString());
  ~TProjectAsmFile() override;

  TEditorView* View() const { return FView; }

  void CreateView() override;
  void DestroyView() override;
  void LoadView() override;
  void ApplyHighlighterPrefs() override;
  void StoreViewState() override;
  void ClearErrorMarks() override;
  void MarkError(int kind, int line) override;

  // The view goes away without the entry (the window is being torn down).
  void ViewDestroyed() { FView = nullptr; }

 private:
  TFormMain* FWindow;
  TEditorView* FView = nullptr;
};
