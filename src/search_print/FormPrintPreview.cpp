#include "search_print/FormPrintPreview.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QShortcut>
#include <QStyleOptionComboBox>
#include <QToolBar>
#include <QToolButton>

#include "highlight/AssemSyn.h"
#include "platform/ui/FitTexts.h"
#include "platform/ui/UserDialogs.h"
#include "search_print/EditPrint.h"
#include "search_print/EditPrintPreview.h"
#include "search_print/ZoomSteps.h"
#include "settings/FormPrefsLogic.h"
#include "settings/KodrillApp.h"

TFormPrintPreview* FormPrintPreview = nullptr;

namespace {
QFont InitialPrintFont() {
  const QString family = QStringLiteral("Courier New");
  QFont font = QFontDatabase::hasFamily(family) ? QFont(family) : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPixelSize(16);
  font.setBold(false);
  font.setItalic(false);
  return font;
}

QSizeF PaperOf(const QPrinter& printer) { return printer.pageLayout().fullRect(QPageLayout::Millimeter).size(); }

// "125%", "125 %" or "125" as a percentage in the zoom range; 0 when it is none.
int ParsePercent(QString text) {
  text = text.trimmed();
  if (text.endsWith(QLatin1Char('%'))) text.chop(1);
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  return ok ? std::clamp(value, MinZoomPercent, MaxZoomPercent) : 0;
}
}  // namespace

TFormPrintPreview::TFormPrintPreview(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FormPrintPreview"));
  setWindowTitle(QStringLiteral("Print Prewiew"));
  resize(435, 300);
  move(415, 277);

  FPrintAsmSyntax = std::make_unique<TVoMAssemSyn>();
  FPrintAsmSyntax->SetCPUType(VoCPU_Unknown);
  FPrintAsmSyntax->SetNumberFormat(VoNF_CMode);
  FPrintAsmSyntax->SetListMode(false);

  FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
  FPrinter->setCopyCount(1);

  FEditPrint = std::make_unique<TEditPrint>();
  TEditPrintMargins margins;
  margins.UnitSystem = TUnitSystem::usMM;
  margins.Left = 25;
  margins.Right = 15;
  margins.Top = 25;
  margins.Bottom = 25;
  margins.Header = 15;
  margins.Footer = 15;
  margins.LeftHFTextIndent = 2;
  margins.RightHFTextIndent = 2;
  margins.HFInternalMargin = 0.5;
  margins.MirrorMargins = false;
  FEditPrint->SetMargins(margins);
  FEditPrint->SetTitle(QStringLiteral("test 1"));
  FEditPrint->SetWrap(true);
  FEditPrint->SetHighlight(true);
  FEditPrint->SetLineNumbers(true);
  FEditPrint->SetLineNumbersInMargin(false);
  FEditPrint->SetHighlighter(FPrintAsmSyntax.get());
  FEditPrint->SetTabWidth(8);
  FEditPrint->SetColor(Qt::white);
  FEditPrint->SetPaperSize(PaperOf(*FPrinter));
  FPrintFont = InitialPrintFont();

  FToolbarPreview = new QToolBar(this);
  FToolbarPreview->setObjectName(QStringLiteral("ToolbarPreview"));
  addToolBar(Qt::TopToolBarArea, FToolbarPreview);
  auto button = [this](const char* name, const QString& hint, const char* iconName, void (TFormPrintPreview::*slot)()) {
    auto* b = new QToolButton(FToolbarPreview);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setText(hint);
    b->setIcon(QIcon::fromTheme(QLatin1String(iconName)));
    FToolbarPreview->addWidget(b);
    connect(b, &QToolButton::clicked, this, slot);
    return b;
  };
  button("ToolbarButtonPrint", QStringLiteral("Print"), "document-print", &TFormPrintPreview::ToolbarButtonPrintClick);
  button("ToolbarButtonSettings", QStringLiteral("Settings..."), "document-properties",
         &TFormPrintPreview::ToolbarButtonSettingsClick);
  button("ToolbarButtonFont", QStringLiteral("Font..."), "preferences-desktop-font",
         &TFormPrintPreview::ToolbarButtonFontClick);
  button("ToolbarButtonZoomP", QStringLiteral("Zoom In"), "zoom-in", &TFormPrintPreview::ToolbarButtonZoomPClick);
  button("ToolbarButtonZoomM", QStringLiteral("Zoom Out"), "zoom-out", &TFormPrintPreview::ToolbarButtonZoomMClick);

  FComboBoxZoom = new QComboBox(FToolbarPreview);
  FComboBoxZoom->setObjectName(QStringLiteral("ComboBoxZoom"));
  FComboBoxZoom->setEditable(true);
  FComboBoxZoom->setInsertPolicy(QComboBox::NoInsert);
  FComboBoxZoom->addItems({QStringLiteral("ganze Seite"), QStringLiteral("Seitenbreite"), QStringLiteral("200%"),
                           QStringLiteral("150%"), QStringLiteral("100%"), QStringLiteral("75%"), QStringLiteral("50%"),
                           QStringLiteral("25%"), QStringLiteral("10%")});
  FitZoomBox();
  FComboBoxZoom->setEditText(QStringLiteral("100%"));
  FToolbarPreview->addWidget(FComboBoxZoom);
  connect(FComboBoxZoom, &QComboBox::activated, this, &TFormPrintPreview::ComboBoxZoomActivated);
  connect(FComboBoxZoom->lineEdit(), &QLineEdit::returnPressed, this, &TFormPrintPreview::ComboBoxZoomEdited);

  // Escape closes the preview, as it closes a dialog.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);

  FEditPrintPreview = new TEditPrintPreview(this);
  FEditPrintPreview->SetScaleMode(pscWholePage);
  setCentralWidget(FEditPrintPreview);
  FormCreate();
  FEditPrintPreview->SetEditPrint(FEditPrint.get());
  FitTexts(this);
  // Wider than designed where the tools need it (without an icon theme they show their captions):
  // a tool behind the tool bar's overflow button is one nobody finds.
  resize(std::max(width(), FToolbarPreview->sizeHint().width()), height());
}

