#include "settings/FormGlobalPrefs.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "editor/ColorConvert.h"
#include "editor/EditControl.h"
#include "highlight/AssemSyn.h"
#include "platform/ui/FitTexts.h"
#include "platform/ui/UserDialogs.h"
#include "settings/ColorCombo.h"
#include "settings/FormPrefsLogic.h"
#include "settings/FormRadioGroup.h"
#include "settings/ProcessorCombo.h"
#include "settings/KodrillApp.h"
#include "platform/ui/ButtonRow.h"

TFormGlobalPrefs* FormGlobalPrefs = nullptr;

namespace {
const char* const SampleText[] = {
    ";*****************************************************************************",
    ";* Kommentar",
    ";*****************************************************************************",
    "     DIRECTIVE $afff",
    "",
    "     KEYWORD   %01110",
    "",
    "Identifier:",
    "",
    "Text:     \"Ein kleiner string\"",
    "",
    "Symbols: *#::::()",
    "",
};

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// Copies style and colours attribute by attribute (all highlighters list them in one order).
void CopyAttributes(const TCustomHighlighter& from, TCustomHighlighter& to) {
  for (int i = 0; i < to.AttributeCount() && i < from.AttributeCount(); ++i) to.Attribute(i)->Assign(*from.Attribute(i));
}

// Font at the largest size up to its own at which Text fits into Room pixels, in the widest face
// an attribute may give it.
QFont FittingFont(QFont font, const QString& text, int room) {
  while (font.pointSize() > 1 &&
         QFontMetrics(FontWithStyle(font, fsBold | fsItalic)).size(Qt::TextSingleLine, text).width() > room)
    font.setPointSize(font.pointSize() - 1);
  return font;
}

const QSize DesignedSize(495, 433);

TFontStyles StyleOf(const QFont& font) {
  return (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) | (font.underline() ? fsUnderline : 0) |
         (font.strikeOut() ? fsStrikeOut : 0);
}
}  // namespace

