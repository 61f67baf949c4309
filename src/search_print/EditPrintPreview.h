#pragma once
// TEditPrintPreview: shows the pages of a TEditPrint one below the other, scaled to the whole
// page, to the page width or to a percentage. Paints only the pages in view.
#include <QAbstractScrollArea>

#include <utility>

class TEditPrint;

enum TPreviewScale { pscWholePage, pscPageWidth, pscUserScaled };

class TEditPrintPreview : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TEditPrintPreview(QWidget* parent = nullptr);

  TEditPrint* EditPrint() const { return FEditPrint; }
  void SetEditPrint(TEditPrint* editPrint);  // not owned

  TPreviewScale ScaleMode() const { return FScaleMode; }
  void SetScaleMode(TPreviewScale mode);
  int ScalePercent() const { return FScalePercent; }
  // Switches to user-scaled, scrolls back to the top-left corner and redraws.
  void SetScalePercent(int percent);

  // Lays the pages out again after the lines, the font or the paper changed, and redraws.
  void UpdatePreview();

  // Screen pixels per layout pixel in the current mode.
  double Scale() const;
  // First and last page (0-based) that the view shows; (0, -1) without pages.
  std::pair<int, int> VisiblePages() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void UpdateScrollBars();
  QRectF PageRect(int index) const;  // viewport coordinates

  TEditPrint* FEditPrint = nullptr;
  TPreviewScale FScaleMode = pscWholePage;
  int FScalePercent = 100;
  int FPageCount = 0;
};
