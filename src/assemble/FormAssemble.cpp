#include "assemble/FormAssemble.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include <numeric>

#include "assemble/AssembleRun.h"
#include "assemble/MessageCursor.h"
#include "platform/Memory.h"
#include "platform/ui/FitTexts.h"
#include "platform/ui/UserDialogs.h"
#include "settings/KodrillApp.h"

TFormAssemble* FormAssemble = nullptr;

namespace {

constexpr int kPumpMs = 20;
constexpr int kTextRefreshMs = 100;
// The Info page keeps the latest lines of a run, within these bounds.
constexpr qsizetype kMaxInfoLines = 50000;
constexpr qsizetype kMaxInfoChars = 8 << 20;
const QString kStatus = QStringLiteral("Status:   ");
const QString kFinished = QStringLiteral("Finished.");

QLabel* MakePanel(QWidget* parent, const char* name, const QString& text) {
  auto* panel = new QLabel(text, parent);
  panel->setObjectName(QLatin1String(name));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  panel->setMinimumWidth(10);
  return panel;
}

void SetTextColor(QLabel* panel, const QColor& color) {
  QPalette pal = panel->palette();
  pal.setColor(QPalette::WindowText, color);
  panel->setPalette(pal);
}

// Pure yellow cannot be read on a light panel; there a dark yellow stands in for it.
QColor WarningColor(const QWidget* panel) {
  return panel->palette().color(QPalette::Window).lightness() > 160 ? QColor(160, 120, 0) : QColor(255, 255, 0);
}

}  // namespace

TFormAssemble::TFormAssemble(QWidget* parent)
    : QDialog(parent),
      FRun(std::make_unique<TAssembleRun>()),
      FMessages(std::make_unique<TMessageCursor>(FRun->Log())) {
  setObjectName(QStringLiteral("FormAssemble"));
  setWindowTitle(QStringLiteral("Assembliere..."));
  // Above the main window, as a dialog of it, but not above its questions and dialogs: a window
  // kept on top of everything would hide them.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  move(402, 106);
  setFixedSize(361, 372);  // no resizing, so no maximising either

  PanelProject = MakePanel(this, "PanelProject", QStringLiteral("Projekt:"));
  PanelCommand = MakePanel(this, "PanelCommand", QStringLiteral("Command:"));
  PanelStatus = MakePanel(this, "PanelStatus", QStringLiteral("Status:"));
  PanelTime = MakePanel(this, "PanelTime", QStringLiteral("Zeit:"));
  PanelLines = MakePanel(this, "PanelLines", QStringLiteral("Zeilen:"));
  PanelPasses = MakePanel(this, "PanelPasses", QStringLiteral("Durchläufe:"));
  PanelMemory = MakePanel(this, "PanelMemory", QStringLiteral("Restspeicher:"));
  PanelWarnings = MakePanel(this, "PanelWarnings", QStringLiteral("Warnungen:"));
  PanelErrors = MakePanel(this, "PanelErrors", QStringLiteral("Fehler:"));

  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  TabSheetInfo = new QWidget;
  TabSheetInfo->setObjectName(QStringLiteral("TabSheetInfo"));
  MemoInfo = new QPlainTextEdit(TabSheetInfo);
  MemoInfo->setObjectName(QStringLiteral("MemoInfo"));
  MemoInfo->setReadOnly(true);
  MemoInfo->setLineWrapMode(QPlainTextEdit::NoWrap);  // cheap layout for long output
  MemoInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  (new QVBoxLayout(TabSheetInfo))->addWidget(MemoInfo);
  TabSheetWarningsErrors = new QWidget;
  TabSheetWarningsErrors->setObjectName(QStringLiteral("TabSheetWarningsErrors"));
  ListBoxErrors = new QListView(TabSheetWarningsErrors);
  ListBoxErrors->setObjectName(QStringLiteral("ListBoxErrors"));
  ListBoxErrors->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A log of a million lines shows at once; the rows further down are laid out when idle.
  ListBoxErrors->setUniformItemSizes(true);
  ListBoxErrors->setLayoutMode(QListView::Batched);
  ListBoxErrors->setBatchSize(10000);
  ListBoxErrors->setModel(&FRun->Log());
  (new QVBoxLayout(TabSheetWarningsErrors))->addWidget(ListBoxErrors);
  PageControl->addTab(TabSheetInfo, QStringLiteral("Info"));
  PageControl->addTab(TabSheetWarningsErrors, QStringLiteral("Warnungen und Fehler"));
  PageControl->setCurrentWidget(TabSheetWarningsErrors);

  BtnOK = new QPushButton(QStringLiteral("OK"), this);
  BtnOK->setObjectName(QStringLiteral("BtnOK"));
  BtnOK->setDefault(true);
  BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
  BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
  BtnCancel->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(2);
  layout->addWidget(PanelProject);
  layout->addWidget(PanelCommand);
  layout->addWidget(PanelStatus);
  auto* row = new QHBoxLayout;
  row->addWidget(PanelTime);
  row->addWidget(PanelLines);
  row->addWidget(PanelPasses);
  layout->addLayout(row);
  layout->addWidget(PanelMemory);
  auto* counts = new QHBoxLayout;
  counts->addWidget(PanelWarnings);
  counts->addWidget(PanelErrors);
  layout->addLayout(counts);
  layout->addWidget(PageControl, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BtnCancel);
  buttons->addWidget(BtnOK);
  buttons->addStretch();
  layout->addLayout(buttons);

  connect(BtnOK, &QPushButton::clicked, this, [this] { BtnOKClick(); });
  connect(BtnCancel, &QPushButton::clicked, this, [this] { CancelRun(); });
  connect(ListBoxErrors, &QListView::clicked, this, [this] { ListBoxErrorsClick(); });
  ListBoxErrors->installEventFilter(this);

  // Output keeps the window alive as it comes, a quiet child every poll interval.
  FRun->OnOutput = [this](const char*, qsizetype) { PumpEvents(false); };
  FRun->OnWait = [this] { PumpEvents(true); };
  FitTexts(this);
}

