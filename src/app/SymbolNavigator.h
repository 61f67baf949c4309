#pragma once
// TSymbolNavigator: go to definition, back, and the symbol list of the main window. Keeps the
// symbol index in step with the open tabs: a saved or freshly loaded file is read by the indexer
// from disk, an edited one is copied in small steps once the edits settle. A request that meets
// an index still at work waits for it without blocking the window.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <deque>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "highlight/SymbolIndexer.h"

class TEditorView;
class TFormGotoSymbol;
class TFormMain;

class TSymbolNavigator : public QObject {
  Q_OBJECT

 public:
  explicit TSymbolNavigator(TFormMain* window);

  // A new tab: its text joins the index.
  void Watch(TEditorView* view);
  void GotoDefinition(TEditorView* view);
  void GoBack();
  bool CanGoBack() const { return !FBack.empty(); }
  void ShowSymbols();
  // The index matches every tab's text.
  bool Fresh() const;
  TFormGotoSymbol* Dialog() const { return FDialog; }

 private:
  struct TWatched {
    quint64 Edits = 0;   // text changes so far
    bool Dirty = false;  // changed since its text went to the indexer
  };
  struct TCopy {
    QPointer<TEditorView> View;
    quint64 Edits = 0;
    int Next = 0;
    std::shared_ptr<TSymbolText> Text;
  };
  struct TPosition {
    QPointer<TEditorView> View;
    QString Path;
    QPoint Caret;
    int TopLine = 1;
  };
  enum class TRequest { None, Definition, Symbols };
  // A file read from disk as it was then: size, time of its last change and of its last status
  // change (which a copy that keeps the time still sets).
  using TDiskStamp = std::tuple<qint64, qint64, qint64>;
  static TDiskStamp Stamp(const QString& path);

  void Edited(TEditorView* view);
  void Saved(TEditorView* view);
  void Forget(TEditorView* view);
  void UpdateRoots();
  void Post(const QString& path, std::shared_ptr<const TSymbolText> text);
  void PostUnrequested();
  // Included files that another program changed since they were read are read again.
  void RereadChangedFiles();
  void CopyEdited();
  void CopyStep();
  void Indexed(const TSymbolResult& result);
  void Request(TRequest kind, TEditorView* view);
  void RunRequest();
  void Jump(const TSymbolLocation& target);
  QString IncludeDir() const;

  TFormMain* FWindow;
  TSymbolIndex FIndex;
  TSymbolIndexer* FIndexer;
  TFormGotoSymbol* FDialog;
  std::map<TEditorView*, TWatched> FViews;
  QTimer FSettle;
  QTimer FCopyTimer;
  std::deque<QPointer<TEditorView>> FCopyQueue;
  TCopy FCopy;
  std::vector<TPosition> FBack;
  TRequest FRequest = TRequest::None;
  QPointer<TEditorView> FRequestView;
  QPoint FRequestCaret;
  std::string FRequestWord;
  bool FWaitShown = false;  // the status bar says the request waits
  QHash<QString, TDiskStamp> FDiskStamps;  // of the files read from disk, as they were read
};