TFormGlobalPrefs::TFormGlobalPrefs(QWidget* parent) : QDialog(parent), FSampleSyn(std::make_unique<TVoMAssemSyn>()) {
  setObjectName(QStringLiteral("FormGlobalPrefs"));
  setWindowTitle(QStringLiteral("Globale Einstellungen"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(DesignedSize);

  PageControl = Named(new QTabWidget(this), "PageControl");

  // Page "Highlighter"
  auto* highlighterPage = Named(new QWidget, "TabSheetHighlighter");
  auto* fontGroup = Named(new QGroupBox(QStringLiteral("Schriftart"), highlighterPage), "GroupBoxFont");
  BtnFont = Named(new QPushButton(QStringLiteral("Schrift..."), fontGroup), "BtnFont");
  BtnFont->setAutoDefault(false);
  LabelTestText = Named(new QLabel(QStringLiteral("TestText"), fontGroup), "LabelTestText");
  LabelTestText->setAlignment(Qt::AlignCenter);
  LabelTestText->setAutoFillBackground(true);
  LabelTestText->setFrameShape(QFrame::StyledPanel);
  LabelTestText->setMinimumWidth(170);
  auto* fontLayout = new QVBoxLayout(fontGroup);
  fontLayout->addWidget(BtnFont);
  fontLayout->addWidget(LabelTestText, 1);

  auto* attribGroup = Named(new QGroupBox(QStringLiteral("Highlighting"), highlighterPage), "GroupBoxHighlighting");
  ComboBoxAttrib = Named(new QComboBox(attribGroup), "ComboBoxAttrib");
  ComboBoxAttrib->setMaxVisibleItems(9);
  CheckBoxBold = Named(new QCheckBox(QStringLiteral("Fett"), attribGroup), "CheckBoxBold");
  CheckBoxItalic = Named(new QCheckBox(QStringLiteral("Kursiv"), attribGroup), "CheckBoxItalic");
  CheckBoxUnderline = Named(new QCheckBox(QStringLiteral("Unterstrichen"), attribGroup), "CheckBoxUnderline");
  CheckBoxStrikeOut = Named(new QCheckBox(QStringLiteral("Durchgestrichen"), attribGroup), "CheckBoxStrikeOut");
  auto* labelFore = Named(new QLabel(QStringLiteral("Vordergrund:"), attribGroup), "LabelForeground");
  ColorComboText = Named(new TColorCombo(attribGroup), "ColorComboText");
  auto* labelBack = Named(new QLabel(QStringLiteral("Hintergrund:"), attribGroup), "LabelBackground");
  ColorComboBack = Named(new TColorCombo(attribGroup), "ColorComboBack");
  auto* attribLayout = new QGridLayout(attribGroup);
  attribLayout->addWidget(ComboBoxAttrib, 0, 0);
  attribLayout->addWidget(CheckBoxBold, 1, 0);
  attribLayout->addWidget(CheckBoxItalic, 2, 0);
  attribLayout->addWidget(CheckBoxUnderline, 3, 0);
  attribLayout->addWidget(CheckBoxStrikeOut, 4, 0);
  attribLayout->addWidget(labelFore, 0, 1);
  attribLayout->addWidget(ColorComboText, 1, 1);
  attribLayout->addWidget(labelBack, 2, 1);
  attribLayout->addWidget(ColorComboBack, 3, 1);

  TestEditor = Named(new TEditControl(highlighterPage), "TestEditor");
  TestEditor->SetGutterWidth(34);
  FSampleSyn->SetCPUType(VoCPU_Example);
  FSampleSyn->SetNumberFormat(VoNF_CMode);
  if (KodrillApp) CopyAttributes(*KodrillApp->HighLighterPrefs()->HighLighter(), *FSampleSyn);
  TestEditor->SetHighlighter(FSampleSyn.get());
  // A sample inside a dialog: Tab goes on to the next control.
  TestEditor->SetTabMovesFocus(true);
  LoadSample();

  CheckBoxExtendedTables = Named(new QCheckBox(QStringLiteral("Erweiterte Befehlstabellen"), highlighterPage),
                                 "CheckBoxExtendedTables");

  auto* topRow = new QHBoxLayout;
  topRow->addWidget(fontGroup);
  topRow->addWidget(attribGroup, 1);
  auto* highlighterLayout = new QVBoxLayout(highlighterPage);
  highlighterLayout->addLayout(topRow);
  highlighterLayout->addWidget(CheckBoxExtendedTables);
  highlighterLayout->addWidget(TestEditor, 1);
  PageControl->addTab(highlighterPage, QStringLiteral("Highlighter"));

  // Page "Assembler"
  auto* assemblerPage = Named(new QWidget, "TabSheetAssembler");
  auto* labelAsmPath = Named(new QLabel(QStringLiteral("Assembler Pfad:"), assemblerPage), "LabelAsmPath");
  AssemblePathEdit = Named(new QLineEdit(assemblerPage), "AssemblePathEdit");
  AssemblePathEdit->setToolTip(QStringLiteral("Installationsverzeichnis des Makroassemblers AS von Alfred Arnold"));
  Label1 = Named(new QLabel(assemblerPage), "Label1");
  auto* labelCPU = Named(new QLabel(QStringLiteral("CPU:"), assemblerPage), "LabelCPU");
  ComboBoxCPU = new TProcessorCombo(assemblerPage);
  RdGrNumberFormat = Named(new TFormRadioGroup(QStringLiteral("Zahlenformat"), NumberFormatCaptions(), assemblerPage),
                           "RdGrNumberFormat");
  auto* labelGet = Named(new QLabel(QStringLiteral("Get Assembler:"), assemblerPage), "LabelGetAssembler");
  LabelWWWas = Named(new QLabel(QStringLiteral("john.ccac.rwth-aachen.de:8000/as/"), assemblerPage), "LabelWWWas");
  {
    QFont font = LabelWWWas->font();
    font.setUnderline(true);
    LabelWWWas->setFont(font);
    QPalette palette = LabelWWWas->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 0x80));
    LabelWWWas->setPalette(palette);
    LabelWWWas->setCursor(Qt::PointingHandCursor);
    LabelWWWas->installEventFilter(this);
  }
  auto* assemblerLayout = new QGridLayout(assemblerPage);
  assemblerLayout->addWidget(labelAsmPath, 0, 0);
  assemblerLayout->addWidget(AssemblePathEdit, 0, 1);
  assemblerLayout->addWidget(Label1, 1, 1);
  assemblerLayout->addWidget(labelCPU, 2, 0);
  assemblerLayout->addWidget(ComboBoxCPU, 2, 1, Qt::AlignLeft);
  assemblerLayout->addWidget(RdGrNumberFormat, 3, 0, 1, 2);
  assemblerLayout->addWidget(labelGet, 4, 0);
  assemblerLayout->addWidget(LabelWWWas, 4, 1);
  assemblerLayout->setRowStretch(5, 1);
  PageControl->addTab(assemblerPage, QStringLiteral("Assembler"));

  // Page "General"
  auto* generalPage = Named(new QWidget, "TabSheetGeneral");
  auto* labelDefaultDir = Named(new QLabel(QStringLiteral("Default Directory:"), generalPage), "LabelDefaultDir");
  DefaultDirectoryEdit = Named(new QLineEdit(generalPage), "DefaultDirectoryEdit");
  auto* labelKodrillDir = Named(new QLabel(QStringLiteral("Kodrill Directory:"), generalPage), "LabelKodrillDir");
  KodrillDirectoryEdit = Named(new QLineEdit(generalPage), "KodrillDirectoryEdit");
  auto* generalLayout = new QGridLayout(generalPage);
  generalLayout->addWidget(labelDefaultDir, 0, 0);
  generalLayout->addWidget(DefaultDirectoryEdit, 0, 1);
  generalLayout->addWidget(labelKodrillDir, 1, 0);
  generalLayout->addWidget(KodrillDirectoryEdit, 1, 1);
  CheckBoxLineNumbers =
      Named(new QCheckBox(QStringLiteral("Zeilennummern anzeigen"), generalPage), "CheckBoxLineNumbers");
  generalLayout->addWidget(CheckBoxLineNumbers, 2, 0, 1, 2);
  generalLayout->setRowStretch(3, 1);
  PageControl->addTab(generalPage, QStringLiteral("General"));

  BtnOK = Named(new QPushButton(QStringLiteral("OK"), this), "BtnOK");
  BtnCancel = Named(new QPushButton(QStringLiteral("Abbrechen"), this), "BtnCancel");
  QHBoxLayout* buttons = OkCancelRow(BtnOK, BtnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl, 1);
  layout->addLayout(buttons);

  // FormCreate: the attribute names (the list is already sorted by name).
  for (int i = 0; i < FSampleSyn->AttributeCount(); ++i)
    ComboBoxAttrib->addItem(QString::fromStdString(FSampleSyn->Attribute(i)->Name()));

  const auto addDirectoryButton = [this](QLineEdit* edit, const QString& caption, auto afterDialog) {
    QAction* action =
        edit->addAction(edit->style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    action->setObjectName(edit->objectName() + QStringLiteral("Browse"));
    connect(action, &QAction::triggered, this, [this, edit, caption, afterDialog] {
      const QString chosen = AskDirectory(this, caption, edit->text());
      if (chosen.isEmpty()) return;
      const QString directory = QDir::toNativeSeparators(chosen);
      edit->setText(directory);
      afterDialog(directory);
    });
  };
  addDirectoryButton(AssemblePathEdit, QStringLiteral("Assembler Pfad"),
                     [this](const QString& directory) { AssemblePathEditAfterDialog(directory); });
  addDirectoryButton(DefaultDirectoryEdit, QStringLiteral("Default Directory"), [](const QString&) {});
  addDirectoryButton(KodrillDirectoryEdit, QStringLiteral("Kodrill Directory"), [](const QString&) {});

  connect(ComboBoxAttrib, &QComboBox::currentIndexChanged, this, &TFormGlobalPrefs::ComboBoxAttribChange);
  const std::pair<QCheckBox*, TFontStyles> styleBoxes[] = {
      {CheckBoxBold, fsBold}, {CheckBoxItalic, fsItalic}, {CheckBoxUnderline, fsUnderline}, {CheckBoxStrikeOut, fsStrikeOut}};
  for (const auto& [box, flag] : styleBoxes)
    connect(box, &QCheckBox::toggled, this, [this, box = box, flag = flag] { StyleCheckBoxClick(box, flag); });
  connect(ColorComboText, &TColorCombo::ColorChanged, this, &TFormGlobalPrefs::ColorComboTextChange);
  connect(ColorComboBack, &TColorCombo::ColorChanged, this, &TFormGlobalPrefs::ColorComboBackChange);
  connect(BtnFont, &QPushButton::clicked, this, &TFormGlobalPrefs::BtnFontClick);
  connect(BtnOK, &QPushButton::clicked, this, [this] {
    BtnOKClick();
    accept();
  });
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
  TestEditor->OnClick = [this](TEditControl*) { TestEditorClick(); };
  TestEditor->OnCommandProcessed = [this](TEditControl*, int, QChar) { TestEditorClick(); };
  FitSample();
}

TFormGlobalPrefs::~TFormGlobalPrefs() {
  // The sample editor outlives this body as a child widget; it must not keep the highlighter.
  TestEditor->OnClick = nullptr;
  TestEditor->OnCommandProcessed = nullptr;
  TestEditor->SetHighlighter(nullptr);
}

void TFormGlobalPrefs::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

bool TFormGlobalPrefs::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LabelWWWas && event->type() == QEvent::MouseButtonRelease)
    ShellOpen(QStringLiteral("http://") + LabelWWWas->text());
  return QDialog::eventFilter(watched, event);
}

