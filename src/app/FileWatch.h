#pragma once
// TFileWatch: notices files of open tabs changed outside Kodrill (a file watcher, and a look at
// every tab when the program becomes active again) and reloads, asks or marks the tab.
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

class TFormMain;

class TFileWatch : public QObject {
  Q_OBJECT

 public:
  explicit TFileWatch(TFormMain* window);

  // Looks at every tab soon (changes come in bursts while a file is written).
  void Schedule();
  void CheckAll();
  void Follow();  // watches exactly the files of the open tabs

 private:
  TFormMain* FWindow;
  QFileSystemWatcher FWatcher;
  QTimer FDelay;
  bool FChecking = false;
};
