#pragma once
// TEditPrint: the print engine. Holds a copy of the text, lays it out in pages (margins, line
// numbers, wrapped long lines, the highlighter's font styles in black on a white page) and
// paints pages for the preview and the printer. Layout is done in device-independent pixels
// (PrintText.h), so the page count is the same on screen and on paper.
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "editor/EditLines.h"
#include "search_print/PrintText.h"

class QPainter;
class QPrinter;
class TCustomHighlighter;

struct TEditPrintMargins {
  TUnitSystem UnitSystem = TUnitSystem::usMM;
  double Left = 20;
  double Right = 15;
  double Top = 20;
  double Bottom = 20;
  double Header = 15;  // header and footer margins, used only by header and footer lines
  double Footer = 15;
  double LeftHFTextIndent = 2;
  double RightHFTextIndent = 2;
  double HFInternalMargin = 0.5;
  bool MirrorMargins = false;  // even pages swap left and right
};

// Header or footer of the pages; this engine prints no header or footer lines, only the
// default font is kept.
struct THeaderFooter {
  QFont DefaultFont;
};

class TEditPrint {
 public:
  TEditPrint();
  ~TEditPrint();
  TEditPrint(const TEditPrint&) = delete;
  TEditPrint& operator=(const TEditPrint&) = delete;

  // Copies the lines with tabs expanded to TabWidth columns.
  void SetLines(const TEditLines& lines);
  int LineCount() const { return static_cast<int>(FLines.size()); }
  QString LineText(int index) const { return FCodec.Decode(FLines[static_cast<size_t>(index)]); }

  const QFont& Font() const { return FFont; }
  void SetFont(const QFont& font);
  const TEditPrintMargins& Margins() const { return FMargins; }
  void SetMargins(const TEditPrintMargins& margins);
  THeaderFooter& Header() { return FHeader; }
  THeaderFooter& Footer() { return FFooter; }
  const QString& Title() const { return FTitle; }
  void SetTitle(const QString& title) { FTitle = title; }
  bool Wrap() const { return FWrap; }
  void SetWrap(bool value);
  bool Highlight() const { return FHighlight; }
  void SetHighlight(bool value) { FHighlight = value; }
  bool LineNumbers() const { return FLineNumbers; }
  void SetLineNumbers(bool value);
  bool LineNumbersInMargin() const { return FLineNumbersInMargin; }
  void SetLineNumbersInMargin(bool value);
  TCustomHighlighter* Highlighter() const { return FHighlighter; }
  void SetHighlighter(TCustomHighlighter* highlighter) { FHighlighter = highlighter; }  // not owned
  int TabWidth() const { return FTabWidth; }
  void SetTabWidth(int value) { FTabWidth = value; }  // applies to the next SetLines
  const QColor& Color() const { return FColor; }
  void SetColor(const QColor& color) { FColor = color; }

  // Paper size in millimetres (A4 portrait at start).
  QSizeF PaperSize() const { return FPaperSize; }
  void SetPaperSize(const QSizeF& millimetres);
  // The page in layout pixels (1/96 inch).
  QSizeF PageSize() const;

  // Page count of the current layout; an out-of-date layout is made first.
  int PageCount();
  // Rows of text on one page and the height of a row, in layout pixels.
  int RowsPerPage();
  double RowHeight();
  // Paints page Index (0-based) with its top-left corner at the painter's origin, in layout
  // pixels; the painter's transform maps them to its device.
  void PaintPage(QPainter& painter, int index);
  // Prints every page as one job titled Title on Printer. Returns "" when done, otherwise the
  // user's message why not.
  QString Print(QPrinter& printer);

 private:
  struct TPageStart {
    int Line;
    int Offset;  // character offset of the page's first row in the line
  };
  // Where the line numbers and the text go across a page, in layout pixels.
  struct TColumns {
    double NumberRight;  // right edge of the numbers
    double NumberScale;  // below 1 where the numbers in the body font would not fit
    double TextLeft;
    double TextWidth;
  };
  class TMetrics;

  void Invalidate() { FLayoutValid = false; }
  void Layout();
  // Advances of the characters of Text, and its rows for the current text width.
  int LineRows(const QString& text, std::vector<int>* rowStarts);
  QRectF Body(int pageIndex) const;
  TColumns Columns(int pageIndex) const;

  std::vector<std::string> FLines;  // bytes, tabs expanded
  TEditLines FCodec;                // holds only the text's encoding, for decoding
  QFont FFont;
  TEditPrintMargins FMargins;
  THeaderFooter FHeader;
  THeaderFooter FFooter;
  QString FTitle;
  bool FWrap = true;
  bool FHighlight = true;
  bool FLineNumbers = false;
  bool FLineNumbersInMargin = false;
  TCustomHighlighter* FHighlighter = nullptr;
  int FTabWidth = 8;
  QColor FColor = Qt::white;
  QSizeF FPaperSize{210, 297};

  bool FLayoutValid = false;
  std::unique_ptr<TMetrics> FMetrics;
  std::vector<TPageStart> FPages;
  std::vector<double> FAdvances;  // scratch
};