void TFormGlobalPrefs::FormShow() {
  const THighLighterPrefs* highlighterPrefs = KodrillApp->HighLighterPrefs();
  const TAssemblerPrefs* assemblerPrefs = KodrillApp->AssemblerPrefs();
  const TGeneralPrefs* generalPrefs = KodrillApp->GeneralPrefs();

  CopyAttributes(*highlighterPrefs->HighLighter(), *FSampleSyn);
  LoadSample();  // what was typed into it last time is gone
  // Made anew each time, so that nothing of a font chosen before a cancel is left; resolved as
  // in the editors, so that the sample shows what they show.
  TestEditor->setFont(EditorFont(highlighterPrefs->FontName, highlighterPrefs->FontSize));
  FitSample();
  // A place stored on a screen that is gone would leave the dialog out of reach: keep the current one.
  const QPoint stored(generalPrefs->WindowLeft, generalPrefs->WindowTop);
  if (QGuiApplication::screenAt(stored + QPoint(20, 20))) move(stored);

  AssemblePathEdit->setText(assemblerPrefs->AsDirectory);
  Label1->clear();
  ComboBoxCPU->SetProcessor(assemblerPrefs->DefaultProcessor);
  RdGrNumberFormat->SetItemIndex(NumberFormatIndex(assemblerPrefs->DefaultNumberFormat));
  DefaultDirectoryEdit->setText(generalPrefs->ProjectDirectory);
  KodrillDirectoryEdit->setText(generalPrefs->KodrillDirectory);
  CheckBoxLineNumbers->setChecked(generalPrefs->ShowLineNumbers);
  CheckBoxExtendedTables->setChecked(highlighterPrefs->HighLighter()->ExtendedTables());

  ComboBoxAttrib->setCurrentIndex(0);
  ComboBoxAttribChange();
  ShowFontOnLabel();
  ComboBoxAttribChange();
}

