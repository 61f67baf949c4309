#include "app/DragDrop.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

TDragDrop::TDragDrop(QWidget* owner) : QObject(owner), FOwner(owner) {
  FOwner->installEventFilter(this);
  SetActive(false);
}

TDragDrop::~TDragDrop() {
  if (FOwner) FOwner->removeEventFilter(this);
}

void TDragDrop::SetActive(bool value) {
  FActive = value;
  FOwner->setAcceptDrops(value);
}

void TDragDrop::ClearList() { Files.clear(); }

QStringList TDragDrop::DroppedFiles(const QMimeData* data) {
  QStringList names;
  if (!data || !data->hasUrls()) return names;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) names.append(QDir::toNativeSeparators(url.toLocalFile()));
  return names;
}

void TDragDrop::FilesDropped(const QStringList& names) {
  if (BringToFront) {
    FOwner->raise();
    FOwner->activateWindow();
  }
  Files = names;
  if (!Files.isEmpty() && OnFilesDropped) OnFilesDropped(int(Files.size()));
}

bool TDragDrop::eventFilter(QObject* watched, QEvent* event) {
  if (watched != FOwner || !FActive) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (DroppedFiles(drag->mimeData()).isEmpty()) return false;
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList names = DroppedFiles(drop->mimeData());
      if (names.isEmpty()) return false;
      drop->acceptProposedAction();
      // Opened after the drop has ended: a question it asks must not hold the program dragged from.
      QTimer::singleShot(0, this, [this, names] { FilesDropped(names); });
      return true;
    }
    default:
      return false;
  }
}
