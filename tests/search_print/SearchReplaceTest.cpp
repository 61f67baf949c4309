#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <deque>
#include <functional>

#include "editor/EditControl.h"
#include "search_print/ConfirmReplaceDialog.h"
#include "search_print/SearchLogic.h"
#include "search_print/SearchReplaceDialog.h"
#include "search_print/TextReplaceDialog.h"
#include "search_print/TextSearchDialog.h"

namespace {
// Answers the dialogs instead of a person: Fill sets the dialog's controls and says whether to
// press OK; the confirm answers are taken in order, and every question is recorded.
class TTestSearchReplace : public TVoSearchReplaceDialog {
 public:
  using TVoSearchReplaceDialog::TVoSearchReplaceDialog;

  std::function<bool(TTextSearchDialog*)> Fill;
  std::deque<int> Answers;
  QStringList Questions;
  QList<QPoint> Positions;
  int DialogsShown = 0;

 protected:
  int ShowDialog(TTextSearchDialog* dialog) override {
    ++DialogsShown;
    if (Fill && Fill(dialog)) {
      dialog->accept();
    } else {
      dialog->reject();
    }
    return dialog->result();
  }
  int ShowConfirmDialog(TConfirmReplaceDialog* dialog) override {
    Questions << dialog->Question();
    Positions << dialog->pos();
    if (Answers.empty()) return crCancel;
    const int answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
};

class SearchReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Editor.resize(500, 300);
    Editor.move(100, 100);
    Component.SetEditControl(&Editor);
  }

  void SetText(const QStringList& text) {
    Editor.Lines().Clear();
    for (const QString& line : text) Editor.Lines().Add(line.toStdString());
    Editor.SetCaretXY(1, 1);
  }
  QString Line(int index) const { return Editor.Lines().Text(index); }

  // Presses OK in the next dialog after entering the texts.
  void Enter(const QString& search, std::function<void(TTextSearchDialog*)> options = {},
             const QString& replace = QString()) {
    Component.Fill = [=](TTextSearchDialog* dialog) {
      dialog->SetSearchText(search);
      if (auto* replaceDialog = qobject_cast<TTextReplaceDialog*>(dialog)) replaceDialog->SetReplaceText(replace);
      if (options) options(dialog);
      return true;
    };
  }

  TEditControl Editor;
  TTestSearchReplace Component;
};
}  // namespace

TEST(SearchDialogs, ControlsFitTheFixedSizeAndAnswer) {
  TTextSearchDialog search;
  TTextReplaceDialog replace;
  EXPECT_EQ(search.size(), QSize(332, 180));
  EXPECT_EQ(replace.size(), QSize(332, 210));
  for (QDialog* dialog : {static_cast<QDialog*>(&search), static_cast<QDialog*>(&replace)}) {
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      EXPECT_TRUE(dialog->rect().contains(child->geometry())) << child->objectName().toStdString();
  }
  for (const char* name : {"Label1", "cbSearchText", "gbSearchOptions", "cbSearchCaseSensitive", "cbSearchWholeWords",
                           "cbSearchFromCursor", "cbSearchSelectedOnly", "rgSearchDirection", "btnOK", "btnCancel"})
    EXPECT_TRUE(replace.findChild<QWidget*>(QLatin1String(name))) << name;
  EXPECT_TRUE(replace.findChild<QComboBox*>(QStringLiteral("cbReplaceText"))->isEditable());
  EXPECT_GT(replace.findChild<QWidget*>(QStringLiteral("gbSearchOptions"))->y(),
            replace.findChild<QWidget*>(QStringLiteral("cbReplaceText"))->geometry().bottom());

  const auto radios = search.findChild<QGroupBox*>(QStringLiteral("rgSearchDirection"))->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 2);
  EXPECT_EQ(radios[1]->text(), QStringLiteral("Rück&wärts"));
  radios[1]->setChecked(true);
  EXPECT_TRUE(search.SearchBackwards());

  TConfirmReplaceDialog confirm;
  EXPECT_EQ(confirm.size(), QSize(328, 98));
  confirm.SetQuestion(QStringLiteral("<b>x</b>"));  // shown as typed, not as markup
  EXPECT_EQ(confirm.findChild<QLabel*>(QStringLiteral("lblConfirmation"))->textFormat(), Qt::PlainText);
  const QStringList names{"btnReplace", "btnSkip", "btnCancel", "btnReplaceAll"};
  const QList<int> results{crYes, crNo, crCancel, crYesToAll};
  for (int i = 0; i < 4; ++i) {
    confirm.setResult(-1);
    confirm.findChild<QPushButton*>(names[i])->click();
    EXPECT_EQ(confirm.result(), results[i]) << names[i].toStdString();
  }
}

