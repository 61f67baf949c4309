#include "settings/FormProjectPrefs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/ui/FitTexts.h"
#include "settings/FormPrefsLogic.h"
#include "settings/FormRadioGroup.h"
#include "settings/ProcessorCombo.h"
#include "settings/KodrillApp.h"
#include "platform/ui/ButtonRow.h"

TFormProjectPrefs* FormProjectPrefs = nullptr;

TFormProjectPrefs::TFormProjectPrefs(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormProjectPrefs"));
  setWindowTitle(QStringLiteral("Projekt Einstellungen"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(440, 295);

  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));

  auto* projectPage = new QWidget;
  projectPage->setObjectName(QStringLiteral("TabSheetProject"));
  auto* labelCPU = new QLabel(QStringLiteral("CPU:"), projectPage);
  labelCPU->setObjectName(QStringLiteral("LabelCPU"));
  ComboBoxCPU = new TProcessorCombo(projectPage);
  RdGrNumberFormat = new TFormRadioGroup(QStringLiteral("Zahlenformat"), NumberFormatCaptions(), projectPage);
  RdGrNumberFormat->setObjectName(QStringLiteral("RdGrNumberFormat"));
  auto* projectLayout = new QGridLayout(projectPage);
  projectLayout->addWidget(labelCPU, 0, 0);
  projectLayout->addWidget(ComboBoxCPU, 0, 1, Qt::AlignLeft);
  projectLayout->addWidget(RdGrNumberFormat, 1, 0, 1, 2);
  projectLayout->setRowStretch(2, 1);
  projectLayout->setColumnStretch(1, 1);
  PageControl->addTab(projectPage, QStringLiteral("Assembler"));

  auto* filesPage = new QWidget;
  filesPage->setObjectName(QStringLiteral("TabSheetGlobal"));
  ListBoxFiles = new QListWidget(filesPage);
  ListBoxFiles->setObjectName(QStringLiteral("ListBoxFiles"));
  auto* filesLayout = new QVBoxLayout(filesPage);
  filesLayout->addWidget(ListBoxFiles);
  PageControl->addTab(filesPage, QStringLiteral("Dateien"));
  // The files are shown the first time; afterwards the page last shown stays.
  PageControl->setCurrentWidget(filesPage);

  BitBtnOK = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
  BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
  BitBtnCancel =
      new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Abbrechen"), this);
  BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
  QHBoxLayout* buttons = OkCancelRow(BitBtnOK, BitBtnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl, 1);
  layout->addLayout(buttons);

  connect(BitBtnOK, &QPushButton::clicked, this, [this] {
    BitBtnOKClick();
    accept();
  });
  connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
  FitTexts(this);
}

void TFormProjectPrefs::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TFormProjectPrefs::FormShow() {
  const TProject* project = KodrillApp->Project();
  ListBoxFiles->clear();
  for (const TProjectFile* file : project->Files) ListBoxFiles->addItem(file->Directory + file->File);
  ComboBoxCPU->SetProcessor(project->Processor);
  RdGrNumberFormat->SetItemIndex(NumberFormatIndex(project->NumberFormat));
}

void TFormProjectPrefs::BitBtnOKClick() {
  TProject* project = KodrillApp->Project();
  project->Processor = ComboBoxCPU->currentText();
  const QString numberFormat = NumberFormatWordAt(RdGrNumberFormat->ItemIndex());
  if (!numberFormat.isEmpty()) project->NumberFormat = numberFormat;
}