void TFormGlobalPrefs::ShowFontOnLabel() {
  // The font shown, not the one asked for; in its face, but smaller where the name would not fit.
  const QFont font = TestEditor->font();
  const QString text = QFontInfo(font).family() + QLatin1Char(' ') + QString::number(font.pointSize());
  LabelTestText->setText(text);
  // A few pixels spare: a face's first and last letters may reach beyond their advance.
  const int room = LabelTestText->minimumWidth() - 2 * LabelTestText->frameWidth() - 8;
  LabelTestText->setFont(FittingFont(font, text, room));
}

void TFormGlobalPrefs::LoadSample() {
  std::string sample;
  for (const char* line : SampleText) sample.append(line).append(1, '\n');
  TestEditor->Lines().LoadFromBytes(sample);
  TestEditor->SetCaretXY(1, 1);
  TestEditor->SetModified(false);
}

void TFormGlobalPrefs::FitSample() {
  // Every line of the sample in view, below it the room of the horizontal scroll bar.
  const int frame = 2 * TestEditor->frameWidth() + TestEditor->horizontalScrollBar()->sizeHint().height();
  TestEditor->setMinimumHeight(TestEditor->Lines().Count() * TestEditor->LineHeight() + frame);
  setFixedSize(DesignedSize);
  FitTexts(this);
  // A large font would push the buttons off the screen: the sample then scrolls instead. Room is
  // left for the window's frame, which is not known before it is shown.
  constexpr int frameRoom = 100;
  const QScreen* shown = screen();
  const int excess = shown ? height() + frameRoom - shown->availableGeometry().height() : 0;
  if (excess > 0) {
    TestEditor->setMinimumHeight(std::max(TestEditor->minimumHeight() - excess, TestEditor->LineHeight() + frame));
    setFixedSize(DesignedSize);
    FitTexts(this);
  }
}

