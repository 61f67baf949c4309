#include "app/TabCloser.h"

#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>

TTabCloser::TTabCloser(QTabWidget* pageControl, std::function<void(int index)> onClose)
    : QObject(pageControl), FTabBar(pageControl->tabBar()), FOnClose(std::move(onClose)) {
  pageControl->setTabsClosable(true);
  connect(pageControl, &QTabWidget::tabCloseRequested, this, [this](int index) { FOnClose(index); });
  FTabBar->installEventFilter(this);
}

bool TTabCloser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FTabBar && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const int index = FTabBar->tabAt(mouse->position().toPoint());
    if (mouse->button() == Qt::MiddleButton && index >= 0) {
      FOnClose(index);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}
