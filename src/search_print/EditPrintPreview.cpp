#include "search_print/EditPrintPreview.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "search_print/EditPrint.h"

namespace {
constexpr double Gap = 10;  // around and between pages, in screen pixels
}

TEditPrintPreview::TEditPrintPreview(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("EditPrintPreview"));
  viewport()->setBackgroundRole(QPalette::Dark);
  viewport()->setAutoFillBackground(true);
}

void TEditPrintPreview::SetEditPrint(TEditPrint* editPrint) {
  FEditPrint = editPrint;
  UpdatePreview();
}

void TEditPrintPreview::SetScaleMode(TPreviewScale mode) {
  FScaleMode = mode;
  UpdateScrollBars();
  viewport()->update();
}

void TEditPrintPreview::SetScalePercent(int percent) {
  FScalePercent = percent;
  FScaleMode = pscUserScaled;
  UpdateScrollBars();
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  viewport()->update();
}

void TEditPrintPreview::UpdatePreview() {
  FPageCount = FEditPrint ? FEditPrint->PageCount() : 0;
  UpdateScrollBars();
  viewport()->update();
}

double TEditPrintPreview::Scale() const {
  if (!FEditPrint) return 1;
  const QSizeF page = FEditPrint->PageSize();
  const double width = std::max(1.0, viewport()->width() - 2 * Gap);
  const double height = std::max(1.0, viewport()->height() - 2 * Gap);
  switch (FScaleMode) {
    case pscWholePage: return std::min(width / page.width(), height / page.height());
    case pscPageWidth: return width / page.width();
    case pscUserScaled: break;
  }
  return FScalePercent / 100.0 * logicalDpiX() / LayoutDpi;
}

QRectF TEditPrintPreview::PageRect(int index) const {
  const QSizeF page = FEditPrint->PageSize() * Scale();
  const double contentWidth = page.width() + 2 * Gap;
  const double left = contentWidth < viewport()->width() ? (viewport()->width() - page.width()) / 2
                                                         : Gap - horizontalScrollBar()->value();
  const double top = Gap + index * (page.height() + Gap) - verticalScrollBar()->value();
  return QRectF(QPointF(left, top), page);
}

std::pair<int, int> TEditPrintPreview::VisiblePages() const {
  if (!FEditPrint || FPageCount == 0) return {0, -1};
  const double pitch = FEditPrint->PageSize().height() * Scale() + Gap;
  const double top = verticalScrollBar()->value() - Gap;
  const double bottom = top + viewport()->height();
  const int first = std::clamp(static_cast<int>(std::floor(top / pitch)), 0, FPageCount - 1);
  const int last = std::clamp(static_cast<int>(std::floor(bottom / pitch)), first, FPageCount - 1);
  return {first, last};
}

void TEditPrintPreview::UpdateScrollBars() {
  if (!FEditPrint) return;
  const QSizeF page = FEditPrint->PageSize() * Scale();
  const int contentWidth = static_cast<int>(std::ceil(page.width() + 2 * Gap));
  const int contentHeight = static_cast<int>(std::ceil(Gap + FPageCount * (page.height() + Gap)));
  horizontalScrollBar()->setRange(0, std::max(0, contentWidth - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setRange(0, std::max(0, contentHeight - viewport()->height()));
  verticalScrollBar()->setPageStep(viewport()->height());
  verticalScrollBar()->setSingleStep(20);
}

void TEditPrintPreview::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void TEditPrintPreview::wheelEvent(QWheelEvent* event) {
  // With Shift the wheel moves the page sideways, as in most programs; the scroll bar itself
  // would take Shift for page steps up and down.
  if ((event->modifiers() & Qt::ShiftModifier) && event->angleDelta().x() == 0) {
    QWheelEvent sideways(event->position(), event->globalPosition(), event->pixelDelta().transposed(),
                         event->angleDelta().transposed(), event->buttons(), event->modifiers() & ~Qt::ShiftModifier,
                         event->phase(), event->inverted(), event->source());
    QCoreApplication::sendEvent(horizontalScrollBar(), &sideways);
    event->setAccepted(sideways.isAccepted());
    return;
  }
  QAbstractScrollArea::wheelEvent(event);
}

void TEditPrintPreview::paintEvent(QPaintEvent* event) {
  if (!FEditPrint) return;
  QPainter painter(viewport());
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const double scale = Scale();
  const auto [first, last] = VisiblePages();
  for (int i = first; i <= last; ++i) {
    const QRectF rect = PageRect(i);
    if (!rect.intersects(event->rect())) continue;
    painter.fillRect(rect.translated(3, 3), palette().color(QPalette::Shadow));
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(QPointF(0, 0), FEditPrint->PageSize()));
    FEditPrint->PaintPage(painter, i);
    painter.restore();
  }
}
