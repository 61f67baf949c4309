// The timed status message and file drops on the main window.
#include <QTest>

#include "AppFixture.h"
#include "app/DragDrop.h"
#include "app/VoTimerMessage.h"

using namespace Qt::StringLiterals;

TEST(TimerMessageTest, TextFallsBackToTheDefaultOnceUnlessTheIntervalIsZero) {
  TVoTimerMessage message;
  QStringList shown;
  message.OnTextChanged = [&](const QString& text) { shown << text; };
  message.DefaultText = QStringLiteral("frei");
  message.ShowText(QStringLiteral("eins"), 30);
  message.ShowText(QStringLiteral("null"), 0);  // stays: the earlier interval no longer counts
  QTest::qWait(80);
  message.ShowText(QStringLiteral("zwei"), 30);
  EXPECT_TRUE(QTest::qWaitFor([&] { return shown.size() > 3; }));
  EXPECT_EQ(shown, (QStringList{u"eins"_s, u"null"_s, u"zwei"_s, u"frei"_s}));
}

using DropTest = AppTest;

TEST_F(DropTest, DroppedFilesOpenInOrderWithLongNamesWhole) {
  const QString longName = QString(250, QLatin1Char('n')) + QStringLiteral(".asm");
  for (const QString& name : {QStringLiteral("a.asm"), QStringLiteral("b.inc"), longName}) WriteFile(name, "c\n");
  Drop({Path("b.inc"), Path("a.asm"), Path(longName), Path("x.txt")});
  ASSERT_EQ(Tabs(), 3);
  EXPECT_EQ(View(0)->FileName + View(2)->FileName, Path("b.inc") + Path(longName));
  EXPECT_TRUE(Main->DragDrop()->Files.isEmpty());  // cleared after use
}
