#pragma once
// The assemble dialog: shows a run of the project's make.bat live (output, pass, line count),
// then the summary counts and the error log, whose entries lead to the reported lines.
#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>

#include <functional>
#include <memory>

#include "assemble/AssembleRun.h"

class QLabel;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;
class TMessageCursor;
class TProjectFile;

class TFormAssemble : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAssemble(QWidget* parent = nullptr);
  ~TFormAssemble() override;

  // One complete run for the current project; ignored while a run is under way.
  void Assemble();
  bool IsRunning() const { return FRunning; }
  // Counts the runs: marks recorded in one run do not apply to another.
  int RunNumber() const { return FRunNumber; }
  // Ends a run under way together with its child; what arrived is still analysed. Closing the
  // dialog only hides it: the run goes on.
  void CancelRun();

  // The last run's messages, outside a run.
  bool HasMessages() const;
  // Shows the next (previous) message with a source position from the one chosen last; the
  // list's current row follows. False at the end.
  bool StepMessage(bool forward);
  // Sets the last run's marks in a file opened after the run.
  void MarkErrors(TProjectFile& file);
  // Shows a message's source line (set by the main window): the entry's file as a full path,
  // the line and byte column (0: none) the assembler reported, and the text for the status bar.
  std::function<void(const QString& path, int line, int column, const QString& text)> OnShowMessage;
  // A run the dialog does not show, for the main window's status bar: a text that lasts while it
  // goes on (Running), its outcome when it ends, "" once the dialog shows it again.
  std::function<void(const QString& text, bool running)> OnRunStatus;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BtnOKClick();
  void ListBoxErrorsClick();
  void ShowMessage(qsizetype row);
  void ResetPanels(const QString& command);
  TAssembleRun::TResult RunBatchFile();
  void ShowFailure(const QString& status, const QString& message);
  void ShowSummary();
  QString OutcomeText() const;
  void TellRunStatus(const QString& text, bool running);
  void LoadErrorList();
  void PumpEvents(bool force);
  void FlushOutput(bool all);

  std::unique_ptr<TAssembleRun> FRun;
  std::unique_ptr<TMessageCursor> FMessages;
  QLabel* PanelProject = nullptr;
  QLabel* PanelCommand = nullptr;
  QLabel* PanelStatus = nullptr;
  QLabel* PanelTime = nullptr;
  QLabel* PanelLines = nullptr;
  QLabel* PanelPasses = nullptr;
  QLabel* PanelMemory = nullptr;
  QLabel* PanelWarnings = nullptr;
  QLabel* PanelErrors = nullptr;
  QTabWidget* PageControl = nullptr;
  QWidget* TabSheetInfo = nullptr;
  QWidget* TabSheetWarningsErrors = nullptr;
  QPlainTextEdit* MemoInfo = nullptr;
  QListView* ListBoxErrors = nullptr;
  QPushButton* BtnOK = nullptr;
  QPushButton* BtnCancel = nullptr;  // shown during a run only
  QStringList FInfoTail;  // the latest output lines, as the Info page shows them
  qsizetype FInfoTailChars = 0;
  qsizetype FInfoDropped = 0;  // lines of the run no longer on the page
  QElapsedTimer FPumpTimer;
  QElapsedTimer FTextTimer;
  bool FRunning = false;
  int FRunNumber = 0;
  bool FStatusTold = false;  // the status bar holds a text of this dialog's
};

// The one assemble dialog (set by the program when it creates the form).
extern TFormAssemble* FormAssemble;
