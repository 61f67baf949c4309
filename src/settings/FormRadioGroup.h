#pragma once
// A titled group of radio buttons chosen by index, as the number format choice uses.
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

class TFormRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  TFormRadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

  int ItemIndex() const;  // -1 when nothing is chosen
  void SetItemIndex(int index);
  QStringList Items() const;

 private:
  QButtonGroup* FGroup;
};