void TFormGlobalPrefs::SetLabelColors(const QColor* text, const QColor* back) {
  QPalette palette = LabelTestText->palette();
  if (text) palette.setColor(QPalette::WindowText, *text);
  if (back) palette.setColor(QPalette::Window, *back);
  LabelTestText->setPalette(palette);
}

void TFormGlobalPrefs::ComboBoxAttribChange() {
  THighlighterAttributes* found = nullptr;
  const std::string name = ComboBoxAttrib->currentText().toStdString();
  for (int i = 0; i < FSampleSyn->AttributeCount() && !found; ++i)
    if (FSampleSyn->Attribute(i)->Name() == name) found = FSampleSyn->Attribute(i);
  if (!found) return;
  CurrentAttr = found;
  ColorComboBack->SetValue(found->Background());
  ColorComboText->SetValue(found->Foreground());
  const QPalette& palette = TestEditor->palette();
  const QColor back = ColorValueToQColor(TestEditor->Color(), palette, palette.color(QPalette::Base));
  const QColor text = ColorValueToQColor(found->Foreground(), palette, palette.color(QPalette::Text));
  SetLabelColors(&text, &back);
  LabelTestText->setFont(FontWithStyle(LabelTestText->font(), found->Style()));
  const std::pair<QCheckBox*, TFontStyles> boxes[] = {
      {CheckBoxBold, fsBold}, {CheckBoxItalic, fsItalic}, {CheckBoxUnderline, fsUnderline}, {CheckBoxStrikeOut, fsStrikeOut}};
  for (const auto& [box, flag] : boxes) {
    const QSignalBlocker blocker(box);
    box->setChecked(found->Style() & flag);
  }
}

void TFormGlobalPrefs::StyleCheckBoxClick(QCheckBox* box, unsigned char flag) {
  if (!CurrentAttr) return;
  const TFontStyles style = box->isChecked() ? (CurrentAttr->Style() | flag) : (CurrentAttr->Style() & ~flag);
  LabelTestText->setFont(FontWithStyle(LabelTestText->font(), style));
  CurrentAttr->SetStyle(StyleOf(LabelTestText->font()));
}

