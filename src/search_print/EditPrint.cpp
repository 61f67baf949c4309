#include "search_print/EditPrint.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "editor/ColorConvert.h"
#include "highlight/Highlighter.h"

namespace {
// Fonts given in points are turned into layout pixels so that every device measures alike;
// unhinted, so that advances are those of the outlines, as on paper.
QFont LayoutFont(QFont font) {
  if (font.pixelSize() <= 0) font.setPixelSize(std::max(1, qRound(font.pointSizeF() * LayoutDpi / 72.0)));
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

// Why a job cannot start on Printer, or "" when nothing is known against it.
QString PrintObstacle(const QPrinter& printer) {
  if (printer.outputFormat() != QPrinter::PdfFormat) return QString();
  // Without printers the printer writes files, and without a file name it has nowhere to go.
  // Trying anyway would leave it stuck, refusing the file chosen later.
  const QString name = printer.outputFileName();
  if (name.isEmpty()) return QStringLiteral("Drucken nicht möglich: Es ist kein Drucker eingerichtet.");
  const QDir folder = QFileInfo(name).absoluteDir();
  if (!folder.exists())
    return QStringLiteral("Drucken nicht möglich: Der Ordner \"%1\" existiert nicht.")
        .arg(QDir::toNativeSeparators(folder.path()));
  return QString();
}

QString PrintFailure(const QPrinter& printer) {
  if (printer.outputFormat() == QPrinter::PdfFormat)
    return QStringLiteral("Drucken nicht möglich: Kann Datei \"%1\" nicht schreiben.")
        .arg(QDir::toNativeSeparators(printer.outputFileName()));
  return QStringLiteral("Drucken nicht möglich: Der Drucker \"%1\" nimmt den Auftrag nicht an.").arg(printer.printerName());
}
}  // namespace

// Measures characters once per font. A character advances by its widest form among the
// highlighter's styles, so that bold or italic tokens never run into the next one.
class TEditPrint::TMetrics {
 public:
  explicit TMetrics(const QFont& font) : FBase(LayoutFont(font)) {
    for (TFontStyles style : {TFontStyles(0), fsBold, fsItalic, TFontStyles(fsBold | fsItalic)})
      FMetrics.emplace_back(FontWithStyle(FBase, style));
    for (const QFontMetricsF& m : FMetrics) {
      RowHeight = std::max(RowHeight, m.lineSpacing());
      Ascent = std::max(Ascent, m.ascent());
    }
    FLatin.fill(-1);
  }

  QFont Styled(TFontStyles style) const { return FontWithStyle(FBase, style); }

  double Advance(char16_t c) {
    if (c < FLatin.size()) {
      double& a = FLatin[c];
      if (a < 0) a = Measure(QString(QChar(c)));
      return a;
    }
    auto it = FOther.find(c);
    if (it == FOther.end()) it = FOther.emplace(c, Measure(QString(QChar(c)))).first;
    return it->second;
  }

  double Measure(const QString& text) const {
    double a = 0;
    for (const QFontMetricsF& m : FMetrics) a = std::max(a, m.horizontalAdvance(text));
    return a;
  }

  double PlainWidth(const QString& text) const { return FMetrics.front().horizontalAdvance(text); }

  double RowHeight = 0;
  double Ascent = 0;

