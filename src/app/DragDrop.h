#pragma once
// TDragDrop: lets its owner window accept files dropped from the desktop. Each drop fills Files
// (in the order the desktop reports them) and raises OnFilesDropped with their number.
#include <QObject>
#include <QStringList>

#include <functional>

class QWidget;
class QMimeData;

class TDragDrop : public QObject {
  Q_OBJECT

 public:
  explicit TDragDrop(QWidget* owner);
  ~TDragDrop() override;

  bool Active() const { return FActive; }
  void SetActive(bool value);
  bool BringToFront = false;
  QStringList Files;
  std::function<void(int numItems)> OnFilesDropped;

  void ClearList();
  // The local file names a drop carries (names are kept whole, however long).
  static QStringList DroppedFiles(const QMimeData* data);
  // Handles one drop as the owner window received it.
  void FilesDropped(const QStringList& names);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* FOwner;
  bool FActive = false;
};
