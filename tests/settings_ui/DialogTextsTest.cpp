// Every label, check box, radio button, combo box entry, group title and push button of every
// window has room for its text with the default fonts, at scale factor 1 and, in a second run, 1.25.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTabWidget>
#include <QToolBar>

#include "SettingsUiFixture.h"
#include "app/FormAbout.h"
#include "assemble/FormAssemble.h"
#include "search_print/ConfirmReplaceDialog.h"
#include "search_print/FormPrintPreview.h"
#include "search_print/TextReplaceDialog.h"
#include "settings/FormGlobalPrefs.h"
#include "settings/FormNewAgent.h"
#include "settings/FormProjectPrefs.h"

namespace {

// Width the text takes and the width the style gives it; {0, 0} for widgets without text.
std::pair<int, int> TextAndRoom(QWidget* w) {
  QStyleOptionButton button;
  button.initFrom(w);
  const auto width = [w](const QString& s) { return w->fontMetrics().size(Qt::TextShowMnemonic, s).width(); };
  const auto room = [&](QStyle::SubElement e) { return w->style()->subElementRect(e, &button, w).width(); };
  if (auto* label = qobject_cast<QLabel*>(w))
    return label->wordWrap() ? std::pair{0, 0} : std::pair{width(label->text()), label->contentsRect().width()};
  if (auto* box = qobject_cast<QCheckBox*>(w)) return {width(box->text()), room(QStyle::SE_CheckBoxContents)};
  if (auto* radio = qobject_cast<QRadioButton*>(w)) return {width(radio->text()), room(QStyle::SE_RadioButtonContents)};
  if (auto* push = qobject_cast<QPushButton*>(w))
    return {width(push->text()) + (push->icon().isNull() ? 0 : push->iconSize().width() + 4),
            room(QStyle::SE_PushButtonContents)};
  if (auto* combo = qobject_cast<QComboBox*>(w)) {  // each entry shows in full once chosen
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i) widest = std::max(widest, width(combo->itemText(i)));
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    return {widest, w->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, w).width()};
  }
  if (auto* group = qobject_cast<QGroupBox*>(w)) {
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect title = w->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, w);
    return {title.x() + title.width(), group->width()};
  }
  return {0, 0};
}

void ExpectTextsFitNow(QWidget* window) {
  for (QWidget* w : window->findChildren<QWidget*>()) {
    const auto [text, room] = TextAndRoom(w);
    if (text == 0 || !w->isVisibleTo(window)) continue;
    const std::string name = (window->objectName() + "/" + w->objectName()).toStdString();
    EXPECT_LE(text, room) << name;
    // Nor may the parent or the window cut it off.
    EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << name;
    EXPECT_TRUE(window->rect().contains(QRect(w->mapTo(window, QPoint()), w->size()))) << name;
  }
  for (QToolBar* bar : window->findChildren<QToolBar*>())  // nothing behind the overflow button
    for (QAction* tool : bar->actions())
      EXPECT_TRUE(bar->widgetForAction(tool)->isVisibleTo(window)) << window->objectName().toStdString();
}

TEST_F(SettingsUiTest, EveryDialogTextHasRoomAtBothScaleFactors) {
  std::unique_ptr<QWidget> windows[] = {
      std::make_unique<TTextSearchDialog>(), std::make_unique<TTextReplaceDialog>(),
      std::make_unique<TConfirmReplaceDialog>(), std::make_unique<TFormGlobalPrefs>(),
      std::make_unique<TFormProjectPrefs>(), std::make_unique<TFormNewAgent>(),
      std::make_unique<TFormPrintPreview>(), std::make_unique<TFormAssemble>(),
      std::make_unique<TFormAbout>()};
  for (const auto& window : windows) {
    window->show();
    ExpectTextsFitNow(window.get());
    // Each page of the tab and page controls in turn.
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
      for (int i = 0; i < tabs->count(); ++i, ExpectTextsFitNow(window.get())) tabs->setCurrentIndex(i);
    for (QStackedWidget* pages : window->findChildren<QStackedWidget*>())
      for (int i = 0; i < pages->count(); ++i, ExpectTextsFitNow(window.get())) pages->setCurrentIndex(i);
  }
  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) return;
  QProcess scaled;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_SCALE_FACTOR", "1.25");
  scaled.setProcessEnvironment(environment);
  scaled.setProcessChannelMode(QProcess::MergedChannels);
  scaled.start(QCoreApplication::applicationFilePath(),
               {"--gtest_filter=SettingsUiTest.EveryDialogTextHasRoomAtBothScaleFactors"});
  ASSERT_TRUE(scaled.waitForFinished(120000));
  EXPECT_EQ(scaled.exitCode(), 0) << scaled.readAll().toStdString();
}

}  // namespace