 private:
  QFont FBase;
  std::vector<QFontMetricsF> FMetrics;
  std::array<double, 256> FLatin;
  std::unordered_map<char16_t, double> FOther;
};

TEditPrint::TEditPrint() {
  FHeader.DefaultFont = QFont(QStringLiteral("Arial"));
  FHeader.DefaultFont.setPixelSize(13);
  FFooter.DefaultFont = FHeader.DefaultFont;
}

TEditPrint::~TEditPrint() = default;

void TEditPrint::SetLines(const TEditLines& lines) {
  FCodec.SetEncoding(lines.Encoding());
  FLines.clear();
  FLines.reserve(static_cast<size_t>(lines.Count()));
  for (int i = 0; i < lines.Count(); ++i) FLines.push_back(ExpandTabs(lines[i], FTabWidth, lines.Encoding()));
  Invalidate();
}

void TEditPrint::SetFont(const QFont& font) {
  if (font == FFont && FMetrics) return;
  FFont = font;
  FMetrics.reset();
  Invalidate();
}

void TEditPrint::SetMargins(const TEditPrintMargins& margins) {
  FMargins = margins;
  Invalidate();
}

void TEditPrint::SetWrap(bool value) {
  FWrap = value;
  Invalidate();
}

void TEditPrint::SetLineNumbers(bool value) {
  FLineNumbers = value;
  Invalidate();
}

void TEditPrint::SetLineNumbersInMargin(bool value) {
  FLineNumbersInMargin = value;
  Invalidate();
}

void TEditPrint::SetPaperSize(const QSizeF& millimetres) {
  if (millimetres == FPaperSize) return;
  FPaperSize = millimetres;
  Invalidate();
}

QSizeF TEditPrint::PageSize() const {
  return QSizeF(UnitsToLayoutPixels(FPaperSize.width(), TUnitSystem::usMM),
                UnitsToLayoutPixels(FPaperSize.height(), TUnitSystem::usMM));
}

double TEditPrint::RowHeight() {
  if (!FMetrics) FMetrics = std::make_unique<TMetrics>(FFont);
  return FMetrics->RowHeight;
}

int TEditPrint::RowsPerPage() {
  return std::max(1, static_cast<int>(std::floor(Body(0).height() / RowHeight())));
}

QRectF TEditPrint::Body(int pageIndex) const {
  const bool mirrored = FMargins.MirrorMargins && pageIndex % 2 == 1;
  const auto pixels = [this](double value) { return std::max(0.0, UnitsToLayoutPixels(value, FMargins.UnitSystem)); };
  double left = pixels(mirrored ? FMargins.Right : FMargins.Left);
  double right = pixels(mirrored ? FMargins.Left : FMargins.Right);
  double top = pixels(FMargins.Top);
  double bottom = pixels(FMargins.Bottom);
  // Margins never take more than half the paper: on small paper they shrink, the text stays.
  const auto fit = [](double& a, double& b, double paper) {
    if (a + b <= paper / 2) return;
    const double factor = paper / 2 / (a + b);
    a *= factor;
    b *= factor;
  };
  const QSizeF page = PageSize();
  fit(left, right, page.width());
  fit(top, bottom, page.height());
  return QRectF(left, top, page.width() - left - right, page.height() - top - bottom);
}

TEditPrint::TColumns TEditPrint::Columns(int pageIndex) const {
  const QRectF body = Body(pageIndex);
  if (!FLineNumbers) return {body.left(), 1, body.left(), body.width()};
  const double gap = 2 * FMetrics->Advance(u' ');
  const double numbers = DecimalDigits(std::max(1, LineCount())) * FMetrics->Advance(u'0') + gap;
  // Numbers that would leave a row no room for a wide character, or overrun their margin, are
  // printed smaller: the text must reach the paper whatever the font.
  const double room = FLineNumbersInMargin ? body.left()
                                           : std::max(body.width() - FMetrics->Advance(u'W'), body.width() / 4);
  const double scale = std::min(1.0, room / numbers);
  const double column = FLineNumbersInMargin ? 0 : numbers * scale;
  return {body.left() + column - gap * scale, scale, body.left() + column, body.width() - column};
}

int TEditPrint::LineRows(const QString& text, std::vector<int>* rowStarts) {
  const int n = static_cast<int>(text.size());
  FAdvances.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
      FAdvances[static_cast<size_t>(i)] = FMetrics->Measure(text.mid(i, 2));
      FAdvances[static_cast<size_t>(++i)] = 0;
    } else {
      FAdvances[static_cast<size_t>(i)] = FMetrics->Advance(c);
    }
  }
  if (!FWrap) {
    if (rowStarts) rowStarts->assign(1, 0);
    return 1;
  }
  const double width = Columns(0).TextWidth;
  return WrapLine(reinterpret_cast<const char16_t*>(text.utf16()), FAdvances.data(), n, width, rowStarts);
}

void TEditPrint::Layout() {
  RowHeight();  // makes the metrics
  const int rows = RowsPerPage();
  FPages.assign(1, TPageStart{0, 0});
  std::vector<int> starts;
  int used = 0;
  for (int line = 0; line < LineCount(); ++line) {
    const QString text = LineText(line);
    const int n = LineRows(text, nullptr);
    if (used == rows) {
      FPages.push_back({line, 0});
      used = 0;
    }
    if (used + n <= rows) {
      used += n;
      continue;
    }
    // The line runs over the end of the page: later rows start the next pages.
    LineRows(text, &starts);
    int row = 0;
    for (;;) {
      const int take = std::min(rows - used, n - row);
      used += take;
      row += take;
      if (row >= n) break;
      FPages.push_back({line, starts[static_cast<size_t>(row)]});
      used = 0;
    }
  }
  FLayoutValid = true;
}

int TEditPrint::PageCount() {
  if (!FLayoutValid) Layout();
  return static_cast<int>(FPages.size());
}

