#pragma once
// TFormMain: the main window with its menus, tool bar, status bar and one tab per open file.
#include <QKeyCombination>
#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QStringList>

#include <functional>
#include <vector>

#include "app/DiskState.h"
#include "settings/StringIniList.h"

class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QToolBar;
class TDragDrop;
class TEditorView;
class TSymbolNavigator;
class TFileWatch;
class TRecovery;
class TVoSearchReplaceDialog;
class TVoTimerMessage;

class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // Start-up after every form exists: settings, project directory, command-line files.
  void StartUp(const QStringList& args);

  // Opens a source file or a project, chosen by extension; other extensions are ignored.
  void OpenFile(const QString& name);
  // Creates a file entry of the current project from name=value lines ("File=...").
  void OpenAsmFile(const TStringIniList& properties);
  void OpenProject(const QString& name);
  // A tab for a recovered text of the file Path (which may be gone, or "" for none): a new one
  // without a name where that file is open with changes already.
  TEditorView* OpenForRecovery(const QString& path);
  // Looks soon whether files of open tabs changed outside Kodrill.
  void CheckOutsideChanges();
  void SaveProject(const QString& name);
  bool CloseProject();
  // The close question: every modified file (last tab first), then a named project.
  bool FormCloseQuery();

  void UpdateControls();
  void ShowStatus(const QString& text);
  // The tab comes to the front and takes the keys.
  void ActivateView(TEditorView* view);
  // Brings the tab of Path to the front, opening the file (any extension) when no tab shows it.
  TEditorView* ShowSourceFile(const QString& path);
  // An assembler message: its file comes to the front with the marked line selected and the
  // caret at the reported column (0: none), the text goes to the status bar.
  void ShowMessageLine(const QString& path, int line, int column, const QString& text);

  QTabWidget* PageControl() const { return FPageControl; }
  TEditorView* ActiveView() const;
  TEditorView* View(int index) const;
  int ViewCount() const;
  QLabel* StatusPanel(int index) const { return FStatusPanels[index]; }
  QMenu* PopupMenuChilds() const { return FPopupMenuChilds; }
  const std::vector<QPixmap>& ImageList() const { return FImageList; }
  TDragDrop* DragDrop() const { return FDragDrop; }
  TVoTimerMessage* TimerMessage() const { return FTimerMessage; }
  TVoSearchReplaceDialog* SearchReplaceDialog() const { return FSearchReplaceDialog; }
  TSymbolNavigator* Symbols() const { return FSymbols; }

  // True when a menu item of this window owns the key (enabled or not).
  bool IsMenuShortcut(QKeyCombination key) const;

 signals:
  // The close question allowed closing; the program ends its message loop.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void OpenStartFiles(const QStringList& args);
  TEditorView* FindView(const QString& path) const;
  TEditorView* AddFileTab(const QString& path);  // a tab for a file outside the project list
  // GivenName, when set, is the file's name as the user gave it and is taken as it is; names read
  // from a project also take "\" for a separator.
  TEditorView* AddAsmFile(const TStringIniList& properties, const QString& givenName);
  void CreateImageList();
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreatePopupMenu();
  void CreateStatusBar();
  // "Zuletzt geöffnet": rebuilt from the application's recent list whenever it is shown.
  void CreateRecentMenu(QMenu* file, QAction* before);
  void UpdateRecentMenu();
  void EnableRecentMenu();
  // A failure to store the list costs only the list: it is reported in the status bar.
  void AddRecent(const QString& path);
  // Every tab is followed by the file watch (and the recovery journal).
  void FollowView(TEditorView* view);
  QAction* NewAction(const char* name, const QString& caption, const QKeySequence& shortcut,
                     void (TFormMain::*handler)());
  QAction* NewButton(const char* name, const QString& hint, const QString& glyph, QAction* menuItem);
  // Runs a command; an error that escapes it is shown in the error box.
  void RunCommand(const std::function<void()>& command);
  void ShowAssembleAgain();
  void SetCaptionDefault();

  void MenNewClick();
  void MenOpenClick();
  void MenCloseClick();
  void MenCloseAllClick();
  void MenSaveClick();
  void MenSaveAsClick();
  void MenProjectSaveAsClick();
  void MenSaveAllClick();
  void MenPrintClick();
  void MenExitClick();
  void MenUndoClick();
  void MenRedoClick();
  void MenCutClick();
  void MenCopyClick();
  void MenPasteClick();
  void MenSelAllClick();
  void MenSearchClick();
  void MenReplaceClick();
  void MenSearchAgainClick();
  void MenGotoDefinitionClick();
  void MenGoBackClick();
  void MenGotoSymbolClick();
  void MenGotoLineClick();
  // A tab's close button or middle click: the same close as "Schließen", for that tab.
  void CloseTab(int index);
  void MenAsProjClick();
  void MenShowOutputClick();
  void MenNextMessageClick();
  void MenPrevMessageClick();
  void StepMessage(bool forward);
  void MenEditorClick();
  void MenAssemblerClick();
  void MenSavePrefsClick();
  void MenInfoClick();
  void MenToggleBookmarkClick(int n);
  void MenGotoBookmark(int n);
  void PageControlChange();
  void DragDropFilesDropped(int numItems);
  void TimerMessageTextChanged(const QString& newText);

  QTabWidget* FPageControl = nullptr;
  QToolBar* FToolbarStandard = nullptr;
  QMenu* FPopupMenuChilds = nullptr;
  QLabel* FStatusPanels[4] = {};
  std::vector<QPixmap> FImageList;
  TDragDrop* FDragDrop = nullptr;
  TVoTimerMessage* FTimerMessage = nullptr;
  TVoSearchReplaceDialog* FSearchReplaceDialog = nullptr;
  TSymbolNavigator* FSymbols = nullptr;
  QList<QKeySequence> FMenuKeys;
  QAction* FToggleItems[10] = {};
  QAction* FGotoItems[10] = {};
  QMenu* FRecentMenu = nullptr;
  TFileWatch* FFileWatch = nullptr;
  TRecovery* FRecovery = nullptr;
  // Where the last run's marks stood in a file when its tab last saved it: the tab opened anew
  // shows them there, not at the lines the run reported.
  struct TSavedMarks {
    TDiskState Disk;
    int Run = 0;
    QHash<int, int> Lines;
  };
  QHash<QString, TSavedMarks> FSavedMarks;
  // The assemble dialog stepped aside for the closing questions; it comes back when closing stops,
  // after any error box.
  bool FAssembleAside = false;
};

// The one main window (set by the program when it creates the form).
extern TFormMain* FormMain;
