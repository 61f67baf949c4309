#include "platform/ui/ButtonRow.h"

#include <QHBoxLayout>
#include <QPushButton>

QHBoxLayout* OkCancelRow(QPushButton* ok, QPushButton* cancel) {
  ok->setDefault(true);
  cancel->setAutoDefault(false);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}