void TEditPrint::PaintPage(QPainter& painter, int index) {
  if (index < 0 || index >= PageCount()) return;
  const QSizeF page = PageSize();
  const double rowHeight = RowHeight();
  const int rows = RowsPerPage();
  const TColumns columns = Columns(index);
  const double textLeft = columns.TextLeft;
  // Wrapped rows fit their column; only a character wider than the column runs on, up to the
  // paper's edge.
  const QRectF textClip(textLeft, 0, FWrap ? page.width() - textLeft : columns.TextWidth, page.height());

  painter.save();
  painter.fillRect(QRectF(QPointF(0, 0), page), FColor);
  painter.setPen(Qt::black);

  const TPageStart start = FPages[static_cast<size_t>(index)];
  std::vector<int> starts;
  std::vector<int> offsets;
  std::vector<TFontStyles> styles;
  std::vector<double> x;
  // A row taller than the body keeps its base line on it: its characters show, clipped.
  const QRectF body = Body(index);
  double y = std::min(body.top(), body.bottom() - FMetrics->Ascent);
  int drawn = 0;
  for (int line = start.Line; line < LineCount() && drawn < rows; ++line) {
    const QString text = LineText(line);
    LineRows(text, &starts);
    const int n = static_cast<int>(text.size());
    x.assign(static_cast<size_t>(n) + 1, 0);
    for (int i = 0; i < n; ++i) x[static_cast<size_t>(i) + 1] = x[static_cast<size_t>(i)] + FAdvances[static_cast<size_t>(i)];

    styles.assign(static_cast<size_t>(n), 0);
    if (FHighlight && FHighlighter) {
      const std::string_view bytes = FLines[static_cast<size_t>(line)];
      ByteToCharOffsets(bytes, FCodec.Encoding(), offsets);
      FHighlighter->ResetLineState();
      FHighlighter->SetLine(bytes, line);
      for (; !FHighlighter->AtEndOfLine(); FHighlighter->Next()) {
        const THighlighterAttributes* attribute = FHighlighter->TokenAttribute();
        const size_t from = std::min(static_cast<size_t>(FHighlighter->TokenStart()), bytes.size());
        const size_t to = std::min(from + FHighlighter->TokenText().size(), bytes.size());
        const TFontStyles style = attribute ? attribute->Style() : 0;
        for (int c = offsets[from]; c < offsets[to] && c < n; ++c) styles[static_cast<size_t>(c)] = style;
      }
    }

    size_t row = 0;
    if (line == start.Line)
      while (row + 1 < starts.size() && starts[row + 1] <= start.Offset) ++row;
    if (row == 0 && FLineNumbers) {
      // Right-aligned just before the text: in the margin, or in the body's number column.
      const QString number = QString::number(line + 1);
      painter.save();
      painter.translate(columns.NumberRight, y + FMetrics->Ascent);
      painter.scale(columns.NumberScale, columns.NumberScale);
      painter.setFont(FMetrics->Styled(0));
      painter.drawText(QPointF(-FMetrics->PlainWidth(number), 0), number);
      painter.restore();
    }
    painter.save();
    painter.setClipRect(textClip);
    for (; row < starts.size() && drawn < rows; ++row, ++drawn, y += rowHeight) {
      const int from = starts[row];
      const int to = row + 1 < starts.size() ? starts[row + 1] : n;
      for (int a = from; a < to;) {
        int b = a + 1;
        const TFontStyles style = styles[static_cast<size_t>(a)];
        while (b < to && styles[static_cast<size_t>(b)] == style) ++b;
        const QString run = text.mid(a, b - a);
        // Blank runs only matter when they are underlined or struck out.
        if (!run.trimmed().isEmpty() || (style & (fsUnderline | fsStrikeOut))) {
          painter.setFont(FMetrics->Styled(style));
          painter.drawText(QPointF(textLeft + x[static_cast<size_t>(a)] - x[static_cast<size_t>(from)],
                                   y + FMetrics->Ascent),
                           run);
        }
        a = b;
      }
    }
    painter.restore();
  }
  painter.restore();
}

QString TEditPrint::Print(QPrinter& printer) {
  if (QString obstacle = PrintObstacle(printer); !obstacle.isEmpty()) return obstacle;
  printer.setDocName(FTitle);
  printer.setFullPage(true);
  SetPaperSize(printer.pageLayout().fullRect(QPageLayout::Millimeter).size());
  const int count = PageCount();
  QPainter painter;
  if (!painter.begin(&printer)) return PrintFailure(printer);
  const double scale = printer.resolution() / LayoutDpi;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !printer.newPage()) return PrintFailure(printer);
    painter.save();
    painter.scale(scale, scale);
    PaintPage(painter, i);
    painter.restore();
  }
  return painter.end() ? QString() : PrintFailure(printer);
}