void TFormGlobalPrefs::ColorComboTextChange() {
  const TColorValue value = ColorComboText->Value();
  if (!CurrentAttr || value == CurrentAttr->Foreground()) return;
  const QColor color = ColorValueToQColor(value, palette(), palette().color(QPalette::WindowText));
  SetLabelColors(&color, nullptr);
  CurrentAttr->SetForeground(value);
}

void TFormGlobalPrefs::ColorComboBackChange() {
  const TColorValue value = ColorComboBack->Value();
  if (!CurrentAttr || value == CurrentAttr->Background()) return;
  const QColor color = ColorValueToQColor(value, palette(), palette().color(QPalette::Window));
  SetLabelColors(nullptr, &color);
  CurrentAttr->SetBackground(value);
}

void TFormGlobalPrefs::TestEditorClick() {
  QString token;
  THighlighterAttributes* attribute = nullptr;
  QString name = QStringLiteral("space");
  if (TestEditor->AttributeAt(QPoint(TestEditor->CaretColumn(), TestEditor->CaretLine()), token, attribute) &&
      attribute)
    name = QString::fromStdString(attribute->Name());
  ComboBoxAttrib->setCurrentIndex(ComboBoxAttrib->findText(name));
  ComboBoxAttribChange();
}

void TFormGlobalPrefs::BtnFontClick() {
  QFont font = TestEditor->font();
  if (AskFont(this, font, true)) {
    // Family and size only: a style name from the dialog ("Oblique", "Book") would override the
    // bold and italic of every attribute. The size is one the settings file can give back.
    const int size = std::clamp(QFontInfo(font).pointSize(), MinFontSize, MaxFontSize);
    TestEditor->setFont(EditorFont(font.family(), size));
    FitSample();
  }
  ShowFontOnLabel();
  ComboBoxAttribChange();
}

void TFormGlobalPrefs::AssemblePathEditAfterDialog(const QString& directory) {
  const TAssemblerCheck check = CheckAssemblerDirectory(directory);
  Label1->setText(check.Text);
  QPalette palette = Label1->palette();
  palette.setColor(QPalette::WindowText, check.Found ? this->palette().color(QPalette::WindowText) : QColor(Qt::red));
  Label1->setPalette(palette);
}

void TFormGlobalPrefs::BtnOKClick() {
  TAssemblerPrefs* assemblerPrefs = KodrillApp->AssemblerPrefs();
  THighLighterPrefs* highlighterPrefs = KodrillApp->HighLighterPrefs();
  TGeneralPrefs* generalPrefs = KodrillApp->GeneralPrefs();

  AssemblePathEdit->setText(AssemblerDirectoryFromField(AssemblePathEdit->text()));
  assemblerPrefs->AsDirectory = AssemblePathEdit->text();
  const QString executable = FindAssemblerExecutable(assemblerPrefs->AsDirectory);
  if (!executable.isEmpty()) assemblerPrefs->AsExecutable = executable;
  assemblerPrefs->DefaultProcessor = ComboBoxCPU->currentText();
  const QString numberFormat = NumberFormatWordAt(RdGrNumberFormat->ItemIndex());
  if (!numberFormat.isEmpty()) assemblerPrefs->DefaultNumberFormat = numberFormat;
  generalPrefs->ProjectDirectory = DefaultDirectoryEdit->text();
  generalPrefs->KodrillDirectory = KodrillDirectoryEdit->text();
  generalPrefs->ShowLineNumbers = CheckBoxLineNumbers->isChecked();
  generalPrefs->WindowLeft = pos().x();
  generalPrefs->WindowTop = pos().y();
  CopyAttributes(*FSampleSyn, *highlighterPrefs->HighLighter());
  highlighterPrefs->HighLighter()->SetExtendedTables(CheckBoxExtendedTables->isChecked());
  // A font left as it was keeps its stored name, also where this system shows another one.
  if (TestEditor->font() != EditorFont(highlighterPrefs->FontName, highlighterPrefs->FontSize)) {
    highlighterPrefs->FontName = TestEditor->font().family();
    highlighterPrefs->FontSize = TestEditor->font().pointSize();
  }
}
