// Go to definition, back and the symbol list, driven through the main window's keys and mouse.
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <functional>

#include "AppFixture.h"
#include "app/FormGotoSymbol.h"
#include "app/SymbolNavigator.h"

using namespace Qt::StringLiterals;

// The index works in the background: give the result time to arrive.
#define EXPECT_SOON_EQ(actual, expected)                         \
  (void)QTest::qWaitFor([&] { return (actual) == (expected); }); \
  EXPECT_EQ(actual, expected)

namespace {

class SymbolNavigationTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WriteFile("defs.inc", "; ports\nPORTB\tequ $1004\n");
    WriteFile("main.asm", "\tinclude \"defs.inc\"\nstart:\tstaa PORTB\n\tbra start\n");
    Main->OpenFile(Path("main.asm"));
    ShowActive();
  }
  TEditControl* Editor() const { return Main->ActiveView()->Editor(); }
  QString Where() const {
    return QFileInfo(Main->ActiveView()->PathName).fileName() +
           QStringLiteral(":%1:%2").arg(Editor()->CaretLine()).arg(Editor()->CaretColumn());
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) const {
    QTest::keyClick(Editor(), static_cast<Qt::Key>(key), mods);
  }
  // Acts on the symbol dialog once it shows (it may wait for the index).
  void OnDialog(const std::function<void(TFormGotoSymbol*)>& act) {
    auto* poll = new QTimer(Main);
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll, act] {
      if (!Main->Symbols()->Dialog()->isVisible()) return;
      poll->stop();
      poll->deleteLater();
      act(Main->Symbols()->Dialog());
    });
    poll->start(10);
  }
};

TEST_F(SymbolNavigationTest, F12AndCtrlClickJumpAcrossFilesAndAltLeftComesBack) {
  Editor()->SetCaretXY(18, 2);  // just after "PORTB"
  Key(Qt::Key_F12);
  EXPECT_SOON_EQ(Where(), u"defs.inc:2:1"_s);  // opened from the include
  View(0)->CloseView();
  Key(Qt::Key_Left, Qt::AltModifier);  // opened again
  EXPECT_EQ(Where(), u"main.asm:2:18"_s);
  EXPECT_EQ(Tabs(), 2);
  EXPECT_FALSE(Action("MenGoBack")->isEnabled());
  QTest::mouseClick(Editor()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    Editor()->PositionToPixels(QPoint(8, 3)) + QPoint(2, 2));
  EXPECT_SOON_EQ(Where(), u"main.asm:2:1"_s);
  Editor()->SetCaretXY(8, 2);
  Key(Qt::Key_F12);
  EXPECT_SOON_EQ(Panel(3), u"Keine Definition für \"staa\" gefunden."_s);
}

TEST_F(SymbolNavigationTest, AnIncludeThatAnotherProgramChangedIsReadAgain) {
  ASSERT_TRUE(QTest::qWaitFor([this] { return Main->Symbols()->Fresh(); }));
  // Changed as a copy that keeps size and time would change it.
  const QDateTime time = QFileInfo(Path("defs.inc")).lastModified();
  WriteFile("defs.inc", ";\n;port\nPORTB\tequ $1004\n");  // as long as before
  QFile file(Path("defs.inc"));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime));
  ASSERT_EQ(file.size(), 24);
  file.close();
  Editor()->SetCaretXY(18, 2);
  Key(Qt::Key_F12);
  EXPECT_SOON_EQ(Where(), u"defs.inc:3:1"_s);
}