TEST_F(SearchReplaceTest, NothingWithoutAnEditorOrBeforeTheFirstSearch) {
  TTestSearchReplace idle;
  idle.Search();
  idle.Replace();
  idle.SearchAgain();
  EXPECT_EQ(idle.DialogsShown, 0);
  SetText({QStringLiteral("abc")});
  Component.SearchAgain();
  EXPECT_FALSE(Editor.HasSelection());
  EXPECT_FALSE(Component.HasSearchText());
}

TEST_F(SearchReplaceTest, FirstSearchCoversTheTextLaterOnesStartAtTheCaret) {
  SetText({QStringLiteral("nop abc"), QStringLiteral("abc abc")});
  Editor.SetCaretXY(1, 2);
  bool firstFromCursor = true;
  Enter(QStringLiteral("abc"), [&](TTextSearchDialog* d) { firstFromCursor = d->SearchFromCursor(); });
  Component.Search();
  EXPECT_FALSE(firstFromCursor);
  EXPECT_EQ(Editor.SelectionStart(), QPoint(5, 1));  // from the top, not from the caret
  EXPECT_TRUE(Component.SearchFromCursor());

  bool secondFromCursor = false;
  QString shownText;
  Enter(QStringLiteral("abc"), [&](TTextSearchDialog* d) { secondFromCursor = d->SearchFromCursor(); });
  Component.Fill = [&, fill = Component.Fill](TTextSearchDialog* d) {
    shownText = d->SearchText();
    return fill(d);
  };
  Component.Search();
  EXPECT_TRUE(secondFromCursor);
  EXPECT_EQ(shownText, QStringLiteral("abc"));
  EXPECT_EQ(Editor.SelectionStart(), QPoint(1, 2));
  Component.SearchAgain();
  EXPECT_EQ(Editor.SelectionStart(), QPoint(5, 2));
}

TEST_F(SearchReplaceTest, OptionsReachTheEditor) {
  SetText({QStringLiteral("labc abc ABC")});
  Enter(QStringLiteral("ABC"), [](TTextSearchDialog* d) { d->SetSearchCaseSensitive(true); });
  Component.Search();
  EXPECT_EQ(Editor.SelectionStart(), QPoint(10, 1));

  Editor.SetCaretXY(1, 1);
  Enter(QStringLiteral("abc"), [](TTextSearchDialog* d) {
    d->SetSearchCaseSensitive(false);
    d->SetSearchWholeWords(true);
  });
  Component.Search();
  EXPECT_EQ(Editor.SelectionStart(), QPoint(6, 1));

  Editor.SetCaretXY(9, 1);
  Enter(QStringLiteral("abc"), [](TTextSearchDialog* d) {
    d->SetSearchWholeWords(false);
    d->SetSearchBackwards(true);
  });
  Component.Search();
  EXPECT_TRUE(Component.SearchBackwards());
  EXPECT_EQ(Editor.SelectionStart(), QPoint(6, 1));
}

TEST_F(SearchReplaceTest, CancelKeepsTextsAndOptions) {
  SetText({QStringLiteral("abc")});
  Enter(QStringLiteral("abc"), [](TTextSearchDialog* d) { d->SetSearchWholeWords(true); });
  Component.Search();
  Component.Fill = [](TTextSearchDialog* d) {
    d->SetSearchText(QStringLiteral("zzz"));
    d->SetSearchWholeWords(false);
    return false;
  };
  Component.Search();
  Component.Replace();
  EXPECT_EQ(Component.SearchText(), QStringLiteral("abc"));
  EXPECT_TRUE(Component.SearchWholeWords());
  EXPECT_EQ(Component.SearchDialog()->SearchHistory(), QStringList({"abc"}));
  EXPECT_EQ(Line(0), QStringLiteral("abc"));
}

TEST_F(SearchReplaceTest, HistoriesIgnoreLetterCaseAndKeepTheTypedText) {
  SetText({QStringLiteral("abc ABC xyz")});
  for (const char* text : {"abc", "xyz", "ABC"}) {
    Enter(QLatin1String(text));
    Component.Search();
  }
  EXPECT_EQ(Component.SearchDialog()->SearchHistory(), QStringList({"ABC", "xyz"}));
  EXPECT_EQ(Component.SearchDialog()->SearchText(), QStringLiteral("ABC"));
  // Typing the start of an entry searches for what was typed.
  Component.Fill = [](TTextSearchDialog* d) {
    d->SetSearchText(QString());
    d->show();  // completion works in an active window only
    d->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(d));
    QLineEdit* edit = d->findChild<QComboBox*>(QStringLiteral("cbSearchText"))->lineEdit();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("x"));
    return true;
  };
  Component.Search();
  EXPECT_EQ(Component.SearchText(), QStringLiteral("x"));
  Enter(QStringLiteral("q"), {}, QStringLiteral("Neu"));
  Component.Replace();
  Enter(QStringLiteral("Q"), {}, QStringLiteral("neu"));
  Component.Replace();
  EXPECT_EQ(Component.ReplaceDialog()->SearchHistory(), QStringList({"Q"}));
  EXPECT_EQ(Component.ReplaceDialog()->ReplaceHistory(), QStringList({"neu"}));
  // Each dialog has its own search history.
  EXPECT_EQ(Component.SearchDialog()->SearchHistory(), QStringList({"x", "ABC", "xyz"}));
}

