#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>

#include "PrintTestSupport.h"
#include "highlight/AssemSyn.h"
#include "search_print/EditPrint.h"

namespace {
class EditPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(16);
    Print.SetFont(font);
    TEditPrintMargins margins;
    margins.Left = 25;
    margins.Right = 15;
    margins.Top = 25;
    margins.Bottom = 25;
    Print.SetMargins(margins);
    Print.SetLineNumbers(true);
  }

  void Show(const QStringList& text) {
    SetText(Lines, text);
    Print.SetLines(Lines);
  }

  QString PrintToPdf() {
    const QString file = Dir.filePath(QStringLiteral("out.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    EXPECT_EQ(Print.Print(printer), "");
    return file;
  }

  TEditLines Lines;
  TEditPrint Print;
  QTemporaryDir Dir;
};
}  // namespace

TEST_F(EditPrintTest, PagesHoldWholeRowsOfTheBody) {
  const int rows = Print.RowsPerPage();
  // 247 mm of body height in a 16 px font.
  EXPECT_GT(rows, 40);
  EXPECT_LT(rows, 60);
  EXPECT_NEAR(rows * Print.RowHeight(), 247 / 25.4 * 96, Print.RowHeight());

  Show({});
  EXPECT_EQ(Print.PageCount(), 1);
  Show(NumberedLines(rows));
  EXPECT_EQ(Print.PageCount(), 1);
  Show(NumberedLines(3 * rows));
  EXPECT_EQ(Print.PageCount(), 3);
  Show(NumberedLines(3 * rows + 1));
  EXPECT_EQ(Print.PageCount(), 4);
  Show(NumberedLines(40 * rows + 7));
  EXPECT_EQ(Print.PageCount(), 41);
  EXPECT_EQ(Print.LineText(40 * rows + 6), QStringLiteral("Zeile %1").arg(40 * rows + 7));
}

TEST_F(EditPrintTest, LongLinesTakeMoreRowsUnlessWrappingIsOff) {
  const int rows = Print.RowsPerPage();
  QStringList text = NumberedLines(rows);
  text[0] = QString(300, QLatin1Char('x'));
  Show(text);
  EXPECT_EQ(Print.PageCount(), 2);
  Print.SetWrap(false);
  EXPECT_EQ(Print.PageCount(), 1);
  Print.SetWrap(true);
  // A line longer than a page runs on over the next pages.
  text = QStringList{QString(20000, QLatin1Char('y'))};
  Show(text);
  EXPECT_GT(Print.PageCount(), 2);
}

TEST_F(EditPrintTest, FontPaperAndLineNumbersChangeTheLayout) {
  Show(NumberedLines(500));
  const int pages = Print.PageCount();
  QFont big = Print.Font();
  big.setPixelSize(32);
  Print.SetFont(big);
  EXPECT_GT(Print.PageCount(), pages * 3 / 2);
  QFont points = Print.Font();
  points.setPointSize(12);  // 12 pt is 16 layout pixels
  Print.SetFont(points);
  EXPECT_EQ(Print.PageCount(), pages);
  Print.SetPaperSize(QSizeF(210, 148));  // A5 landscape
  EXPECT_GT(Print.PageCount(), pages);
}

TEST_F(EditPrintTest, TabsAreExpandedWhenTheLinesAreCopied) {
  Print.SetTabWidth(4);
  Show({QStringLiteral("\tnop\tx"), QStringLiteral("ab\tc")});
  EXPECT_EQ(Print.LineText(0), QStringLiteral("    nop x"));
  EXPECT_EQ(Print.LineText(1), QStringLiteral("ab  c"));
  // The copy does not follow later edits.
  Lines.Put(0, "changed");
  EXPECT_EQ(Print.LineText(0), QStringLiteral("    nop x"));
}

