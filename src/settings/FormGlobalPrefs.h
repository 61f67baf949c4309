#pragma once
// "Globale Einstellungen": highlighter colours and styles with a live sample, the editor font,
// the assembler installation, default processor and number format, and two directories.
#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TColorCombo;
class TEditControl;
class TFormRadioGroup;
class TProcessorCombo;
class THighlighterAttributes;
class TVoMAssemSyn;

class TFormGlobalPrefs : public QDialog {
  Q_OBJECT

 public:
  explicit TFormGlobalPrefs(QWidget* parent = nullptr);
  ~TFormGlobalPrefs() override;

  TVoMAssemSyn* SampleHighlighter() const { return FSampleSyn.get(); }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormShow();
  void ComboBoxAttribChange();
  void TestEditorClick();
  void StyleCheckBoxClick(QCheckBox* box, unsigned char flag);
  void ColorComboTextChange();
  void ColorComboBackChange();
  void BtnFontClick();
  void AssemblePathEditBrowse();
  void AssemblePathEditAfterDialog(const QString& directory);
  void BtnOKClick();
  void ShowFontOnLabel();
  void LoadSample();  // the fixed sample text, caret at its start
  void FitSample();
  void SetLabelColors(const QColor* text, const QColor* back);

  std::unique_ptr<TVoMAssemSyn> FSampleSyn;
  THighlighterAttributes* CurrentAttr = nullptr;

  QTabWidget* PageControl;
  QPushButton* BtnFont;
  QLabel* LabelTestText;
  QComboBox* ComboBoxAttrib;
  QCheckBox* CheckBoxBold;
  QCheckBox* CheckBoxItalic;
  QCheckBox* CheckBoxUnderline;
  QCheckBox* CheckBoxStrikeOut;
  QCheckBox* CheckBoxExtendedTables;
  TColorCombo* ColorComboText;
  TColorCombo* ColorComboBack;
  TEditControl* TestEditor;
  QLineEdit* AssemblePathEdit;
  QLabel* Label1;
  TProcessorCombo* ComboBoxCPU;
  TFormRadioGroup* RdGrNumberFormat;
  QLabel* LabelWWWas;
  QLineEdit* DefaultDirectoryEdit;
  QLineEdit* KodrillDirectoryEdit;
  QCheckBox* CheckBoxLineNumbers;
  QPushButton* BtnOK;
  QPushButton* BtnCancel;
};

extern TFormGlobalPrefs* FormGlobalPrefs;
