#pragma once
// TFormPrintPreview: the print preview window. Lays a copied text out in pages with line numbers
// and highlighting (TEditPrint), shows them (TEditPrintPreview), zooms and prints.
#include <QFont>
#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

class QComboBox;
class QPrintDialog;
class QPrinter;
class QToolBar;
class QToolButton;
class TEditLines;
class TEditPrint;
class TEditPrintPreview;
class TVoMAssemSyn;

class TFormPrintPreview : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFormPrintPreview(QWidget* parent = nullptr);
  ~TFormPrintPreview() override;

  // Copies the lines, lays them out again and shows the window in front (non-modal).
  void ShowPreview(const TEditLines& lines, const QString& jobTitle);

  TEditPrint* EditPrint() const { return FEditPrint.get(); }
  TEditPrintPreview* EditPrintPreview() const { return FEditPrintPreview; }
  TVoMAssemSyn* PrintAsmSyntax() const { return FPrintAsmSyntax.get(); }
  QPrinter* Printer() const { return FPrinter.get(); }
  // The print font (the font dialog's font).
  const QFont& PrintFont() const { return FPrintFont; }

  void ToolbarButtonPrintClick();
  void ToolbarButtonSettingsClick();
  void ToolbarButtonFontClick();
  void ToolbarButtonZoomPClick();
  void ToolbarButtonZoomMClick();

  // Runs the print dialog; tests answer instead of a person.
  std::function<int(QPrintDialog&)> ExecPrintDialog;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate();
  void ComboBoxZoomActivated(int index);
  void ComboBoxZoomEdited();
  void ShowZoom();
  void FitZoomBox();

  std::unique_ptr<TVoMAssemSyn> FPrintAsmSyntax;
  std::unique_ptr<TEditPrint> FEditPrint;
  std::unique_ptr<QPrinter> FPrinter;
  QFont FPrintFont;
  QToolBar* FToolbarPreview = nullptr;
  QComboBox* FComboBoxZoom = nullptr;
  TEditPrintPreview* FEditPrintPreview = nullptr;
};

extern TFormPrintPreview* FormPrintPreview;
