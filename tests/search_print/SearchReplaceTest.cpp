#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <deque>
#include <functional>
#include <tuple>

#include "editor/EditControl.h"
#include "search_print/ConfirmReplaceDialog.h"
#include "search_print/SearchLogic.h"
#include "search_print/SearchReplaceDialog.h"
#include "search_print/TextReplaceDialog.h"
#include "search_print/TextSearchDialog.h"

using namespace Qt::StringLiterals;

namespace {
// Answers the dialogs instead of a person: Fill sets the dialog's controls and says whether to
// press OK; the confirm answers are taken in order, and every question is recorded.
class TTestSearchReplace : public TVoSearchReplaceDialog {
 public:
  using TVoSearchReplaceDialog::TVoSearchReplaceDialog;
  std::function<bool(TTextSearchDialog*)> Fill;
  std::deque<int> Answers;
  QStringList Questions;
  QList<QRect> Frames;  // where the question went, its window frame included
  int DialogsShown = 0;

 protected:
  int ShowDialog(TTextSearchDialog* dialog) override {
    ++DialogsShown;
    Fill && Fill(dialog) ? dialog->accept() : dialog->reject();
    return dialog->result();
  }
  int ShowConfirmDialog(TConfirmReplaceDialog* dialog) override {
    Questions << dialog->Question();
    dialog->show();
    Frames << dialog->frameGeometry();
    dialog->hide();
    if (Answers.empty()) return crCancel;
    const int answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
};

using TOptions = std::function<void(TTextSearchDialog*)>;

class SearchReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Editor.resize(500, 300);
    Component.SetEditControl(&Editor);
  }
  void SetText(const QStringList& text, int caretLine = 1) {
    Editor.Lines().Clear();
    for (const QString& line : text) Editor.Lines().Add(line.toStdString());
    Editor.SetCaretXY(1, caretLine);
  }
  QString Line(int index) const { return Editor.Lines().Text(index); }
  // Runs a search (or, with a replacement, a replace) pressing OK after entering the texts.
  void Run(const QString& search, const TOptions& options = {}, const QString& replace = QString()) {
    Component.Fill = [=](TTextSearchDialog* dialog) {
      dialog->SetSearchText(search);
      if (auto* replaceDialog = qobject_cast<TTextReplaceDialog*>(dialog)) replaceDialog->SetReplaceText(replace);
      if (options) options(dialog);
      return true;
    };
    replace.isNull() ? Component.Search() : Component.Replace();
  }

  TEditControl Editor;
  TTestSearchReplace Component;
};
}  // namespace

TEST(SearchDialogs, ConfirmButtonsAnswer) {
  TConfirmReplaceDialog confirm;
  confirm.SetQuestion("<b>x</b>");  // shown as typed, not as markup
  EXPECT_EQ(confirm.findChild<QLabel*>("lblConfirmation")->textFormat(), Qt::PlainText);
  for (const auto& [name, result] : {std::pair{"btnReplace", crYes}, {"btnSkip", crNo}, {"btnCancel", crCancel},
                                     {"btnReplaceAll", crYesToAll}}) {
    confirm.setResult(-1);
    confirm.findChild<QPushButton*>(name)->click();
    EXPECT_EQ(confirm.result(), result) << name;
  }
}

TEST(SearchDialogs, EveryQuestionStartsOnJaWhateverTheLastAnswer) {
  // The dialog is reused: "Ja, alle" clicked last time must not be what Return presses now.
  TConfirmReplaceDialog confirm;
  const auto ask = [&confirm] {
    confirm.open();
    confirm.activateWindow();
    return QTest::qWaitForWindowActive(&confirm);
  };
  for (const auto& [key, modifiers, result] : {std::tuple{Qt::Key_Return, Qt::NoModifier, crYes},
                                               {Qt::Key_J, Qt::AltModifier, crYes},
                                               {Qt::Key_N, Qt::AltModifier, crNo},
                                               {Qt::Key_A, Qt::AltModifier, crYesToAll},
                                               {Qt::Key_Escape, Qt::NoModifier, crCancel}}) {
    ASSERT_TRUE(ask());
    QTest::mouseClick(confirm.findChild<QPushButton*>("btnReplaceAll"), Qt::LeftButton);
    ASSERT_EQ(confirm.result(), crYesToAll);
    ASSERT_TRUE(ask());
    EXPECT_EQ(QApplication::focusWidget(), confirm.findChild<QPushButton*>("btnReplace"));
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !confirm.isVisible(); })) << key;  // a mnemonic clicks a bit later
    EXPECT_EQ(confirm.result(), result) << key;
  }
}

// Ctrl+F, type, Return: whatever had the focus when a dialog closed last, the next opening starts
// in the search text with all of it selected, so typing replaces it and a blank changes no option.
TEST(SearchDialogs, EachOpeningStartsInTheSearchTextReadyToBeTypedOver) {
  TTextSearchDialog search;
  TTextReplaceDialog replace;
  for (TTextSearchDialog* dialog : {&search, static_cast<TTextSearchDialog*>(&replace)}) {
    auto* box = dialog->findChild<QComboBox*>("cbSearchText");
    auto* option = dialog->findChild<QCheckBox*>("cbSearchCaseSensitive");
    dialog->SetSearchText(u"DEX"_s);
    dialog->open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    option->setFocus();
    dialog->reject();
    dialog->open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    QTest::keyClicks(QApplication::focusWidget(), u"LDAA #"_s);
    EXPECT_EQ(dialog->SearchText(), u"LDAA #"_s) << dialog->objectName().toStdString();
    EXPECT_FALSE(option->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), box);
    dialog->reject();
  }
}