TEST_F(EditPrintTest, PagesAreWhiteWithBlackTextInsideTheMargins) {
  Show(NumberedLines(10));
  const QSizeF page = Print.PageSize();
  QImage image(page.toSize(), QImage::Format_RGB32);
  image.fill(Qt::red);
  {
    QPainter painter(&image);
    Print.PaintPage(painter, 0);
  }

  const int leftMargin = qRound(25 / 25.4 * 96);
  const int topMargin = qRound(25 / 25.4 * 96);
  int inked = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      ASSERT_NE(c, QColor(Qt::red)) << x << "," << y;
      if (c != QColor(Qt::white)) {
        ++inked;
        ASSERT_TRUE(c.red() == c.green() && c.green() == c.blue()) << "not grey at " << x << "," << y;
        EXPECT_GE(x, leftMargin - 1);
        EXPECT_GE(y, topMargin - 1);
        EXPECT_LT(y, topMargin + 12 * Print.RowHeight());
      }
    }
  }
  EXPECT_GT(inked, 100);
}

TEST_F(EditPrintTest, PrintsNumberedWrappedLinesToPdf) {
  const int rows = Print.RowsPerPage();
  QStringList text = NumberedLines(2 * rows + 5, QStringLiteral("ldaa #"));
  QStringList words;
  for (int i = 1; i <= 40; ++i) words << QStringLiteral("w%1").arg(i, 3, 10, QLatin1Char('0'));
  text[3] = QStringLiteral("; ") + words.join(QLatin1Char(' '));
  Show(text);
  Print.SetTitle(QStringLiteral("demo.asm"));
  const QString file = PrintToPdf();

  EXPECT_EQ(PdfInfo(file, QStringLiteral("Pages")).toInt(), Print.PageCount());
  EXPECT_EQ(Print.PageCount(), 3);
  EXPECT_EQ(PdfInfo(file, QStringLiteral("Title")), QStringLiteral("demo.asm"));

  const QString printed = PdfText(file);
  ASSERT_FALSE(printed.isEmpty());
  for (int n : {1, 2, 3, rows, rows + 1, 2 * rows + 5}) {
    const QRegularExpression numbered(QStringLiteral("(^|\\n)\\s*%1\\s+ldaa #\\s*%1\\s*(\\n|$)").arg(n));
    EXPECT_TRUE(numbered.match(printed).hasMatch()) << "line " << n;
  }
  // The long line 4 is numbered once and runs on over more printed lines.
  const QStringList printedLines = printed.split(QLatin1Char('\n'));
  int first = -1;
  int last = -1;
  for (int i = 0; i < printedLines.size(); ++i) {
    if (printedLines[i].contains(QLatin1String("w001"))) first = i;
    if (printedLines[i].contains(QLatin1String("w040"))) last = i;
  }
  ASSERT_GE(first, 0);
  ASSERT_GT(last, first);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\s*4\\s+; w001")).match(printedLines[first]).hasMatch());
  EXPECT_FALSE(QRegularExpression(QStringLiteral("^\\s*\\d")).match(printedLines[last]).hasMatch());
  QString joined;
  for (int i = first; i <= last; ++i) joined += printedLines[i];
  joined.remove(QRegularExpression(QStringLiteral("^\\s*4\\s+")));
  joined.remove(QRegularExpression(QStringLiteral("\\s")));
  QString expected = text[3];
  expected.remove(QLatin1Char(' '));
  EXPECT_EQ(joined, expected);
}

TEST_F(EditPrintTest, TokensPrintInTheirStylesOnlyWithHighlighting) {
  TVoMAssemSyn syntax;
  syntax.SetCPUTypeString("6811");
  for (int i = 0; i < syntax.AttributeCount(); ++i) syntax.Attribute(i)->SetStyle(0);
  syntax.KeyAttri()->SetStyle(fsBold);
  Print.SetHighlighter(&syntax);
  Show({QStringLiteral("start  ldaa #1"), QStringLiteral("       staa $1000")});

  auto fonts = [&] {
    return RunTool(QStringLiteral("pdffonts"), {PrintToPdf()});
  };
  const QString highlighted = fonts();
  EXPECT_TRUE(highlighted.contains(QLatin1String("Bold"), Qt::CaseInsensitive)) << highlighted.toStdString();
  Print.SetHighlight(false);
  const QString plain = fonts();
  ASSERT_FALSE(plain.isEmpty());
  EXPECT_FALSE(plain.contains(QLatin1String("Bold"), Qt::CaseInsensitive)) << plain.toStdString();
}
