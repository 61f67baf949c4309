#include "app/SymbolNavigator.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <utility>

#include "app/EditorView.h"
#include "app/FormGotoSymbol.h"
#include "app/FormMain.h"
#include "editor/EditControl.h"
#include "platform/Paths.h"
#include "settings/KodrillApp.h"

namespace {

constexpr int SettleInterval = 500;          // ms without edits before an edited text is indexed
constexpr std::size_t CopyStepBytes = 1 << 20;  // copied per turn of the event loop
constexpr std::size_t MaxBack = 100;
constexpr int LoadWaitInterval = 20;  // ms between looks at a text that is still being read

QString KeyOf(const TEditorView* view) { return TSymbolIndex::Key(view->PathName); }

QPoint CaretOf(const TEditorView* view) { return {view->Editor()->CaretColumn(), view->Editor()->CaretLine()}; }

}  // namespace

TSymbolNavigator::TSymbolNavigator(TFormMain* window)
    : QObject(window), FWindow(window), FIndexer(new TSymbolIndexer(this)), FDialog(new TFormGotoSymbol(window)) {
  connect(FIndexer, &TSymbolIndexer::Indexed, this, &TSymbolNavigator::Indexed, Qt::QueuedConnection);
  FSettle.setSingleShot(true);
  FSettle.setInterval(SettleInterval);
  connect(&FSettle, &QTimer::timeout, this, &TSymbolNavigator::CopyEdited);
  connect(&FCopyTimer, &QTimer::timeout, this, &TSymbolNavigator::CopyStep);
}

void TSymbolNavigator::Watch(TEditorView* view) {
  if (!view || FViews.count(view)) return;
  FViews[view] = {};
  connect(view, &TEditorView::TextChanged, this, [this, view] { Edited(view); });
  connect(view, &TEditorView::Saved, this, [this, view] { Saved(view); });
  connect(view, &TEditorView::DefinitionRequested, this, [this, view] { GotoDefinition(view); });
  connect(view, &QObject::destroyed, this, [this, view] { Forget(view); });
  UpdateRoots();
  if (view->Modified())
    Edited(view);
  else
    Post(KeyOf(view), nullptr);  // the text is the file's
}

void TSymbolNavigator::Edited(TEditorView* view) {
  TWatched& watched = FViews[view];
  ++watched.Edits;
  watched.Dirty = true;
  FRequest = TRequest::None;  // the user has moved on
  FSettle.start();
}

void TSymbolNavigator::Saved(TEditorView* view) {
  FViews[view].Dirty = false;
  UpdateRoots();  // "Speichern unter" may have given it another name
  Post(KeyOf(view), nullptr);
}

void TSymbolNavigator::Forget(TEditorView* view) {
  FViews.erase(view);
  UpdateRoots();
  PostUnrequested();  // a closed file that is still included is read from disk
}

void TSymbolNavigator::UpdateRoots() {
  QStringList roots;
  for (int i = 0; i < FWindow->ViewCount(); ++i)
    if (TEditorView* view = FWindow->View(i); view && FViews.count(view)) roots.append(KeyOf(view));
  FIndex.SetRoots(roots);
}

void TSymbolNavigator::Post(const QString& path, std::shared_ptr<const TSymbolText> text) {
  if (path.isEmpty()) return;
  // Taken before the read: a change made meanwhile shows at the next look.
  if (!text) FDiskStamps.insert(path, Stamp(path));
  FIndexer->Post({path, FIndex.Expect(path), std::move(text), IncludeDir()});
}

TSymbolNavigator::TDiskStamp TSymbolNavigator::Stamp(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return {-1, -1, -1};
  return {info.size(), info.lastModified().toMSecsSinceEpoch(), info.metadataChangeTime().toMSecsSinceEpoch()};
}

void TSymbolNavigator::RereadChangedFiles() {
  QSet<QString> open;
  for (const auto& [view, watched] : FViews) open.insert(KeyOf(view));  // these follow their tabs
  for (const auto& [path, symbols] : FIndex.Files())
    if (!open.contains(path) && FDiskStamps.value(path) != Stamp(path)) Post(path, nullptr);
}

void TSymbolNavigator::PostUnrequested() {
  for (const QString& path : FIndex.Unrequested()) Post(path, nullptr);
}

void TSymbolNavigator::CopyEdited() {
  for (const auto& [view, watched] : FViews)
    if (watched.Dirty && std::find(FCopyQueue.begin(), FCopyQueue.end(), view) == FCopyQueue.end())
      FCopyQueue.emplace_back(view);
  if (!FCopyTimer.isActive()) FCopyTimer.start(0);
}

