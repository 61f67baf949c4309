#include "search_print/FormPrintPreview.h"

#include <QComboBox>
#include <QPrinter>

#include "highlight/AssemSyn.h"
#include "search_print/EditPrint.h"
#include "search_print/EditPrintPreview.h"

TFormPrintPreview* FormPrintPreview = nullptr;

TFormPrintPreview::TFormPrintPreview(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FormPrintPreview"));
  setWindowTitle(QStringLiteral("Print Prewiew"));
}
TFormPrintPreview::~TFormPrintPreview() = default;

void TFormPrintPreview::ShowPreview(const TEditLines&, const QString&) { show(); }
void TFormPrintPreview::ToolbarButtonPrintClick() {}
void TFormPrintPreview::ToolbarButtonSettingsClick() {}
void TFormPrintPreview::ToolbarButtonFontClick() {}
void TFormPrintPreview::ToolbarButtonZoomPClick() {}
void TFormPrintPreview::ToolbarButtonZoomMClick() {}
void TFormPrintPreview::showEvent(QShowEvent* event) { QMainWindow::showEvent(event); }
void TFormPrintPreview::FormCreate() {}
void TFormPrintPreview::ComboBoxZoomActivated(int) {}
void TFormPrintPreview::ComboBoxZoomEdited() {}
void TFormPrintPreview::ShowZoom() {}