TEST_F(SearchReplaceTest, FirstSearchCoversTheTextLaterOnesStartAtTheCaret) {
  TTestSearchReplace idle;  // no editor: nothing
  idle.Search();
  idle.Replace();
  EXPECT_EQ(idle.DialogsShown, 0);
  SetText({"nop abc", "abc abc"}, 2);
  Component.SearchAgain();  // before any search: nothing
  EXPECT_FALSE(Editor.HasSelection());
  QList<bool> fromCursor;
  const TOptions record = [&](TTextSearchDialog* d) { fromCursor << d->SearchFromCursor(); };
  Run("abc", record);
  EXPECT_EQ(Editor.SelectionStart(), QPoint(5, 1));  // from the top, not from the caret
  Run("abc", record);
  EXPECT_EQ(Editor.SelectionStart(), QPoint(1, 2));
  Component.SearchAgain();
  EXPECT_EQ(Editor.SelectionStart(), QPoint(5, 2));
  EXPECT_EQ(fromCursor, (QList<bool>{false, true}));
}

TEST_F(SearchReplaceTest, HistoriesIgnoreLetterCaseAndCancelKeepsEverything) {
  SetText({"abc ABC xyz"});
  for (const char* text : {"abc", "xyz", "ABC"}) Run(text, [](TTextSearchDialog* d) { d->SetSearchWholeWords(true); });
  Component.Fill = [](TTextSearchDialog* d) {
    d->SetSearchText("zzz");
    d->SetSearchWholeWords(false);
    return false;
  };
  Component.Search();
  Component.Replace();
  EXPECT_EQ(Component.SearchText(), "ABC");
  EXPECT_TRUE(Component.SearchWholeWords());
  EXPECT_EQ(Component.SearchDialog()->SearchHistory(), QStringList({"ABC", "xyz"}));
  // Typing the start of an entry searches for what was typed, not for the entry.
  Component.Fill = [](TTextSearchDialog* d) {
    d->SetSearchText(QString());
    d->show();  // completion works in an active window only
    d->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(d));
    QLineEdit* edit = d->findChild<QComboBox*>("cbSearchText")->lineEdit();
    edit->setFocus();
    QTest::keyClicks(edit, "x");
    return true;
  };
  Component.Search();
  EXPECT_EQ(Component.SearchText(), "x");
  Run("q", {}, "Neu");
  Run("Q", {}, "neu");
  EXPECT_EQ(Component.ReplaceDialog()->SearchHistory(), QStringList{"Q"});
  EXPECT_EQ(Component.ReplaceDialog()->ReplaceHistory(), QStringList{"neu"});
  EXPECT_EQ(Component.SearchDialog()->SearchHistory(), QStringList({"x", "ABC", "xyz"}));
}

TEST_F(SearchReplaceTest, ReplaceAsksBeforeEachRealChange) {
  // Text, search, replacement, match case, answers; the text after and the questions asked.
  // Cancel keeps what was replaced, "Ja, alle" asks no more; replacing a text by itself asks
  // nothing, unless without match case the occurrence differs in letter case.
  using TAnswers = std::deque<int>;
  for (const auto& [text, search, replace, matchCase, answers, after, asked] :
       {std::tuple{"a a a a", "a", "bb", false, TAnswers{crYes, crNo, crCancel}, "bb a a a", 3},
        {"a a a a", "a", "bb", false, TAnswers{crNo, crYesToAll}, "a bb bb bb", 2},
        {"abc abc", "abc", "abc", true, TAnswers{crYes, crYes}, "abc abc", 0},
        {"ABC abc", "abc", "abc", false, TAnswers{crYes, crYes}, "abc abc", 1}}) {
    SetText({text});
    Component.Questions.clear();
    Component.Answers = answers;
    Run(search, [matchCase = matchCase](TTextSearchDialog* d) {
      d->SetSearchCaseSensitive(matchCase);
      d->SetSearchFromCursor(false);
    }, replace);
    EXPECT_EQ(Line(0), after);
    EXPECT_EQ(Component.Questions.size(), asked) << text;
  }
  EXPECT_EQ(Component.Questions.value(0), "Dieses Vorkommen von \"abc\" durch \"abc\" ersetzen?");
  // "Weitersuchen" after a replace only searches: on from the cancelled occurrence.
  SetText({"x x x"});
  Component.Answers = {crYes, crCancel};
  Run("x", [](TTextSearchDialog* d) { d->SetSearchFromCursor(false); }, "y");
  Component.SearchAgain();
  EXPECT_EQ(Line(0), "y x x");
  EXPECT_EQ(Editor.SelectionStart(), QPoint(5, 1));
}

TEST_F(SearchReplaceTest, QuestionFrameStaysClearOfTheOccurrence) {
  Editor.show();
  const int low = Editor.TopLine() + Editor.LinesInWindow() - 1;
  QStringList text(40, "line");
  text[1] = text[low - 1] = "  xx";
  // In the lower third of the editor 4 pixels above the line, frame and all, before the
  // frame is known and after; elsewhere 4 pixels below it.
  for (const int caretLine : {low - 1, low - 1, 1}) {
    SetText(text, caretLine);
    Run("xx", [](TTextSearchDialog* d) { d->SetSearchFromCursor(true); }, "yy");
  }
  const auto at = [&](int line) { return Editor.viewport()->mapToGlobal(Editor.PositionToPixels(QPoint(3, line))); };
  ASSERT_EQ(Component.Frames.size(), 3);
  EXPECT_EQ(Component.Frames[0].bottomLeft(), at(low) - QPoint(0, 5));
  EXPECT_EQ(Component.Frames[1].bottomLeft(), at(low) - QPoint(0, 5));
  EXPECT_EQ(Component.Frames[2].topLeft(), at(2) + QPoint(0, Editor.LineHeight() + 4));
}