void TSymbolNavigator::CopyStep() {
  while (!FCopy.View) {
    if (FCopyQueue.empty()) {
      FCopyTimer.stop();
      return;
    }
    const QPointer<TEditorView> next = FCopyQueue.front();
    FCopyQueue.pop_front();
    FCopy = {};
    if (next && FViews[next].Dirty) FCopy = {next, FViews[next].Edits, 0, std::make_shared<TSymbolText>()};
  }
  TEditorView* view = FCopy.View;
  if (FViews[view].Edits != FCopy.Edits) {
    FCopy = {};  // edited again: copied once these edits settle
    return;
  }
  const TEditLines& lines = view->Editor()->Lines();
  if (FCopy.Next < lines.Count()) {
    if (FCopyTimer.interval() != 0) FCopyTimer.start(0);
    std::string piece;
    piece.reserve(CopyStepBytes);
    while (FCopy.Next < lines.Count() && piece.size() < CopyStepBytes) {
      piece += lines[FCopy.Next++];
      piece += '\n';
    }
    FCopy.Text->push_back(std::move(piece));
    if (FCopy.Next < lines.Count()) return;
  }
  if (lines.Loading()) {
    FCopyTimer.start(LoadWaitInterval);  // a part of the file would index as the whole
    return;
  }
  FViews[view].Dirty = false;
  Post(KeyOf(view), std::move(FCopy.Text));
  FCopy = {};
}

void TSymbolNavigator::Indexed(const TSymbolResult& result) {
  if (!FIndex.Accept(result)) return;
  PostUnrequested();
  if (FRequest != TRequest::None && Fresh()) RunRequest();
}

bool TSymbolNavigator::Fresh() const {
  for (const auto& [view, watched] : FViews)
    if (watched.Dirty) return false;
  return !FIndex.Pending();
}

void TSymbolNavigator::GotoDefinition(TEditorView* view) {
  if (!view) return;
  const TEditLines& lines = view->Editor()->Lines();
  const QPoint caret = CaretOf(view);
  const std::string_view line = caret.y() <= lines.Count() ? lines[caret.y() - 1] : std::string_view();
  FRequestWord = SymbolWordAt(line, static_cast<std::size_t>(caret.x() - 1));
  if (FRequestWord.empty()) {
    FWindow->ShowStatus(QStringLiteral("Kein Symbol an der Schreibmarke."));
    return;
  }
  Request(TRequest::Definition, view);
}

void TSymbolNavigator::ShowSymbols() { Request(TRequest::Symbols, FWindow->ActiveView()); }

void TSymbolNavigator::Request(TRequest kind, TEditorView* view) {
  FRequest = kind;
  FRequestView = view;
  FRequestCaret = view ? CaretOf(view) : QPoint();
  RereadChangedFiles();
  if (Fresh()) {
    RunRequest();
    return;
  }
  // Index what is still edited now rather than after the pause; the request runs when done.
  FWindow->ShowStatus(QStringLiteral("Symbole werden gelesen..."));
  FWaitShown = true;
  FSettle.stop();
  CopyEdited();
}

void TSymbolNavigator::RunRequest() {
  const TRequest kind = std::exchange(FRequest, TRequest::None);
  if (std::exchange(FWaitShown, false)) FWindow->ShowStatus(QString());
  TEditorView* view = FRequestView;
  if (kind == TRequest::Symbols) {
    TSymbolList all = FIndex.All();
    if (const int row = FDialog->Choose(all, true); row >= 0) Jump(all.At(row));
    return;
  }
  // Only while the user still waits at the same place.
  if (!view || view != FWindow->ActiveView() || CaretOf(view) != FRequestCaret) return;
  TSymbolList found = FIndex.Find(FRequestWord, KeyOf(view), FRequestCaret.y());
  if (found.Count() == 0) {
    FWindow->ShowStatus(
        QStringLiteral("Keine Definition für \"%1\" gefunden.").arg(view->Editor()->Lines().Decode(FRequestWord)));
    return;
  }
  const int row = found.Count() == 1 ? 0 : FDialog->Choose(found, false);
  if (row >= 0) Jump(found.At(row));
}

void TSymbolNavigator::Jump(const TSymbolLocation& target) {
  TEditorView* from = FWindow->ActiveView();
  const TPosition here = from ? TPosition{from, from->PathName, CaretOf(from), from->Editor()->TopLine()} : TPosition{};
  TEditorView* to = FWindow->ShowSourceFile(target.Path);
  if (!to) {
    FWindow->ShowStatus(QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden.").arg(target.Path));
    return;
  }
  if (from) {
    FBack.push_back(here);
    if (FBack.size() > MaxBack) FBack.erase(FBack.begin());
  }
  to->Editor()->SetCaretXY(target.Column, target.Line);
}

void TSymbolNavigator::GoBack() {
  while (!FBack.empty()) {
    const TPosition back = FBack.back();
    FBack.pop_back();
    TEditorView* view = back.View;
    if (view)
      FWindow->ActivateView(view);
    else if (Paths::FileExists(back.Path))
      view = FWindow->ShowSourceFile(back.Path);  // its tab was closed: open it again
    if (!view) continue;
    view->Editor()->SetCaretXY(back.Caret.x(), back.Caret.y());
    view->Editor()->SetTopLine(back.TopLine);
    return;
  }
  FWindow->ShowStatus(QStringLiteral("Keine frühere Position."));
}

QString TSymbolNavigator::IncludeDir() const {
  return KodrillApp ? AssemblerIncludeDirectory(KodrillApp->AssemblerPrefs()->AsDirectory) : QString();
}
