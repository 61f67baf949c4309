#pragma once
// Gives every tab of a page control a close button and closes a tab on a middle click; both
// only ask OnClose, which decides (and may keep the tab).
#include <QObject>

#include <functional>

class QTabBar;
class QTabWidget;

class TTabCloser : public QObject {
  Q_OBJECT

 public:
  TTabCloser(QTabWidget* pageControl, std::function<void(int index)> onClose);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTabBar* FTabBar;  // kept: the page control asks nothing of it while being destroyed
  std::function<void(int index)> FOnClose;
};
