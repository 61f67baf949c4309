// The print engine and the preview window: pages, highlighting, zoom, font, printing to PDF.
#include <gtest/gtest.h>

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "highlight/AssemSyn.h"
#include "platform/ui/UserDialogs.h"
#include "search_print/EditPrint.h"
#include "search_print/EditPrintPreview.h"
#include "search_print/FormPrintPreview.h"
#include "settings/KodrillApp.h"

namespace {
QStringList NumberedLines(int count, const QString& prefix = "Zeile") {
  QStringList text;
  for (int i = 1; i <= count; ++i) text << QString("%1 %2").arg(prefix).arg(i);
  return text;
}

// Standard output of a poppler tool; empty when the tool failed.
QString RunTool(const QString& tool, const QStringList& arguments) {
  QProcess process;
  process.start(tool, arguments);
  return process.waitForFinished(60000) && process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput())
                                                                   : QString();
}

QString PdfInfo(const QString& file, const QString& key) {
  for (const QString& line : RunTool("pdfinfo", {file}).split('\n'))
    if (line.startsWith(key + ':')) return line.mid(key.size() + 1).trimmed();
  return QString();
}

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KodrillApp = &App;
    SetUserDialogHooks(&Hooks);
    Form.Printer()->setPageSize(QPageSize(QPageSize::A4));
  }
  void TearDown() override {
    SetUserDialogHooks(nullptr);
    KodrillApp = nullptr;
  }
  TEditPrint& Print() { return *Form.EditPrint(); }
  void Show(const QStringList& text, const QString& title = "demo.asm") {
    Lines.LoadFromBytes((text.join('\n') + '\n').toStdString());
    Form.ShowPreview(Lines, title);
  }
  void Click(const char* name) { Form.findChild<QToolButton*>(name)->click(); }
  QString PrintToPdf() {
    const QString file = Dir.filePath("out.pdf");
    Form.Printer()->setOutputFormat(QPrinter::PdfFormat);
    Form.Printer()->setOutputFileName(file);
    Click("ToolbarButtonPrint");
    return file;
  }

  TKodrillApp App;
  TFormPrintPreview Form;
  TUserDialogHooks Hooks;
  TEditLines Lines;
  QTemporaryDir Dir;
};
}  // namespace

// Shift turns the wheel sideways: a turn down moves the zoomed page to show its right side.
TEST_F(PrintTest, ShiftWheelScrollsTheZoomedPageSideways) {
  Show(NumberedLines(200));
  Form.show();
  auto* preview = Form.findChild<TEditPrintPreview*>();
  preview->SetScalePercent(400);
  ASSERT_GT(preview->horizontalScrollBar()->maximum(), 0);
  const QPointF at = preview->viewport()->rect().center();
  const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(at, preview->viewport()->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview->viewport(), &event);
    return std::pair(preview->horizontalScrollBar()->value(), preview->verticalScrollBar()->value());
  };
  const auto [right, top] = wheel(-120, Qt::ShiftModifier);
  EXPECT_GT(right, 0);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(wheel(120, Qt::ShiftModifier), std::pair(0, 0));
  EXPECT_GT(wheel(-120, Qt::NoModifier).second, 0);  // without Shift it scrolls down
}

// A preview opens on the first page with the keys turning pages: Space prints nothing, Page Down
// goes on, Escape closes it; another text previewed starts at its first page again.
TEST_F(PrintTest, APreviewOpensOnItsFirstPageWithTheKeys) {
  const QString pdf = Dir.filePath("keys.pdf");
  Form.Printer()->setOutputFormat(QPrinter::PdfFormat);
  Form.Printer()->setOutputFileName(pdf);
  for (int round = 0; round < 2; ++round) {
    Show(NumberedLines(400));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    QScrollBar* bar = Form.EditPrintPreview()->verticalScrollBar();
    EXPECT_EQ(bar->value(), 0) << round;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    EXPECT_GT(bar->value(), 0) << round;
    bar->setValue(bar->maximum());
  }
  EXPECT_FALSE(QFile::exists(pdf)) << "a key printed the text";
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);  // closes it, as a dialog
  EXPECT_FALSE(Form.isVisible());
}