TEST_F(SymbolNavigationTest, AfterAnEditF12WaitsForTheIndexAndChoosesBetweenDefinitions) {
  Editor()->SetCaretXY(1, 1);
  Editor()->InsertText(u"\n\n"_s);
  Editor()->SetCaretXY(8, 5);
  Key(Qt::Key_F12);  // "start" is on line 4 now
  EXPECT_SOON_EQ(Where(), u"main.asm:4:1"_s);
  WriteFile("other.asm", "PORTB = 1\n");
  Main->OpenFile(Path("other.asm"));
  Main->ActivateView(View(0));
  int rows = 0;
  OnDialog([&rows](TFormGotoSymbol* dialog) {
    rows = dialog->SymbolList()->model()->rowCount();
    EXPECT_FALSE(dialog->FilterEdit()->isVisible());
    QTest::keyClick(dialog->SymbolList(), Qt::Key_Down);
    QTest::keyClick(dialog->SymbolList(), Qt::Key_Return);
  });
  Editor()->SetCaretXY(13, 4);
  Key(Qt::Key_F12);
  EXPECT_SOON_EQ(Where(), u"other.asm:1:1"_s);
  EXPECT_EQ(rows, 2);
}

TEST_F(SymbolNavigationTest, F12InATextStillBeingReadWaitsForTheWholeText) {
  WriteFile("big.asm", "\tbra far\n" + QByteArray("\tnop\n").repeated(1000000) + "far:\tnop\n");
  Main->OpenFile(Path("big.asm"));
  Editor()->Lines().FinishLoad();
  // Read once more, without the timer that reads on: the test says when the rest arrives.
  Editor()->Lines().StartLoad(Path("big.asm"));
  ASSERT_TRUE(Editor()->Lines().Loading());
  Editor()->SetCaretXY(1, 2);
  Editor()->InsertText(u"x"_s);  // typed on the first screen meanwhile
  Editor()->SetCaretXY(8, 1);
  Key(Qt::Key_F12);
  QTest::qWait(100);
  EXPECT_EQ(Panel(3), u"Symbole werden gelesen..."_s);
  Editor()->Lines().FinishLoad();
  EXPECT_SOON_EQ(Where(), u"big.asm:1000002:1"_s);
}

TEST_F(SymbolNavigationTest, SymbolListFiltersAsTheUserTypes) {
  QStringList shown;
  OnDialog([&shown](TFormGotoSymbol* dialog) {
    QTest::keyClicks(dialog->FilterEdit(), u"oR"_s);
    const QAbstractItemModel* model = dialog->SymbolList()->model();
    for (int row = 0; row < model->rowCount(); ++row)
      shown << model->index(row, 0).data().toString() + u' ' + model->index(row, 1).data().toString();
    QTest::keyClick(dialog->FilterEdit(), Qt::Key_Return);
  });
  Key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_SOON_EQ(Where(), u"defs.inc:2:1"_s);
  EXPECT_EQ(shown, QStringList{u"PORTB Konstante"_s});
}

TEST_F(SymbolNavigationTest, NamesWithUmlautsAreFoundByF12AndTheFilter) {
  WriteFile("sym.inc", "Größe equ 3\n");
  WriteFile("odd.asm", "\tinclude \"sym.inc\"\nMaß    equ 7\n        ldaa #Maß\n        ldaa #GRÖßE\n");
  Main->OpenFile(Path("odd.asm"));
  Editor()->SetCaretXY(17, 3);  // between "a" and "ß"
  Key(Qt::Key_F12);
  EXPECT_SOON_EQ(Where(), u"odd.asm:2:1"_s);
  Editor()->SetCaretXY(17, 4);
  Key(Qt::Key_F12);
  EXPECT_SOON_EQ(Where(), u"sym.inc:1:1"_s);
  QStringList shown;
  OnDialog([&shown](TFormGotoSymbol* dialog) {
    QTest::keyClicks(dialog->FilterEdit(), u"gR"_s);
    QTest::sendKeyEvent(QTest::Click, dialog->FilterEdit(), Qt::Key_Odiaeresis, u"ö"_s, Qt::NoModifier);
    const QAbstractItemModel* model = dialog->SymbolList()->model();
    for (int row = 0; row < model->rowCount(); ++row) shown << model->index(row, 0).data().toString();
    QTest::keyClick(dialog->FilterEdit(), Qt::Key_Escape);
  });
  Key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_SOON_EQ(shown, QStringList{u"Größe"_s});
}

}  // namespace
