#pragma once
// TRecovery: keeps the text of every modified tab in the recovery journal, at most a second
// after it changed, without making the typing wait; offers at start-up what an instance that
// did not end normally left behind.
#include <QObject>
#include <QTimer>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "app/RecoveryJournal.h"
#include "platform/SnapshotWrite.h"

class TEditorView;
class TFormMain;

class TRecovery : public QObject {
  Q_OBJECT

 public:
  explicit TRecovery(TFormMain* window);
  ~TRecovery() override;

  // Journals into Root from now on, after offering the texts left in it.
  void Start(const QString& root);
  // The view's text or modified flag changed.
  void Follow(TEditorView* view);
  // A normal end: the journal goes.
  void Close();

  // Longest time from a change to its journal entry being started.
  static constexpr int DelayMs = 1000;

 private:
  struct TTab {
    int Id = 0;
    bool Modified = false;  // as last reported
    bool Dirty = false;
    bool HasEntry = false;
    bool Writing = false;
    std::unique_ptr<Platform::TSnapshotWrite> Write;
  };
  void Offer();
  void Restore(const TRecoveredText& found);
  void WriteDue();
  void Snapshot(const TEditorView* view, TTab& tab);
  void Poll();
  void Forget(QObject* view);

  TFormMain* FWindow;
  std::unique_ptr<TRecoveryJournal> FJournal;
  std::map<QObject*, TTab> FTabs;
  // Entries of closed tabs whose last write was still running.
  std::vector<std::pair<int, std::unique_ptr<Platform::TSnapshotWrite>>> FClosed;
  int FNextId = 1;
  QTimer FDelay;
  QTimer FPoll;
};