TEST_F(PrintTest, PagesHoldWholeRowsOfTheBody) {
  const int rows = Print().RowsPerPage();
  EXPECT_NEAR(rows * Print().RowHeight(), 247 / 25.4 * 96, Print().RowHeight());  // 247 mm of body
  QStringList longFirst = NumberedLines(rows);
  longFirst[0] = QString(300, 'x');
  // Lines and wrapping against the pages they take.
  for (const auto& [text, wrap, pages] :
       {std::tuple{QStringList(), true, 1}, {NumberedLines(rows), true, 1}, {NumberedLines(3 * rows + 1), true, 4},
        {longFirst, true, 2}, {longFirst, false, 1}}) {
    Print().SetWrap(wrap);
    Show(text);
    EXPECT_EQ(Print().PageCount(), pages) << text.size() << " lines";
  }
  Print().SetWrap(true);
  Show({QString(20000, 'y')});  // one line over many pages
  EXPECT_GT(Print().PageCount(), 2);
  // A larger font and smaller paper take more pages.
  Show(NumberedLines(500));
  const int pages = Print().PageCount();
  QFont big = Print().Font();
  big.setPixelSize(32);
  Print().SetFont(big);
  EXPECT_GT(Print().PageCount(), pages * 3 / 2);
  big.setPointSize(12);  // 12 pt is 16 layout pixels
  Print().SetFont(big);
  EXPECT_EQ(Print().PageCount(), pages);
  Print().SetPaperSize(QSizeF(210, 148));
  EXPECT_GT(Print().PageCount(), pages);
}

// Whatever font the dialog gives and whatever paper, each character reaches the paper, in
// order, and the pages are at most one per character and per line.
TEST_F(PrintTest, EveryCharacterReachesThePaperWhateverTheFontAndPaper) {
  const QStringList text = {"; demo", "\tldaa #ab", "loop:\tbra loop"};
  const QString visible = text.join("").remove(QRegularExpression("\\s"));
  for (const auto& [points, width, height] : {std::tuple{500, 210, 297}, {512, 105, 148}, {96, 210, 297},
                                              {200, 30, 30}, {12, 20, 20}, {1, 20, 20}}) {
    Hooks.Font = [size = points](QFont& font) {
      font.setPointSize(size);
      return true;
    };
    Click("ToolbarButtonFont");
    Form.Printer()->setPageSize(QPageSize(QSizeF(width, height), QPageSize::Millimeter));
    Show(text);
    const QString file = PrintToPdf();
    EXPECT_EQ(RunTool("pdftotext", {"-raw", file, "-"}).remove(QRegularExpression("[\\s\\d]")), visible) << points;
    EXPECT_LE(PdfInfo(file, "Pages").toInt(), visible.size() + text.size()) << points;
  }
}

TEST_F(PrintTest, PrintsEveryPageNumberedAndWrappedWhateverTheDialogChose) {
  const int rows = Print().RowsPerPage();
  QStringList text = NumberedLines(2 * rows + 5, "ldaa #");
  QStringList words;
  for (int i = 1; i <= 40; ++i) words << QString("w%1").arg(i, 3, 10, QChar('0'));
  text[3] = "; " + words.join(' ');
  Show(text);
  Form.ExecPrintDialog = [&](QPrintDialog& dialog) {
    EXPECT_EQ(std::make_pair(dialog.maxPage(), dialog.toPage()), std::make_pair(3, 3));
    dialog.printer()->setFromTo(2, 2);
    dialog.printer()->setPrintRange(QPrinter::PageRange);
    dialog.printer()->setCopyCount(3);
    return int(QDialog::Accepted);
  };
  Click("ToolbarButtonSettings");
  const QString file = PrintToPdf();
  EXPECT_EQ(PdfInfo(file, "Pages").toInt(), 3);
  EXPECT_EQ(PdfInfo(file, "Title"), "demo.asm");
  const QString printed = RunTool("pdftotext", {"-layout", file, "-"});
  for (int n : {1, rows, rows + 1, 2 * rows + 5})
    EXPECT_EQ(printed.count(QRegularExpression(QString("(^|\\n)\\s*%1\\s+ldaa #\\s*%1\\s*\\n").arg(n))), 1) << n;
  // The long line 4 is numbered once and runs on over more rows, all of its words in order.
  const QRegularExpressionMatch wrapped =
      QRegularExpression("\\n\\s*4\\s+(; w001[^\\n]*(\\n\\s+[^\\d\\s][^\\n]*)+w040)").match(printed);
  ASSERT_TRUE(wrapped.hasMatch()) << printed.left(600).toStdString();
  EXPECT_EQ(wrapped.captured(1).remove(QRegularExpression("\\s")), text[3].remove(' '));
}