// As wide as designed, or wider where the font needs it for the longest entry ("ganze Seite").
void TFormPrintPreview::FitZoomBox() {
  QStyleOptionComboBox option;
  option.initFrom(FComboBoxZoom);
  option.editable = true;
  option.rect = QRect(0, 0, 1000, FComboBoxZoom->sizeHint().height());
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, FComboBoxZoom);
  int widest = 0;
  for (int i = 0; i < FComboBoxZoom->count(); ++i)
    widest = std::max(widest, FComboBoxZoom->fontMetrics().horizontalAdvance(FComboBoxZoom->itemText(i)));
  constexpr int EditMargins = 6;  // the edit field's own space around its text
  FComboBoxZoom->setFixedWidth(std::max(85, widest + EditMargins + option.rect.width() - field.width()));
}

TFormPrintPreview::~TFormPrintPreview() = default;

void TFormPrintPreview::FormCreate() { FEditPrint->SetFont(FPrintFont); }

void TFormPrintPreview::showEvent(QShowEvent* event) {
  FormCreate();
  QMainWindow::showEvent(event);
}

void TFormPrintPreview::ShowPreview(const TEditLines& lines, const QString& jobTitle) {
  // Printed highlighting follows the project's processor and number format, and the
  // user's styles.
  if (KodrillApp) {
    const THighlightChoice choice = HighlightChoice(*KodrillApp->Project(), *KodrillApp->AssemblerPrefs());
    FPrintAsmSyntax->SetCPUTypeString(choice.Processor.toStdString());
    if (choice.NumberFormat) FPrintAsmSyntax->SetNumberFormat(*choice.NumberFormat);
    const THighLighterPrefs* prefs = KodrillApp->HighLighterPrefs();
    if (const TVoMAssemSyn* master = prefs ? prefs->HighLighter() : nullptr) {
      FPrintAsmSyntax->SetExtendedTables(master->ExtendedTables());
      for (int i = 0; i < master->AttributeCount() && i < FPrintAsmSyntax->AttributeCount(); ++i)
        FPrintAsmSyntax->Attribute(i)->SetStyle(master->Attribute(i)->Style());
    }
  }
  FEditPrint->SetLines(lines);
  FEditPrint->SetTitle(jobTitle);
  FEditPrint->SetPaperSize(PaperOf(*FPrinter));
  FormCreate();
  FEditPrintPreview->UpdatePreview();
  // A text previewed starts at its first page, and the keys turn its pages: a key that reached
  // the print button would print it all.
  FEditPrintPreview->verticalScrollBar()->setValue(0);
  FEditPrintPreview->horizontalScrollBar()->setValue(0);
  FEditPrintPreview->setFocus(Qt::OtherFocusReason);
  show();
  raise();
  activateWindow();
}

