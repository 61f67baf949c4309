#include "app/FileWatch.h"

#include <QApplication>
#include <QFileInfo>
#include <QSet>
#include <QTabWidget>

#include "app/EditorView.h"
#include "app/FormMain.h"
#include "platform/ui/UserDialogs.h"

namespace {
constexpr int SettleMs = 150;
}

TFileWatch::TFileWatch(TFormMain* window) : QObject(window), FWindow(window) {
  FDelay.setSingleShot(true);
  FDelay.setInterval(SettleMs);
  connect(&FDelay, &QTimer::timeout, this, &TFileWatch::CheckAll);
  connect(&FWatcher, &QFileSystemWatcher::fileChanged, this, &TFileWatch::Schedule);
  connect(&FWatcher, &QFileSystemWatcher::directoryChanged, this, &TFileWatch::Schedule);
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive) Schedule();
  });
}

void TFileWatch::Schedule() { FDelay.start(); }

void TFileWatch::CheckAll() {
  // A question below runs its own event loop, in which the next check may come due. Nor does a
  // text change under another open question (a replacement waiting for "Ja" would go in at a
  // place of the old text).
  if (FChecking || QApplication::activeModalWidget()) return Schedule();
  FChecking = true;
  for (int i = 0; i < FWindow->ViewCount(); ++i) {
    TEditorView* view = FWindow->View(i);
    if (view->PathName.isEmpty()) continue;
    const TDiskState now = ReadDiskState(view->PathName);
    if (now.Exists) view->MarkPresent();
    try {
      switch (view->Disk.Check(now, view->Modified())) {
        case TOutsideChange::None:
          break;
        case TOutsideChange::Reload:
          view->ReloadFile();
          FWindow->ShowStatus(QStringLiteral("\"%1\" neu geladen.").arg(view->PathName));
          break;
        case TOutsideChange::Ask:
          FWindow->PageControl()->setCurrentWidget(view);
          if (AskYesNo(FWindow, QStringLiteral("Die Datei \"%1\" wurde außerhalb von Kodrill geändert. Neu laden?")
                                    .arg(view->PathName)))
            view->ReloadFile();
          else
            view->Disk.Keep(now);
          break;
        case TOutsideChange::Deleted:
          view->MarkDeleted(now);
          FWindow->ShowStatus(QStringLiteral("\"%1\" wurde gelöscht.").arg(view->PathName));
          break;
      }
    } catch (const std::exception& e) {
      // Unreadable for now: one report, not one per check. Where the file became a folder or a
      // pipe, the tab holds the only copy of its text: closing it must ask.
      view->Disk.Keep(now);
      if (!view->Modified() && now.Exists && !QFileInfo(view->PathName).isFile()) view->SetModified(true);
      ShowErrorBox(FWindow, QString::fromUtf8(e.what()));
    }
  }
  Follow();
  FChecking = false;
}

void TFileWatch::Follow() {
  // A missing file is watched through its folder, so that its coming back is seen.
  QSet<QString> wanted;
  for (int i = 0; i < FWindow->ViewCount(); ++i)
    if (const QString& path = FWindow->View(i)->PathName; !path.isEmpty())
      wanted.insert(QFileInfo::exists(path) ? path : QFileInfo(path).absolutePath());
  const QStringList watched = FWatcher.files() + FWatcher.directories();
  for (const QString& path : watched)
    if (!wanted.contains(path)) FWatcher.removePath(path);
  // A file replaced by a rename is no longer watched: add it again.
  for (const QString& path : std::as_const(wanted))
    if (!watched.contains(path) && QFileInfo::exists(path)) FWatcher.addPath(path);
}
