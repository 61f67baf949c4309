// Every label, check box, radio button, group title and push button of every window has room
// for its text with the default fonts, at scale factor 1 and, in a second run, 1.25.
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabWidget>

#include "SettingsUiFixture.h"
#include "app/FormAbout.h"
#include "assemble/FormAssemble.h"
#include "search_print/ConfirmReplaceDialog.h"
#include "search_print/FormPrintPreview.h"
#include "search_print/SearchLogic.h"
#include "search_print/TextReplaceDialog.h"
#include "settings/FormGlobalPrefs.h"
#include "settings/FormNewAgent.h"
#include "settings/FormProjectPrefs.h"

namespace {

// Width the text takes and the width the widget gives it; {0, 0} for widgets without text.
std::pair<int, int> TextAndRoom(QWidget* w) {
  QStyleOptionButton button;
  button.initFrom(w);
  const QFontMetrics& fm = w->fontMetrics();
  const auto text = [&](const QString& s) { return fm.size(Qt::TextShowMnemonic, s).width(); };
  if (auto* label = qobject_cast<QLabel*>(w))
    return label->wordWrap() ? std::pair{0, 0} : std::pair{text(label->text()), label->contentsRect().width()};
  if (auto* box = qobject_cast<QCheckBox*>(w))
    return {text(box->text()), w->style()->subElementRect(QStyle::SE_CheckBoxContents, &button, w).width()};
  if (auto* radio = qobject_cast<QRadioButton*>(w))
    return {text(radio->text()), w->style()->subElementRect(QStyle::SE_RadioButtonContents, &button, w).width()};
  if (auto* push = qobject_cast<QPushButton*>(w)) {
    const int icon = push->icon().isNull() ? 0 : push->iconSize().width() + 4;
    return {text(push->text()) + icon, w->style()->subElementRect(QStyle::SE_PushButtonContents, &button, w).width()};
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

void ExpectTextsFit(QWidget* window) {
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window)) continue;
    const auto [text, room] = TextAndRoom(w);
    const std::string name = (window->objectName() + "/" + w->objectName()).toStdString();
    EXPECT_LE(text, room) << name;
    if (text == 0) continue;
    // Nor may the parent or the window cut it off.
    EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << name;
    EXPECT_TRUE(window->rect().contains(QRect(w->mapTo(window, QPoint()), w->size()))) << name;
  }
}

// Each page of the tab and page controls in turn.
void ExpectTextsFitOnEveryPage(QWidget* window) {
  window->show();
  ExpectTextsFit(window);
  for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setCurrentIndex(i);
      ExpectTextsFit(window);
    }
  for (QStackedWidget* pages : window->findChildren<QStackedWidget*>())
    for (int i = 0; i < pages->count(); ++i) {
      pages->setCurrentIndex(i);
      ExpectTextsFit(window);
    }
  window->hide();
}

using DialogTextsTest = SettingsUiTest;

TEST_F(DialogTextsTest, EveryTextHasRoomAtBothScaleFactors) {
  auto confirm = std::make_unique<TConfirmReplaceDialog>();
  confirm->SetQuestion(ReplaceQuestion("abc", "xyz"));
  std::vector<std::unique_ptr<QWidget>> windows;
  windows.push_back(std::move(confirm));
  windows.push_back(std::make_unique<TTextSearchDialog>());
  windows.push_back(std::make_unique<TTextReplaceDialog>());
  windows.push_back(std::make_unique<TFormGlobalPrefs>());
  windows.push_back(std::make_unique<TFormProjectPrefs>());
  windows.push_back(std::make_unique<TFormNewAgent>());
  windows.push_back(std::make_unique<TFormPrintPreview>());
  windows.push_back(std::make_unique<TFormAssemble>());
  windows.push_back(std::make_unique<TFormAbout>());
  for (const auto& window : windows) ExpectTextsFitOnEveryPage(window.get());

  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) return;
  QProcess scaled;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_SCALE_FACTOR", "1.25");
  scaled.setProcessEnvironment(environment);
  scaled.setProcessChannelMode(QProcess::MergedChannels);
  scaled.start(QCoreApplication::applicationFilePath(),
               {"--gtest_filter=DialogTextsTest.EveryTextHasRoomAtBothScaleFactors"});
  ASSERT_TRUE(scaled.waitForFinished(120000));
  EXPECT_EQ(scaled.exitCode(), 0) << scaled.readAll().toStdString();
}

}  // namespace