TEST_F(PrintTest, HighlightedLikeTheEditorInTheUsersStyles) {
  App.AssemblerPrefs()->DefaultProcessor = "8051";
  App.AssemblerPrefs()->DefaultNumberFormat = "Intel";
  // The project's processor and number format, without them the default ones; a word that
  // names no number format keeps the last.
  for (const auto& [processor, format, cpu, numbers] :
       {std::tuple{"6811", "Motorola", VoCPU_6811, VoNF_MotorolaMode}, {"", "", VoCPU_8051, VoNF_IntelMode},
        {"6811", "C++", VoCPU_6811, VoNF_IntelMode}}) {
    App.Project()->Processor = processor;
    App.Project()->NumberFormat = format;
    Show({"\tldaa #1"}, "main.asm");
    EXPECT_EQ(Form.PrintAsmSyntax()->CPUType(), cpu) << processor;
    EXPECT_EQ(Form.PrintAsmSyntax()->NumberFormat(), numbers) << format;
  }
  Lines.Put(0, "changed");  // a copy: later edits do not show
  EXPECT_EQ(Print().LineText(0), "        ldaa #1");
  // Bold keywords print bold, unless highlighting is off.
  for (const bool highlight : {true, false}) {
    Print().SetHighlight(highlight);
    const QString fonts = RunTool("pdffonts", {PrintToPdf()});
    ASSERT_FALSE(fonts.isEmpty());
    EXPECT_EQ(fonts.contains("Bold", Qt::CaseInsensitive), highlight) << fonts.toStdString();
  }
  App.HighLighterPrefs()->HighLighter()->KeyAttri()->SetStyle(fsUnderline);
  Show({"\tldaa #1"});
  EXPECT_EQ(Form.PrintAsmSyntax()->KeyAttri()->Style(), fsUnderline);
  // Z80 has keywords only with the extended tables, on paper as on screen.
  App.Project()->Processor = "Z80";
  App.HighLighterPrefs()->HighLighter()->SetExtendedTables(true);
  Show({"\tld a,1"});
  EXPECT_TRUE(Form.PrintAsmSyntax()->ExtendedTables());
}

TEST_F(PrintTest, FailedPrintingSaysWhyAndThePrinterStaysUsable) {
  QStringList errors;
  Hooks.Error = [&](const QString& text) { errors << text; };
  Show(NumberedLines(3));
  const std::pair<QString, QString> cases[] = {
      {Dir.filePath("missing/out.pdf"), "\"" + QDir::toNativeSeparators(Dir.filePath("missing")) + "\""},
      {QString(), "kein Drucker"},  // no printer: Qt falls back to files, without a name
  };
  for (const auto& [file, reason] : cases) {
    if (file.isEmpty() && !QPrinterInfo::availablePrinterNames().isEmpty()) continue;
    Form.Printer()->setOutputFormat(QPrinter::PdfFormat);
    Form.Printer()->setOutputFileName(file);
    Click("ToolbarButtonPrint");
    ASSERT_EQ(errors.size(), 1) << reason.toStdString();
    EXPECT_TRUE(errors.takeFirst().contains(reason)) << reason.toStdString();
  }
  EXPECT_EQ(PdfInfo(PrintToPdf(), "Pages").toInt(), 1);
  EXPECT_TRUE(errors.isEmpty());
}
