#include <gtest/gtest.h>

#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>

#include "PrintTestSupport.h"
#include "highlight/AssemSyn.h"
#include "platform/ui/UserDialogs.h"
#include "search_print/EditPrint.h"
#include "search_print/EditPrintPreview.h"
#include "search_print/FormPrintPreview.h"
#include "settings/KodrillApp.h"

namespace {
class FormPrintPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override { KodrillApp = &App; }
  void TearDown() override {
    SetUserDialogHooks(nullptr);
    KodrillApp = nullptr;
  }

  QComboBox* Zoom() { return Form.findChild<QComboBox*>(QStringLiteral("ComboBoxZoom")); }
  void Click(const char* name) { Form.findChild<QToolButton*>(QLatin1String(name))->click(); }

  void ShowLines(int count, const QString& title = QStringLiteral("demo.asm")) {
    TEditLines lines;
    SetText(lines, NumberedLines(count));
    Form.ShowPreview(lines, title);
  }

  QString PrintToPdf() {
    const QString file = Dir.filePath(QStringLiteral("out.pdf"));
    Form.Printer()->setOutputFormat(QPrinter::PdfFormat);
    Form.Printer()->setOutputFileName(file);
    Click("ToolbarButtonPrint");
    return file;
  }

  TKodrillApp App;
  TFormPrintPreview Form;
  QTemporaryDir Dir;
};
}  // namespace

TEST_F(FormPrintPreviewTest, ToolbarInOrderAndPreviewAtStart) {
  auto* toolbar = Form.findChild<QToolBar*>(QStringLiteral("ToolbarPreview"));
  ASSERT_TRUE(toolbar);
  EXPECT_EQ(Form.toolBarArea(toolbar), Qt::TopToolBarArea);
  QStringList order;
  for (QAction* action : toolbar->actions()) order << toolbar->widgetForAction(action)->objectName();
  EXPECT_EQ(order, QStringList({"ToolbarButtonPrint", "ToolbarButtonSettings", "ToolbarButtonFont",
                                "ToolbarButtonZoomP", "ToolbarButtonZoomM", "ComboBoxZoom"}));
  EXPECT_EQ(Zoom()->count(), 9);
  EXPECT_EQ(Zoom()->currentText(), QStringLiteral("100%"));
  EXPECT_EQ(Zoom()->width(), 85);

  TEditPrintPreview* preview = Form.EditPrintPreview();
  EXPECT_EQ(Form.centralWidget(), preview);
  EXPECT_EQ(preview->EditPrint(), Form.EditPrint());
  EXPECT_EQ(preview->ScaleMode(), pscWholePage);
  EXPECT_EQ(Form.EditPrint()->Highlighter(), Form.PrintAsmSyntax());
  EXPECT_EQ(Form.EditPrint()->Font(), Form.PrintFont());
  EXPECT_EQ(Form.PrintFont().pixelSize(), 16);
}

TEST_F(FormPrintPreviewTest, ZoomButtonsAndZoomBox) {
  Click("ToolbarButtonZoomP");
  EXPECT_EQ(Form.EditPrintPreview()->ScaleMode(), pscUserScaled);
  EXPECT_EQ(Form.EditPrintPreview()->ScalePercent(), 125);
  EXPECT_EQ(Zoom()->currentText(), QStringLiteral("125%"));
  Click("ToolbarButtonZoomM");
  Click("ToolbarButtonZoomM");
  EXPECT_EQ(Zoom()->currentText(), QStringLiteral("75%"));

  Zoom()->activated(0);
  EXPECT_EQ(Form.EditPrintPreview()->ScaleMode(), pscWholePage);
  Zoom()->activated(1);
  EXPECT_EQ(Form.EditPrintPreview()->ScaleMode(), pscPageWidth);
  Zoom()->activated(6);
  EXPECT_EQ(Form.EditPrintPreview()->ScaleMode(), pscUserScaled);
  EXPECT_EQ(Form.EditPrintPreview()->ScalePercent(), 50);
}

TEST_F(FormPrintPreviewTest, ShowsACopyHighlightedLikeTheEditor) {
  App.AssemblerPrefs()->DefaultProcessor = QStringLiteral("8051");
  App.AssemblerPrefs()->DefaultNumberFormat = QStringLiteral("Intel");
  App.HighLighterPrefs()->HighLighter()->KeyAttri()->SetStyle(fsUnderline);
  TEditLines lines;
  SetText(lines, {QStringLiteral("\tldaa #1")});
  // The project's processor and number format, without them the default ones; a word that
  // names no number format keeps the last.
  const std::tuple<QString, QString, TVoCPUType, TVoNumberFormat> cases[] = {
      {"6811", "Motorola", VoCPU_6811, VoNF_MotorolaMode},
      {"", "", VoCPU_8051, VoNF_IntelMode},
      {"6811", "C++", VoCPU_6811, VoNF_IntelMode},
  };
  for (const auto& [processor, format, cpu, numbers] : cases) {
    App.Project()->Processor = processor;
    App.Project()->NumberFormat = format;
    Form.ShowPreview(lines, QStringLiteral("main.asm"));
    EXPECT_EQ(Form.PrintAsmSyntax()->CPUType(), cpu) << processor.toStdString();
    EXPECT_EQ(Form.PrintAsmSyntax()->NumberFormat(), numbers) << format.toStdString();
  }
  EXPECT_TRUE(Form.isVisible());
  EXPECT_EQ(Form.PrintAsmSyntax()->KeyAttri()->Style(), fsUnderline);  // the user's styles
  EXPECT_EQ(Form.EditPrint()->Title(), QStringLiteral("main.asm"));
  EXPECT_EQ(Form.EditPrint()->LineText(0), QStringLiteral("        ldaa #1"));
  lines.Put(0, "changed");
  EXPECT_EQ(Form.EditPrint()->LineText(0), QStringLiteral("        ldaa #1"));
}