void TFormPrintPreview::ToolbarButtonPrintClick() {
  // Always every page and one copy, whatever the print dialog was last set to.
  FPrinter->setPrintRange(QPrinter::AllPages);
  FPrinter->setCopyCount(1);
  const QString failure = FEditPrint->Print(*FPrinter);
  FEditPrintPreview->UpdatePreview();
  if (!failure.isEmpty()) ShowErrorBox(this, failure);
}

void TFormPrintPreview::ToolbarButtonSettingsClick() {
  const int pages = FEditPrint->PageCount();
  QPrintDialog dialog(FPrinter.get(), this);
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                    QAbstractPrintDialog::PrintSelection);
  dialog.setMinMax(1, pages);
  dialog.setFromTo(1, pages);
  dialog.setPrintRange(QAbstractPrintDialog::PageRange);
  ExecPrintDialog ? ExecPrintDialog(dialog) : dialog.exec();
  // A printer or paper chosen there is used from now on.
  FEditPrint->SetPaperSize(PaperOf(*FPrinter));
  FEditPrintPreview->UpdatePreview();
}

void TFormPrintPreview::ToolbarButtonFontClick() {
  QFont font = FPrintFont;
  if (!AskFont(this, font, false)) return;
  FPrintFont = font;
  FEditPrint->SetFont(font);
  FEditPrintPreview->UpdatePreview();
}

void TFormPrintPreview::ToolbarButtonZoomPClick() {
  FEditPrintPreview->SetScalePercent(ZoomInPercent(FEditPrintPreview->ScalePercent()));
  ShowZoom();
}

void TFormPrintPreview::ToolbarButtonZoomMClick() {
  FEditPrintPreview->SetScalePercent(ZoomOutPercent(FEditPrintPreview->ScalePercent()));
  ShowZoom();
}

void TFormPrintPreview::ShowZoom() {
  FComboBoxZoom->setEditText(QString::number(FEditPrintPreview->ScalePercent()) + QLatin1Char('%'));
}

void TFormPrintPreview::ComboBoxZoomActivated(int index) {
  if (index == 0) {
    FEditPrintPreview->SetScaleMode(pscWholePage);
  } else if (index == 1) {
    FEditPrintPreview->SetScaleMode(pscPageWidth);
  } else if (const int percent = ParsePercent(FComboBoxZoom->itemText(index))) {
    FEditPrintPreview->SetScalePercent(percent);
  }
}

void TFormPrintPreview::ComboBoxZoomEdited() {
  const QString text = FComboBoxZoom->currentText();
  const int index = FComboBoxZoom->findText(text.trimmed(), Qt::MatchFixedString);
  if (index >= 0) {
    ComboBoxZoomActivated(index);
  } else if (const int percent = ParsePercent(text)) {
    FEditPrintPreview->SetScalePercent(percent);
    ShowZoom();
  } else if (FEditPrintPreview->ScaleMode() == pscUserScaled) {
    ShowZoom();
  } else {
    FComboBoxZoom->setEditText(FComboBoxZoom->itemText(FEditPrintPreview->ScaleMode() == pscWholePage ? 0 : 1));
  }
}
