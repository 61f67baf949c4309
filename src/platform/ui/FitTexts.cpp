#include "platform/ui/FitTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <vector>

namespace {
// Only plain panels and group boxes have their children placed by hand; other widgets (combo
// boxes, editors) manage their own.
bool PlacesChildrenByHand(const QWidget* w) {
  return !w->layout() && (qobject_cast<const QGroupBox*>(w) || w->metaObject() == &QWidget::staticMetaObject ||
                          w->metaObject() == &QFrame::staticMetaObject);
}

int PushButtonWidth(const QPushButton* button) {
  // Not the size hint: styles give a button with a short text a minimum width that the text
  // does not need. Measure the margins on a wide button instead.
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
  int contents = text.width();
  if (!button->icon().isNull()) contents += button->iconSize().width() + 4;
  constexpr int wide = 1000;
  const int margins =
      button->style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(wide, text.height()), button).width() -
      wide;
  return contents + margins;
}

int TextWidth(const QWidget* w) {
  if (const auto* label = qobject_cast<const QLabel*>(w)) return label->wordWrap() ? 0 : label->sizeHint().width();
  if (const auto* button = qobject_cast<const QPushButton*>(w)) return PushButtonWidth(button);
  if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) return w->sizeHint().width();
  return 0;
}

// Gives the children of Parent the widths they need, keeping the gaps between them and the
// right edge of the widgets that end at the rightmost edge. Returns by how much Parent must
// grow to keep its right margin.
int FitChildren(QWidget* parent) {
  struct TItem {
    QWidget* Widget;
    QRect Old;
    int Width;     // needed
    int Shift = 0;  // to the right
  };
  std::vector<TItem> items;
  for (QObject* object : parent->children()) {
    auto* w = qobject_cast<QWidget*>(object);
    if (!w || w->isWindow()) continue;
    const QRect old = w->geometry();
    int need = TextWidth(w);
    if (w->layout()) need = w->minimumSizeHint().width();
    if (PlacesChildrenByHand(w)) need = std::max(old.width() + FitChildren(w), w->minimumSizeHint().width());
    items.push_back({w, old, std::max(old.width(), need)});
  }
  std::sort(items.begin(), items.end(), [](const TItem& a, const TItem& b) { return a.Old.x() < b.Old.x(); });
  int oldRight = 0;
  int newRight = 0;
  for (TItem& item : items) {
    for (const TItem& left : items)
      if (left.Old.x() + left.Old.width() <= item.Old.x())
        item.Shift = std::max(item.Shift, left.Shift + left.Width - left.Old.width());
    oldRight = std::max(oldRight, item.Old.x() + item.Old.width());
    newRight = std::max(newRight, item.Old.x() + item.Shift + item.Width);
  }
  for (TItem& item : items) {
    const int x = item.Old.x() + item.Shift;
    const int width = item.Old.x() + item.Old.width() == oldRight ? newRight - x : item.Width;
    if (x != item.Old.x() || width != item.Old.width()) item.Widget->setGeometry(x, item.Old.y(), width, item.Old.height());
  }
  return newRight - oldRight;
}
}  // namespace

void FitTexts(QWidget* window) {
  QSize size = window->size();
  if (window->layout())
    size = size.expandedTo(window->minimumSizeHint());
  else
    size.rwidth() += FitChildren(window);
  if (size == window->size()) return;
  if (window->minimumSize() == window->maximumSize())
    window->setFixedSize(size);
  else
    window->resize(size);
}