TFormAssemble::~TFormAssemble() = default;

void TFormAssemble::ResetPanels(const QString& command) {
  TProject* project = KodrillApp->Project();
  PanelProject->setText(QStringLiteral("Projekt:   ") + project->FileName);
  PanelCommand->setText(QStringLiteral("Command:   ") + command);
  PanelStatus->setText(kStatus + QStringLiteral("Assembling..."));
  PanelTime->setText(QStringLiteral("Zeit:"));
  PanelLines->setText(QStringLiteral("Zeilen:"));
  PanelPasses->setText(QStringLiteral("Durchläufe:"));
  PanelMemory->setText(QStringLiteral("Restspeicher:"));
  PanelWarnings->setText(QStringLiteral("Warnungen:"));
  PanelErrors->setText(QStringLiteral("Fehler:"));
  const QColor text = palette().color(QPalette::WindowText);
  SetTextColor(PanelWarnings, text);
  SetTextColor(PanelErrors, text);
}

void TFormAssemble::Assemble() {
  const auto toFront = [this] {
    show();
    raise();
    activateWindow();
  };
  if (FRunning) return toFront();  // no nested run; the running one stays in front
  TProject* project = KodrillApp->Project();
  try {
    FRun->Prepare(*project);
  } catch (const std::exception& e) {
    // Nothing ran: no dialog with empty panels comes up behind the message.
    ShowErrorBox(isVisible() ? this : parentWidget(), QString::fromUtf8(e.what()));
    return;
  }
  toFront();
  ResetPanels(FRun->Command());
  MemoInfo->horizontalScrollBar()->setValue(0);  // the bar of a flood's long lines would stay drawn
  MemoInfo->clear();
  FInfoTail.clear();
  FInfoTailChars = 0;
  FInfoDropped = 0;
  FRun->Log().Clear();
  project->ClearErrorMarks();

  FRunning = true;
  ++FRunNumber;
  BtnOK->setEnabled(false);
  BtnCancel->show();
  QCoreApplication::processEvents();

  TAssembleRun::TResult result = TAssembleRun::arFinished;
  try {
    result = RunBatchFile();
    ShowSummary();
  } catch (const std::exception& e) {
    ShowFailure(QStringLiteral("Fehler."), QString::fromUtf8(e.what()));
    ShowErrorBox(this, QString::fromUtf8(e.what()));
  }
  // A cancelled run leaves the log of the run before: its marks would point at lines since edited.
  if (result != TAssembleRun::arCancelled) LoadErrorList();
  FRunning = false;
  Platform::ReleaseFreeMemorySoon();  // a flood of output passed through
  BtnCancel->hide();
  BtnOK->setEnabled(true);
  if (!isVisible() || isMinimized()) TellRunStatus(OutcomeText(), false);
  // The keys go to the list when it has entries to go through, else to OK.
  if (FRun->Log().Count() > 0 && PageControl->currentWidget() == TabSheetWarningsErrors) {
    ListBoxErrors->setCurrentIndex(FRun->Log().index(0));
    ListBoxErrors->setFocus();
  } else {
    BtnOK->setFocus();
  }
}

