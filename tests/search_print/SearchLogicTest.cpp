#include <gtest/gtest.h>

#include "search_print/SearchLogic.h"

TEST(SearchOptions, MapsEveryFieldAndTheReplaceMode) {
  EXPECT_EQ(SearchOptionsFor({true, true, false, true, true}, false),
            TSearchOptions(ssoBackwards | ssoMatchCase | ssoSelectedOnly | ssoWholeWord | ssoEntireScope));
  EXPECT_EQ(SearchOptionsFor({false, false, true, false, false}, true),
            TSearchOptions(ssoReplace | ssoReplaceAll | ssoPrompt));
}

TEST(SearchHistory, NewestFirstWithoutCaseDuplicatesOrLimit) {
  QStringList history;
  for (int i = 0; i < 100; ++i) AddToHistory(history, QString::number(i));
  for (const char* text : {"abc", "xyz", "ABC", ""}) AddToHistory(history, QString::fromUtf8(text));
  EXPECT_EQ(history.size(), 102);
  EXPECT_EQ(history.mid(0, 3), QStringList({"ABC", "xyz", "99"}));
}

TEST(SearchQuestion, QuotesBothTextsLiterally) {
  EXPECT_EQ(ReplaceQuestion(QStringLiteral("%1"), QStringLiteral("100%")),
            QStringLiteral("Dieses Vorkommen von \"%1\" durch \"100%\" ersetzen?"));
}

TEST(ConfirmPlacement, BesideTheOccurrenceInsideOrCentredOnTheEditor) {
  struct Case {
    QPoint occurrence;
    TScreenRect editor;
    QPoint expected;
  };
  const TScreenRect wide{100, 200, 600, 500};  // 500 x 300, two thirds down at y 400
  const Case cases[] = {
      {{150, 250}, wide, {150, 270}},                       // below the line
      {{150, 384}, wide, {150, 404}},                       // ending exactly two thirds down: still below
      {{150, 385}, wide, {150, 385 - 98 - 4}},              // lower third: above
      {{400, 250}, wide, {600 - 328, 270}},                 // kept inside
      {{500, 250}, {100, 200, 300, 500}, {100 - 64, 270}},  // narrower: centred, the half truncates
      {{500, 250}, {100, 200, 429, 500}, {429 - 328, 270}},
      {{0, 185}, {0, 0, 400, 301}, {0, 205}},  // two thirds of 301 is 201 (rounded): still below
      {{0, 186}, {0, 0, 400, 302}, {0, 186 - 98 - 4}},  // two thirds of 302 is 201 as well
  };
  for (const Case& c : cases)
    EXPECT_EQ(ConfirmDialogPosition(c.occurrence, 16, c.editor, QSize(328, 98)), c.expected)
        << c.occurrence.x() << "," << c.occurrence.y() << " in " << c.editor.Right << "x" << c.editor.Bottom;
}
