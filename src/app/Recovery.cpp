#include "app/Recovery.h"

#include <QDir>

#include "app/EditorView.h"
#include "app/FormMain.h"
#include "editor/EditControl.h"
#include "editor/EditLinesImpl.h"
#include "platform/ui/UserDialogs.h"

namespace {
constexpr int RetryMs = 100;
constexpr int PollMs = 50;
}  // namespace

TRecovery::TRecovery(TFormMain* window) : QObject(window), FWindow(window) {
  FDelay.setSingleShot(true);
  connect(&FDelay, &QTimer::timeout, this, &TRecovery::WriteDue);
  FPoll.setInterval(PollMs);
  connect(&FPoll, &QTimer::timeout, this, &TRecovery::Poll);
}

TRecovery::~TRecovery() {
  // Views outliving this object must not report to it.
  for (const auto& [view, tab] : FTabs) disconnect(view, nullptr, this, nullptr);
}

void TRecovery::Start(const QString& root) {
  FJournal = std::make_unique<TRecoveryJournal>(root);
  if (!FJournal->Open()) {
    FWindow->ShowStatus(QStringLiteral("Kein Wiederherstellungsordner in %1.").arg(QDir::toNativeSeparators(root)));
    FJournal.reset();
    return;
  }
  Offer();
}

void TRecovery::Offer() {
  for (const TRecoveredText& found : FJournal->Orphans()) {
    const QString text = QStringLiteral("Kodrill wurde nicht ordnungsgemäß beendet. Es gibt einen ungesicherten Text "
                                        "vom %1 für\n\"%2\".")
                             .arg(found.Saved.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")),
                                  found.Path.isEmpty() ? QStringLiteral("(ohne Namen)") : found.Path);
    switch (AskTwoWays(FWindow, text, QStringLiteral("Wiederherstellen"), QStringLiteral("Verwerfen"))) {
      case TAnswer::Yes:
        Restore(found);
        break;
      case TAnswer::No:
        FJournal->Discard(found);
        break;
      case TAnswer::Cancel:  // offered again at the next start
        break;
    }
  }
  FJournal->ReleaseOrphans();
}

void TRecovery::Restore(const TRecoveredText& found) {
  TRecoveredText text;
  if (!Journal::Read(found.Entry, text, true)) {
    ShowErrorBox(FWindow, QStringLiteral("Kann Datei %1 nicht lesen").arg(QDir::toNativeSeparators(found.Entry)));
    return;
  }
  // A text made from the start of a file that could not be read whole would cut the file short.
  TEditorView* view = FWindow->OpenForRecovery(text.Partial ? QString() : text.Path);
  if (!view) return;
  if (view->PathName.isEmpty() && !text.Path.isEmpty()) {
    FWindow->ShowStatus(QStringLiteral("Der Text für \"%1\" steht in einem neuen Dokument: %2")
                            .arg(QDir::toNativeSeparators(text.Path),
                                 text.Partial ? QStringLiteral("Kodrill konnte die Datei nicht vollständig lesen.")
                                              : QStringLiteral("die Datei ist schon mit Änderungen offen.")));
    text.Path.clear();  // nothing of that file's state applies to the new tab
  }
  TEditLines& lines = view->Editor()->Lines();
  lines.LoadFromBytes(std::string_view(text.Bytes.constData(), std::size_t(text.Bytes.size())));
  lines.SetEncoding(text.Encoding);
  lines.Impl().Style = text.LineBreaks;  // for the lines typed from now on
  view->SetModified(true);
  // The text was made from the file as it was then: a file changed since is a change made
  // outside, asked about as for any modified tab, and never overwritten without a question.
  if (text.Disk && !text.Path.isEmpty() && !SameFileState(*text.Disk, view->Disk.Known())) {
    view->Disk.Synced(*text.Disk);
    FWindow->CheckOutsideChanges();
  }
  const auto tab = FTabs.find(view);
  if (tab != FTabs.end()) tab->second.HasEntry = FJournal->Adopt(found, tab->second.Id);
}

void TRecovery::Follow(TEditorView* view) {
  if (!FJournal) return;
  auto [it, added] = FTabs.try_emplace(view);
  TTab& tab = it->second;
  if (added) {
    tab.Id = FNextId++;
    tab.Write = std::make_unique<Platform::TSnapshotWrite>();
    connect(view, &QObject::destroyed, this, &TRecovery::Forget);
  }
  tab.Modified = view->Modified();
  if (tab.Modified) {
    tab.Dirty = true;
    if (!FDelay.isActive()) FDelay.start(DelayMs);
  } else {
    // Saved or given up: the entry goes once no write of it runs any more.
    tab.Dirty = false;
    if (tab.HasEntry && !tab.Write->Running()) FJournal->Remove(tab.Id), tab.HasEntry = false;
  }
}

void TRecovery::WriteDue() {
  bool waiting = false;
  for (auto& [object, tab] : FTabs) {
    const auto* view = static_cast<const TEditorView*>(object);
    if (!tab.Dirty || !view->Modified()) continue;
    // A text still being read is not whole yet.
    if (tab.Write->Running() || view->Editor()->Lines().Loading()) waiting = true;
    else Snapshot(view, tab);
  }
  if (waiting) FDelay.start(RetryMs);
  FPoll.start();
}

void TRecovery::Snapshot(const TEditorView* view, TTab& tab) {
  tab.Dirty = false;
  tab.HasEntry = tab.Writing = true;
  FJournal->Write(tab.Id, view->PathName, view->Disk.Known(), !view->LoadError().isEmpty(), view->Editor()->Lines(),
                  *tab.Write);
}

void TRecovery::Poll() {
  bool running = false;
  for (auto& [object, tab] : FTabs) {
    if (tab.Write->Running()) {
      running = true;
      continue;
    }
    const auto* view = static_cast<const TEditorView*>(object);
    if (tab.Writing && !tab.Write->Succeeded()) {
      // Tried again at the next change.
      tab.Dirty = true;
      FWindow->ShowStatus(QStringLiteral("Kann Datei %1 nicht erstellen")
                              .arg(QDir::toNativeSeparators(FJournal->EntryFile(tab.Id))));
    }
    tab.Writing = false;
    if (tab.HasEntry && !view->Modified()) FJournal->Remove(tab.Id), tab.HasEntry = false;
  }
  for (auto it = FClosed.begin(); it != FClosed.end();) {
    if (it->second->Running()) {
      running = true;
      ++it;
    } else {
      FJournal->Remove(it->first);
      it = FClosed.erase(it);
    }
  }
  if (!running) FPoll.stop();
}

void TRecovery::Forget(QObject* view) {
  const auto it = FTabs.find(view);
  if (it == FTabs.end()) return;
  TTab& tab = it->second;
  // Closed after its text was saved or given up: the entry goes. A tab torn down with changes
  // keeps it, as after a crash.
  if (!tab.Modified && tab.HasEntry) {
    if (tab.Write->Running()) {
      FClosed.emplace_back(tab.Id, std::move(tab.Write));
      FPoll.start();
    } else {
      FJournal->Remove(tab.Id);
    }
  }
  FTabs.erase(it);
}

void TRecovery::Close() {
  if (!FJournal) return;
  FDelay.stop();
  FPoll.stop();
  // Writes still running are waited for; nothing is journaled any more.
  for (const auto& [view, tab] : FTabs) disconnect(view, nullptr, this, nullptr);
  FTabs.clear();
  FClosed.clear();
  FJournal->Close();
  FJournal.reset();
}
