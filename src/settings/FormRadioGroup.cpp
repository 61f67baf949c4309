#include "settings/FormRadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TFormRadioGroup::TFormRadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), FGroup(new QButtonGroup(this)) {
  auto* layout = new QVBoxLayout(this);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    FGroup->addButton(button, i);
    layout->addWidget(button);
  }
}

int TFormRadioGroup::ItemIndex() const { return FGroup->checkedId(); }

void TFormRadioGroup::SetItemIndex(int index) {
  if (QAbstractButton* button = FGroup->button(index)) button->setChecked(true);
}

QStringList TFormRadioGroup::Items() const {
  QStringList items;
  for (QAbstractButton* button : FGroup->buttons()) items << button->text();
  return items;
}
