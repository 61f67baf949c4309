#pragma once
// TEditorView: one document tab. Owns its editor control and its own assembler highlighter,
// keeps the modified flag in the tab caption, asks before discarding changes, writes the caret
// position and mode into the status bar, and handles bookmarks and assembler marks.
#include <QPixmap>
#include <QString>
#include <QHash>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "app/DiskState.h"
#include "editor/EditMarks.h"
#include "editor/EditTypes.h"
#include "highlight/AssemSyn.h"

class QMenu;
class QProgressBar;
class QStatusBar;
class QTabWidget;
class TEditControl;
class TProjectAsmFile;

// A gutter mark placed for an assembler message; remembers the line the assembler reported.
class TMyEditMark : public TEditMark {
 public:
  using TEditMark::TEditMark;
  int SourceLine = 0;
};

class TEditorView : public QWidget {
  Q_OBJECT

 public:
  TEditorView(QTabWidget* pageControl, QStatusBar* statusBar, QMenu* popupMenu,
              const std::vector<QPixmap>* imageList, TProjectAsmFile* projectFile);
  ~TEditorView() override;

  TEditControl* Editor() const { return FEditor; }
  TVoMAssemSyn* Highlighter() const { return FHighlighter.get(); }
  TProjectAsmFile* ProjectFile() const { return FProjectFile; }
  void DetachProjectFile() { FProjectFile = nullptr; }

  QString PathName;
  QString FileName;
  QString Processor;
  TVoNumberFormat NumberFormat = VoNF_CMode;
  bool Modified() const { return FModified; }
  // The load of the file failed: the tab is empty although the file may hold text.
  bool LoadFailed() const { return FLoadFailed; }
  // Why the file, which is there, could not be read (empty when it could, or when there was no
  // file). While it is set, the tab never writes over that file.
  const QString& LoadError() const { return FLoadError; }
  // The tab's text: the file's name, "[Gelöscht]" appended once it was deleted outside and
  // "[Geändert]" while modified. Its tooltip is the path.
  QString Caption() const;
  QString ToolTip() const;

  void LoadFile();
  void Save();
  void SaveAs();

  // The file as it was last loaded or saved; changes made outside are checked against it.
  TDiskFile Disk;
  // Takes the file's text again, keeping caret, top line and bookmarks as far as it allows.
  void ReloadFile();
  // The file was deleted outside: the tab keeps the text as a change and says so.
  void MarkDeleted(const TDiskState& now);
  void MarkPresent();  // the file is there (again)
  bool Deleted() const { return FDeleted; }
  // True when the view may be closed. After "Nein" the view stays modified: the caller drops the
  // flag once the whole close goes ahead.
  bool QuerySave();
  void CloseView();
  void SetModified(bool value);
  void Print();

  bool CanUndo() const;
  bool CanRedo() const;
  bool CanPaste() const;
  bool SelAvail() const;

  bool IsBookmarkSet(int n) const;
  void ToggleBookmark(int n);
  void GotoBookmark(int n);

  void ClearMarks();
  void AddMark(int kind, int line);
  // Selects the line marked for the reported Line, the caret at a byte Column of it (0: its start).
  void GotoMark(int line, int column = 0);
  // Where the marks stand now, by the line each was reported for (only those that moved); and
  // the marks put there again, in a tab opened anew on the text they were saved with.
  QHash<int, int> MarkLines() const;
  void MoveMarks(const QHash<int, int>& lines);

  // Moves the caret to a column (in characters) of a line and brings the line into view.
  void GotoLine(int line, int charColumn);
  int CharsInLine(int line) const;

  void RestoreEditorState();
  void StoreEditorState();
  void ApplyHighlighterSettings();
  void SetProcessor(const QString& name);
  void SetNumberFormat(TVoNumberFormat value);
  // The active tab has become this one or another: the status bar shows the active tab's caret,
  // mode and load.
  void ActiveTabChanged();
  // The status bar's caret panel text.
  static QString CaretText(int line, int column);
  // Why a file whose name is written in Latin-1 bytes on disk cannot be opened.
  static QString NotUtf8NameText(const QString& name);

  std::function<void(TEditorView*)> OnChange;
  // The text changed, or the modified flag did (a load or a save).
  std::function<void(TEditorView*)> OnTextState;

 signals:
  void TextChanged();
  // The text was written to PathName.
  void Saved();
  // Ctrl+click: the definition of the name under the caret is wanted.
  void DefinitionRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void EditorChange();
  void EditorStatusChange(TStatusChanges changes);
  void WriteStatus(TStatusChanges changes);
  bool IsActiveTab() const;
  // False when the user declined to overwrite a file changed outside.
  bool WriteLines(const QString& path);
  // Starts reading PathName (again, with Reload); a failure is kept in the load state and thrown on.
  void StartLoad(const TDiskState& state, bool reload);
  void ShowLoadProgress();  // a bar in the status bar while a big file is read
  void UpdateCaption();
  void ApplyLineNumbers();

  std::unique_ptr<TVoMAssemSyn> FHighlighter;
  TEditControl* FEditor = nullptr;
  QTabWidget* FPageControl = nullptr;
  QStatusBar* FStatusBar = nullptr;
  QMenu* FPopupMenu = nullptr;
  TProjectAsmFile* FProjectFile = nullptr;
  bool FModified = false;
  QProgressBar* FLoadProgress = nullptr;
  bool FLoadFailed = false;
  QString FLoadError;
  bool FDeleted = false;
};