TAssembleRun::TResult TFormAssemble::RunBatchFile() {
  FPumpTimer.start();
  FTextTimer.start();
  const TAssembleRun::TResult result =
      FRun->Execute(KodrillApp->AssemblerPrefs()->AsDirectory, KodrillApp->Project()->Processor);
  FlushOutput(true);
  switch (result) {
    case TAssembleRun::arNoMakeBat:
      ShowFailure(QStringLiteral("make.bat nicht gefunden."), QStringLiteral("Datei nicht gefunden: ") + FRun->Command());
      break;
    case TAssembleRun::arCancelled:
      ShowFailure(QStringLiteral("Abgebrochen."), QStringLiteral("Abgebrochen: der Lauf wurde beendet."));
      break;
    case TAssembleRun::arNotStarted:
      ShowFailure(QStringLiteral("Nicht gestartet."),
                  QStringLiteral("Der Befehlsinterpreter konnte nicht gestartet werden: ") + FRun->Failure());
      break;
    case TAssembleRun::arFinished:
      if (const QString failure = FRun->UncountedFailure(); !failure.isEmpty())
        ShowFailure(failure, failure);
      else
        PanelStatus->setText(kStatus + kFinished);
      break;
  }
  return result;
}

void TFormAssemble::ShowFailure(const QString& status, const QString& message) {
  PanelStatus->setText(kStatus + status);
  MemoInfo->appendPlainText(message);
}

void TFormAssemble::ShowSummary() {
  const TAssembleSummary& summary = FRun->Output().Summary();
  PanelErrors->setText(summary.ErrorsText());
  PanelWarnings->setText(summary.WarningsText());
  if (summary.ErrorsRed) SetTextColor(PanelErrors, QColor(255, 0, 0));
  if (summary.WarningsYellow) SetTextColor(PanelWarnings, WarningColor(PanelWarnings));
}

QString TFormAssemble::OutcomeText() const {
  const QString status = PanelStatus->text().mid(kStatus.size());
  QString text = status == kFinished ? QStringLiteral("Assemblieren beendet.") : QStringLiteral("Assemblieren: ") + status;
  const TAssembleSummary& summary = FRun->Output().Summary();
  QStringList counts;
  if (summary.ErrorsSeen) counts << PanelErrors->text();
  if (summary.WarningsSeen) counts << PanelWarnings->text();
  return counts.isEmpty() ? text : text + u' ' + counts.join(QStringLiteral(", "));
}

void TFormAssemble::TellRunStatus(const QString& text, bool running) {
  FStatusTold = !text.isEmpty();
  if (OnRunStatus) OnRunStatus(text, running);
}

void TFormAssemble::LoadErrorList() {
  FRun->LoadLog();
  FRun->MarkErrors(*KodrillApp->Project());
}

void TFormAssemble::ListBoxErrorsClick() {
  const QModelIndex current = ListBoxErrors->currentIndex();
  if (!current.isValid()) return;
  FMessages->SetRow(current.row());
  ShowMessage(current.row());
}

bool TFormAssemble::HasMessages() const {
  // Those of another project's run lead into files that are no longer open.
  return !FRunning && FRun->Log().Count() > 0 && KodrillApp && FRun->IsFor(*KodrillApp->Project());
}

bool TFormAssemble::StepMessage(bool forward) {
  if (!HasMessages() || !FMessages->Step(forward)) return false;
  const QModelIndex index = FRun->Log().index(int(FMessages->Row()));
  ListBoxErrors->setCurrentIndex(index);
  ListBoxErrors->scrollTo(index);
  ShowMessage(FMessages->Row());
  return true;
}

