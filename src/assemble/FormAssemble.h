#pragma once
// The assemble dialog: writes the option file, runs the project's make.bat, shows the output
// live, reads the summary and the error log, and marks the reported lines.
#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>

#include <memory>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;
class TRunProcess;
class TAssembleOutput;

class TFormAssemble : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAssemble(QWidget* parent = nullptr);
  ~TFormAssemble() override;

  // One complete run for the current project; ignored while a run is under way.
  void Assemble();
  bool IsRunning() const { return FRunning; }
  // Ends a run under way together with its child; what arrived is still analysed.
  void CancelRun();

  TRunProcess* RunProcess() const { return FRunProcess.get(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BtnOKClick();
  void ListBoxErrorsClick();
  void RunProcessRedirectChar(char ch);
  bool RunProcessTaskSwitch();
  void ResetPanels(const QString& command);
  void RunBatchFile(const QString& command);
  void ShowFailure(const QString& status, const QString& message);
  void ShowSummary();
  void LoadErrorList(const QString& logFile);
  void PumpEvents(bool force);
  void FlushOutput(bool all);

  std::unique_ptr<TRunProcess> FRunProcess;
  std::unique_ptr<TAssembleOutput> FOutput;
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
  QListWidget* ListBoxErrors = nullptr;
  QPushButton* BtnOK = nullptr;
  QPushButton* BtnCancel = nullptr;  // shown during a run only
  QStringList FInfoTail;  // the latest output lines, as the Info page shows them
  qsizetype FInfoTailChars = 0;
  QElapsedTimer FPumpTimer;
  QElapsedTimer FTextTimer;
  unsigned FByteCount = 0;
  bool FRunning = false;
  bool FCancelled = false;
  QString FRunFailure;
};

// The one assemble dialog (set by the program when it creates the form).
extern TFormAssemble* FormAssemble;
