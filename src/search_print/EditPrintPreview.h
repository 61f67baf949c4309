#pragma once
#include <QAbstractScrollArea>
class TEditPrintPreview : public QAbstractScrollArea {
  Q_OBJECT
};