void TFormAssemble::ShowMessage(qsizetype row) {
  const TLogEntry entry = FRun->Log().Entry(row);
  if (!entry.Valid || !OnShowMessage) return;
  const QString text = QStringLiteral("Meldung %1 von %2: %3")
                           .arg(QString::number(row + 1), QString::number(FRun->Log().Count()),
                                FRun->Log().Text(row).mid(5).trimmed());
  try {
    OnShowMessage(FRun->EntryPath(*KodrillApp->Project(), entry.FileName), entry.Line, entry.Column, text);
  } catch (const std::exception& e) {
    ShowErrorBox(this, QString::fromUtf8(e.what()));
  }
}

void TFormAssemble::MarkErrors(TProjectFile& file) {
  FRun->MarkErrors(*KodrillApp->Project(), &file);
}

void TFormAssemble::FlushOutput(bool all) {
  // The text page is refreshed less often than the panels: a flood then reaches it in large
  // batches of which only the latest lines are laid out.
  const bool refreshText = all || FTextTimer.elapsed() >= kTextRefreshMs;
  const QStringList lines = refreshText ? FRun->Output().TakeLines() : QStringList();
  if (refreshText) FTextTimer.restart();
  if (!lines.isEmpty()) {
    // The page keeps the latest lines of a run. Trimming is done here in one go: trimming by
    // the document itself lays out every line it removes.
    for (const QString& line : lines) FInfoTailChars += line.size() + 1;
    FInfoTail += lines;
    while (FInfoTail.size() > 1 && (FInfoTail.size() > kMaxInfoLines || FInfoTailChars > kMaxInfoChars)) {
      FInfoTailChars -= FInfoTail.takeFirst().size() + 1;
      ++FInfoDropped;
    }
    const qsizetype newChars = lines.size() + std::accumulate(lines.begin(), lines.end(), qsizetype(0),
                                                              [](qsizetype n, const QString& l) { return n + l.size(); });
    const bool refill = MemoInfo->blockCount() + lines.size() > 2 * kMaxInfoLines ||
                        MemoInfo->document()->characterCount() + newChars > 2 * kMaxInfoChars;
    const QScrollBar* bar = MemoInfo->verticalScrollBar();
    const bool following = !MemoInfo->isVisible() || bar->value() >= bar->maximum() - 1;
    if (refill) {
      // Say that the page no longer starts at the run's beginning.
      MemoInfo->setPlainText(QStringLiteral("[%1 frühere Zeilen ausgelassen]\n").arg(FInfoDropped) +
                             FInfoTail.join(u'\n'));
    } else {
      MemoInfo->appendPlainText(lines.join(u'\n'));
    }
    // The caret at the start of the last line: the end in view with the lines' starts (at the end
    // of a long line it would scroll the page sideways). A page the user scrolled up keeps its
    // place, unless it was refilled.
    if (refill || following) MemoInfo->setTextCursor(QTextCursor(MemoInfo->document()->lastBlock()));
  }
  PanelLines->setText(FRun->Output().LinesText());
  PanelPasses->setText(FRun->Output().PassesText());
}

void TFormAssemble::PumpEvents(bool force) {
  // Throttled by time: once per piece of output would slow a flood down to the painting speed.
  if (!force && FPumpTimer.elapsed() < kPumpMs) return;
  FPumpTimer.restart();
  FlushOutput(false);
  QCoreApplication::processEvents();
}

void TFormAssemble::CancelRun() {
  if (FRunning) FRun->Cancel();
}

void TFormAssemble::BtnOKClick() { hide(); }

bool TFormAssemble::eventFilter(QObject* watched, QEvent* event) {
  if (watched != ListBoxErrors) return QDialog::eventFilter(watched, event);
  // Return in the list jumps to the entry's line; OK is the default button only elsewhere.
  if (event->type() == QEvent::FocusIn) BtnOK->setDefault(false);
  if (event->type() == QEvent::FocusOut) BtnOK->setDefault(true);
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ListBoxErrorsClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// Hidden or minimised, the dialog no longer shows a run under way: the status bar tells of it.
void TFormAssemble::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (FRunning) TellRunStatus(QStringLiteral("Es wird assembliert... (\"Ausgabe anzeigen...\" zeigt den Lauf)"), true);
}

void TFormAssemble::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (FStatusTold) TellRunStatus(QString(), false);
}