TEST_F(FormPrintPreviewTest, ChosenFontStaysForTheNextFile) {
  TUserDialogHooks hooks;
  QFont offered;
  hooks.Font = [&](QFont& font) {
    offered = font;
    font.setPixelSize(30);
    return true;
  };
  SetUserDialogHooks(&hooks);
  ShowLines(200);
  const int pages = Form.EditPrint()->PageCount();
  Click("ToolbarButtonFont");
  EXPECT_EQ(offered.pixelSize(), 16);
  EXPECT_EQ(Form.PrintFont().pixelSize(), 30);
  EXPECT_GT(Form.EditPrint()->PageCount(), pages);
  Form.hide();
  ShowLines(10, QStringLiteral("other.asm"));
  EXPECT_EQ(Form.EditPrint()->Font().pixelSize(), 30);

  hooks.Font = [](QFont& font) {
    font.setPixelSize(8);
    return false;
  };
  Click("ToolbarButtonFont");
  EXPECT_EQ(Form.PrintFont().pixelSize(), 30);
  EXPECT_EQ(Form.EditPrint()->Font().pixelSize(), 30);
}

TEST_F(FormPrintPreviewTest, PrintsEveryPageWhateverTheDialogChose) {
  ShowLines(150);
  const int pages = Form.EditPrint()->PageCount();
  ASSERT_EQ(pages, 3);
  int shownMax = 0;
  int shownTo = 0;
  Form.ExecPrintDialog = [&](QPrintDialog& dialog) {
    shownMax = dialog.maxPage();
    shownTo = dialog.toPage();
    EXPECT_EQ(dialog.minPage(), 1);
    EXPECT_EQ(dialog.fromPage(), 1);
    EXPECT_EQ(dialog.printRange(), QAbstractPrintDialog::PageRange);
    EXPECT_TRUE(dialog.testOption(QAbstractPrintDialog::PrintToFile));
    dialog.setFromTo(2, 2);
    dialog.printer()->setFromTo(2, 2);
    dialog.printer()->setPrintRange(QPrinter::PageRange);
    dialog.printer()->setCopyCount(3);
    return int(QDialog::Accepted);
  };
  Click("ToolbarButtonSettings");
  EXPECT_EQ(shownMax, pages);
  EXPECT_EQ(shownTo, pages);

  const QString file = PrintToPdf();
  EXPECT_EQ(PdfInfo(file, QStringLiteral("Pages")).toInt(), pages);
  EXPECT_EQ(PdfInfo(file, QStringLiteral("Title")), QStringLiteral("demo.asm"));
  const QString text = PdfText(file);
  EXPECT_TRUE(text.contains(QLatin1String("Zeile 1\n")) || text.contains(QLatin1String("Zeile 1 ")));
  EXPECT_TRUE(text.contains(QLatin1String("Zeile 150")));
  EXPECT_EQ(text.count(QLatin1String("Zeile 150")), 1);
}

TEST_F(FormPrintPreviewTest, PreviewShowsOnlyThePagesInView) {
  ShowLines(500);
  TEditPrintPreview* preview = Form.EditPrintPreview();
  const int pages = Form.EditPrint()->PageCount();
  ASSERT_GT(pages, 5);
  preview->resize(400, 600);
  preview->SetScaleMode(pscWholePage);
  // A whole page fits the view; at most the top of the next one shows below it.
  EXPECT_EQ(preview->VisiblePages().first, 0);
  EXPECT_LE(preview->VisiblePages().second, 1);
  preview->SetScalePercent(100);
  EXPECT_EQ(preview->VisiblePages(), std::make_pair(0, 0));
  preview->verticalScrollBar()->setValue(preview->verticalScrollBar()->maximum());
  EXPECT_EQ(preview->VisiblePages().second, pages - 1);
  EXPECT_GE(preview->VisiblePages().first, pages - 2);
  // Setting a percentage goes back to the top.
  preview->SetScalePercent(50);
  EXPECT_EQ(preview->verticalScrollBar()->value(), 0);
  EXPECT_EQ(preview->VisiblePages().first, 0);
}

TEST_F(FormPrintPreviewTest, FailedPrintingSaysWhyAndThePrinterStaysUsable) {
  TUserDialogHooks hooks;
  QStringList errors;
  hooks.Error = [&](const QString& text) { errors << text; };
  SetUserDialogHooks(&hooks);
  ShowLines(3);
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
  EXPECT_EQ(PdfInfo(PrintToPdf(), QStringLiteral("Pages")).toInt(), 1);
  EXPECT_TRUE(errors.isEmpty());
}