TEST_F(SearchReplaceTest, ReplaceAsksBeforeEachOccurrence) {
  SetText({QStringLiteral("a a a a")});
  Component.Answers = {crYes, crNo, crCancel};
  Enter(QStringLiteral("a"), {}, QStringLiteral("bb"));
  Component.Replace();
  EXPECT_EQ(Line(0), QStringLiteral("bb a a a"));  // cancel keeps what was replaced
  ASSERT_EQ(Component.Questions.size(), 3);
  EXPECT_EQ(Component.Questions[0], QStringLiteral("Dieses Vorkommen von \"a\" durch \"bb\" ersetzen?"));

  SetText({QStringLiteral("a a a a")});
  Component.Questions.clear();
  Component.Answers = {crNo, crYesToAll};
  Enter(QStringLiteral("a"), [](TTextSearchDialog* d) { d->SetSearchFromCursor(false); }, QStringLiteral("bb"));
  Component.Replace();
  EXPECT_EQ(Line(0), QStringLiteral("a bb bb bb"));
  EXPECT_EQ(Component.Questions.size(), 2);  // no more questions after "Ja, alle"
}

TEST_F(SearchReplaceTest, ReplacingByTheSameTextAsksNothing) {
  SetText({QStringLiteral("abc abc")});
  Component.Answers = {crYes, crYes};
  Enter(QStringLiteral("abc"), [](TTextSearchDialog* d) { d->SetSearchCaseSensitive(true); }, QStringLiteral("abc"));
  Component.Replace();
  EXPECT_TRUE(Component.Questions.isEmpty());
  EXPECT_EQ(Line(0), QStringLiteral("abc abc"));
  // Without match case an occurrence in other letters is a real change and is asked for.
  SetText({QStringLiteral("ABC abc")});
  Enter(QStringLiteral("abc"), [](TTextSearchDialog* d) {
    d->SetSearchCaseSensitive(false);
    d->SetSearchFromCursor(false);
  }, QStringLiteral("abc"));
  Component.Replace();
  EXPECT_EQ(Component.Questions.size(), 1);
  EXPECT_EQ(Line(0), QStringLiteral("abc abc"));
}

TEST_F(SearchReplaceTest, SearchAgainAfterAReplaceOnlySearches) {
  SetText({QStringLiteral("x x x")});
  Component.Answers = {crYes, crCancel};
  Enter(QStringLiteral("x"), {}, QStringLiteral("y"));
  Component.Replace();
  EXPECT_EQ(Line(0), QStringLiteral("y x x"));
  ASSERT_EQ(Component.Questions.size(), 2);
  // The cancelled second occurrence stays selected; searching again goes on to the third.
  Component.SearchAgain();
  EXPECT_EQ(Line(0), QStringLiteral("y x x"));
  EXPECT_EQ(Editor.SelectionStart(), QPoint(5, 1));
  EXPECT_EQ(Component.Questions.size(), 2);
}

TEST_F(SearchReplaceTest, ConfirmDialogBesideTheOccurrence) {
  Editor.show();
  QStringList text;
  for (int i = 0; i < 40; ++i) text << QStringLiteral("line %1").arg(i);
  text[1] = QStringLiteral("  xx");
  SetText(text);
  Component.Answers = {crCancel};
  Enter(QStringLiteral("xx"), {}, QStringLiteral("yy"));
  Component.Replace();
  ASSERT_EQ(Component.Positions.size(), 1);
  QWidget* client = Editor.viewport();
  const QPoint occurrence = client->mapToGlobal(Editor.PositionToPixels(QPoint(3, 2)));
  EXPECT_EQ(Component.Positions[0], QPoint(occurrence.x(), occurrence.y() + Editor.LineHeight() + 4));

  // In the lower third of the editor the dialog goes above the line.
  const int lowLine = Editor.TopLine() + Editor.LinesInWindow() - 1;
  Editor.Lines().Put(lowLine - 1, "  xx");
  Editor.SetCaretXY(1, lowLine - 1);
  Component.Answers = {crNo, crCancel};
  Enter(QStringLiteral("xx"), [](TTextSearchDialog* d) { d->SetSearchFromCursor(true); }, QStringLiteral("yy"));
  Component.Replace();
  ASSERT_EQ(Component.Positions.size(), 2);
  const QPoint low = client->mapToGlobal(Editor.PositionToPixels(QPoint(3, lowLine)));
  EXPECT_EQ(Component.Positions[1], QPoint(low.x(), low.y() - Component.ConfirmDialog()->height() - 4));
}
