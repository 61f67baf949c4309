#include <gtest/gtest.h>

#include "search_print/SearchLogic.h"

TEST(SearchOptions, MapsEveryFieldAndTheReplaceMode) {
  EXPECT_EQ(SearchOptionsFor({}, false), TSearchOptions(ssoEntireScope));
  TSearchSettings fromCursor;
  fromCursor.FromCursor = true;
  EXPECT_EQ(SearchOptionsFor(fromCursor, false), TSearchOptions(0));
  EXPECT_EQ(SearchOptionsFor({true, true, true, true, true}, false),
            TSearchOptions(ssoBackwards | ssoMatchCase | ssoSelectedOnly | ssoWholeWord));
  EXPECT_EQ(SearchOptionsFor({false, true, false, false, false}, true),
            TSearchOptions(ssoMatchCase | ssoEntireScope | ssoReplace | ssoReplaceAll | ssoPrompt));
}

TEST(SearchHistory, NewestFirstWithoutCaseDuplicatesOrLimit) {
  QStringList history;
  AddToHistory(history, QStringLiteral("abc"));
  AddToHistory(history, QStringLiteral("xyz"));
  AddToHistory(history, QStringLiteral("ABC"));
  EXPECT_EQ(history, QStringList({QStringLiteral("ABC"), QStringLiteral("xyz")}));
  AddToHistory(history, QString());
  EXPECT_EQ(history.size(), 2);
  for (int i = 0; i < 100; ++i) AddToHistory(history, QString::number(i));
  EXPECT_EQ(history.size(), 102);
  EXPECT_EQ(history.first(), QStringLiteral("99"));
  AddToHistory(history, QStringLiteral("Xyz"));
  EXPECT_EQ(history.size(), 102);
  EXPECT_EQ(history.first(), QStringLiteral("Xyz"));
  EXPECT_EQ(history.count(QStringLiteral("xyz")), 0);
}

TEST(SearchQuestion, QuotesBothTexts) {
  EXPECT_EQ(ReplaceQuestion(QStringLiteral("ldaa"), QStringLiteral("ldab")),
            QStringLiteral("Dieses Vorkommen von \"ldaa\" durch \"ldab\" ersetzen?"));
  // Percent signs and placeholders in the texts are taken literally.
  EXPECT_EQ(ReplaceQuestion(QStringLiteral("%1"), QStringLiteral("100%")),
            QStringLiteral("Dieses Vorkommen von \"%1\" durch \"100%\" ersetzen?"));
}

TEST(ConfirmPlacement, BelowOrAboveTheOccurrence) {
  const TScreenRect editor{100, 200, 600, 500};  // 500 x 300, two thirds down at y 400
  const QSize dialog(328, 98);
  EXPECT_EQ(ConfirmDialogPosition({150, 250}, 16, editor, dialog), QPoint(150, 270));
  // The line ending exactly on the two-thirds line still counts as above it.
  EXPECT_EQ(ConfirmDialogPosition({150, 384}, 16, editor, dialog), QPoint(150, 404));
  EXPECT_EQ(ConfirmDialogPosition({150, 385}, 16, editor, dialog), QPoint(150, 385 - 98 - 4));
  EXPECT_EQ(ConfirmDialogPosition({150, 480}, 16, editor, dialog), QPoint(150, 480 - 98 - 4));
}

TEST(ConfirmPlacement, TwoThirdsRoundedToTheNearestPixel) {
  const QSize dialog(100, 50);
  // Height 301: two thirds is 200.67, taken as 201.
  const TScreenRect h301{0, 0, 400, 301};
  EXPECT_EQ(ConfirmDialogPosition({0, 185}, 16, h301, dialog).y(), 205);  // y2 = 201
  EXPECT_EQ(ConfirmDialogPosition({0, 186}, 16, h301, dialog).y(), 132);  // y2 = 202
  // Height 302: two thirds is 201.33, taken as 201.
  const TScreenRect h302{0, 0, 400, 302};
  EXPECT_EQ(ConfirmDialogPosition({0, 185}, 16, h302, dialog).y(), 205);
  EXPECT_EQ(ConfirmDialogPosition({0, 186}, 16, h302, dialog).y(), 132);
}

TEST(ConfirmPlacement, KeptInsideTheEditorOrCentredOnANarrowOne) {
  const QSize dialog(328, 98);
  const TScreenRect wide{100, 200, 600, 500};
  EXPECT_EQ(ConfirmDialogPosition({272, 250}, 16, wide, dialog).x(), 272);  // ends exactly at the right
  EXPECT_EQ(ConfirmDialogPosition({400, 250}, 16, wide, dialog).x(), 600 - 328);
  // Narrower than the dialog: centred whatever the occurrence's column; the half truncates.
  EXPECT_EQ(ConfirmDialogPosition({500, 250}, 16, TScreenRect{100, 200, 300, 500}, dialog).x(), 100 - 64);
  EXPECT_EQ(ConfirmDialogPosition({500, 250}, 16, TScreenRect{100, 200, 301, 500}, dialog).x(), 100 - 63);
  EXPECT_EQ(ConfirmDialogPosition({500, 250}, 16, TScreenRect{100, 200, 428, 500}, dialog).x(), 100);
  EXPECT_EQ(ConfirmDialogPosition({500, 250}, 16, TScreenRect{100, 200, 429, 500}, dialog).x(), 429 - 328);
}

TEST(ConfirmPlacement, AnswersMapToActions) {
  EXPECT_EQ(ConfirmResultToAction(crYes), TReplaceAction::raReplace);
  EXPECT_EQ(ConfirmResultToAction(crNo), TReplaceAction::raSkip);
  EXPECT_EQ(ConfirmResultToAction(crYesToAll), TReplaceAction::raReplaceAll);
  EXPECT_EQ(ConfirmResultToAction(crCancel), TReplaceAction::raCancel);
  EXPECT_EQ(ConfirmResultToAction(1), TReplaceAction::raCancel);  // any other way of closing
}
