#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

#include <cmath>
#include <tuple>

#include "editor/ColorConvert.h"
#include "editor/EditControl.h"
#include "editor/EditorModel.h"
#include "highlight/AssemSyn.h"
#include "ModelHelpers.h"
#include "TestSyntax.h"

namespace {
struct Editor {
  TEditControl w;
  explicit Editor(const std::string& text = {}, int width = 500) {
    w.resize(width, 300);
    w.show();
    w.setFocus();
    QApplication::processEvents();
    w.Lines().LoadFromBytes(text);
  }
  QPoint At(int column, int line) const { return w.PositionToPixels(QPoint(column, line)) + QPoint(1, 2); }
  void Wheel(int delta) {
    const QPointF at(40, 10);
    QWheelEvent ev(at, w.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.viewport(), &ev);
  }
};

int CountPixels(const QImage& img, QColor c, QRect area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (img.pixelColor(x, y) == c) ++n;
  return n;
}
}  // namespace

TEST(EditControl, FirstDisplayOnlyReportsEverythingChanged) {
  TEditControl w;
  int all = 0;
  w.OnStatusChange = [&](TEditControl*, TStatusChanges r) { all += (r & scAll) ? 1 : 0; };
  w.show();
  w.hide();
  w.show();
  EXPECT_EQ(all, 1);
}

TEST(EditControl, KeysRunTheirCommands) {
  Editor e("one\ntwo\nthree\n");
  TEditControl& w = e.w;
  std::vector<int> commands;
  w.OnCommandProcessed = [&](TEditControl*, int c, QChar) { commands.push_back(c); };
  using K = std::pair<Qt::Key, Qt::KeyboardModifiers>;
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  for (auto [key, mods] :
       {K{Qt::Key_Down, {}}, K{Qt::Key_3, ctrl | Qt::ShiftModifier}, K{Qt::Key_Y, ctrl}, K{Qt::Key_Insert, {}}})
    QTest::keyClick(&w, key, mods);
  QTest::keyClicks(&w, "TH");
  QTest::keyClick(&w, Qt::Key_Insert);
  QTest::keyClick(&w, Qt::Key_Tab);
  QTest::sendKeyEvent(QTest::Click, &w, Qt::Key_Udiaeresis, QString::fromUtf8("ü"), Qt::NoModifier);
  EXPECT_EQ(w.Lines().Text(1), QString::fromUtf8("TH      üree"));  // overwritten, then a tab stop
  EXPECT_EQ(w.CaretCharColumn(), 10);                                // characters, not bytes
  for (auto [key, mods] : {K{Qt::Key_Z, ctrl}, K{Qt::Key_Z, ctrl}, K{Qt::Key_Home, ctrl}, K{Qt::Key_3, ctrl}})
    QTest::keyClick(&w, key, mods);
  EXPECT_EQ(w.Lines()[1], "THree");
  EXPECT_EQ(w.CaretLine(), 2);
  EXPECT_EQ(commands, (std::vector<int>{ecDown, ecSetMarker0 + 3, ecDeleteLine, ecToggleMode, ecChar, ecChar,
                                        ecToggleMode, ecTab, ecChar, ecUndo, ecUndo, ecEditorTop, ecGotoMarker0 + 3}));
}

TEST(EditControl, PaintsTokensGutterAndRightEdge) {
  Editor e({}, 800);
  TEditControl& w = e.w;
  TCommentSyn hl;
  hl.Attribute(0)->SetForeground(RGBColor(255, 0, 0));
  hl.Attribute(0)->SetStyle(fsBold);
  w.SetHighlighter(&hl);
  w.Lines().LoadFromBytes("{RR} abc\x01\n\t{R}\n");
  w.SetBookmark(1, 1, 2);
  QImage img = w.viewport()->grab().toImage();
  const QColor red(255, 0, 0);
  const int lh = w.LineHeight(), cw = w.CharWidth();
  EXPECT_GT(CountPixels(img, red, QRect(e.At(1, 1), QSize(4 * cw, lh))), 10);
  // A control character: an inverted cell.
  EXPECT_GT(CountPixels(img, w.palette().color(QPalette::Text), QRect(w.PositionToPixels({9, 1}), QSize(cw, lh))),
            cw * lh / 3);
  EXPECT_GT(CountPixels(img, red, QRect(w.PositionToPixels({2, 2}), QSize(cw, lh))), 3);  // behind the tab
  // A combining mark on a blank is drawn.
  const QRect blank(w.PositionToPixels({1, 3}), QSize(4 * cw, lh));
  w.Lines().Add(" ");
  const QImage without = w.viewport()->grab(blank).toImage();
  w.Lines().Put(2, " \xCC\x81");
  EXPECT_NE(w.viewport()->grab(blank).toImage(), without);
  const QColor gutter = ColorValueToQColor(clBtnFace, w.palette(), Qt::black);
  EXPECT_GT(CountPixels(img, gutter, QRect(0, 0, 30, lh)), 100);
  EXPECT_LT(CountPixels(img, gutter, QRect(0, lh, 30, lh)), 30 * lh - 50);  // the bookmark glyph on line 2
  EXPECT_EQ(img.pixelColor(w.PositionToPixels({81, 1}).x(), lh * 3), QColor(0xC0, 0xC0, 0xC0));
  // The whitespace attribute's background becomes the editor's background; changes repaint.
  hl.Attribute(1)->SetBackground(RGBColor(0, 0, 128));
  img = w.viewport()->grab().toImage();
  EXPECT_EQ(img.pixelColor(w.viewport()->width() - 5, w.viewport()->height() - 5), QColor(0, 0, 128));
  EXPECT_EQ(ColorValueToQColor(0x00563412, w.palette(), red), QColor(0x12, 0x34, 0x56));
  // A system colour no desktop has (a settings file edited by hand) is no colour: never text
  // drawn in the window's own grey.
  for (const TColorValue unknown : {SystemColor(0x99), SystemColor(0x105)})
    EXPECT_EQ(ColorValueToQColor(unknown, w.palette(), red), red) << unknown;
}

TEST(EditControl, GutterShowsTheFirstMarksThatFitNeverOverNumbersOrTextAndLineOneOfAnEmptyText) {
  const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
  std::vector<QPixmap> images(3, QPixmap(16, 16));
  for (int i = 0; i < 3; ++i) images[i].fill(colours[i]);
  for (const char* text : {"", "a\nb\n"}) {
    Editor e(text);
    if (!*text) e.w.Lines().Clear();  // no line at all, as after a failed read
    e.w.SetBookmarkImages(&images);
    TGutter g = e.w.Gutter();
    g.ShowLineNumbers = g.AutoSize = true;
    g.LeftOffset = g.Width = 34;  // numbers right of the marks, as in the document tabs
    e.w.SetGutter(g);
    const auto add = [&](int image, int priority) {
      auto mark = std::make_unique<TEditMark>(&e.w);
      mark->ImageIndex = image;
      mark->Priority = priority;
      e.w.Marks().Add(std::move(mark));
    };
    for (int i = 0; i < 1000; ++i) add(1, 0);
    add(0, 2);
    add(2, 1);
    const QImage img = e.w.viewport()->grab().toImage();
    const QRect marks(0, 0, 34, e.w.LineHeight()), beyond(34, 0, img.width() - 34, img.height());
    EXPECT_GT(CountPixels(img, Qt::red, marks) * CountPixels(img, Qt::blue, marks), 0) << text;
    EXPECT_EQ(CountPixels(img, Qt::green, marks), 0) << text;
    for (const QColor& c : colours) EXPECT_EQ(CountPixels(img, c, beyond), 0) << text;
    const QRect number(34, 0, e.w.Gutter().Width - 34, e.w.LineHeight());  // "1" on the gutter's colour
    EXPECT_LT(CountPixels(img, ColorValueToQColor(clBtnFace, e.w.palette(), Qt::black), number),
              number.width() * number.height()) << text;
  }
}

TEST(EditControl, GridFollowsTheFontsRealAdvance) {
  // Advances such as 7.8 px: a whole-pixel grid drifts from the drawn text by a cell every few columns.
  for (qreal points : {9.0, 10.0, 10.5}) {
    Editor e(std::string(200, 'x') + "\n", 2000);
    TEditControl& w = e.w;
    QFont f = w.font();
    f.setPointSizeF(points);
    w.setFont(f);
    const QFontMetricsF fm(f);
    const qreal adv = fm.horizontalAdvance(QLatin1Char('x'));
    for (int col = 1; col <= 200; ++col) {
      const qreal left = w.Gutter().Width + fm.horizontalAdvance(QString(col - 1, QLatin1Char('x')));
      EXPECT_LE(std::abs(w.PositionToPixels(QPoint(col, 1)).x() - left), 1.0) << points << " " << col;
      QTest::mouseClick(w.viewport(), Qt::LeftButton, {}, QPoint(int(std::floor(left + adv * 0.4)), 3));
      ASSERT_EQ(w.CaretColumn(), col) << points;
      QTest::mouseClick(w.viewport(), Qt::LeftButton, {}, QPoint(int(std::ceil(left + adv * 0.6)), 3));
      ASSERT_EQ(w.CaretColumn(), col + 1) << points;
    }
    // The last letter's ink ends inside its cell.
    const QImage img = w.viewport()->grab().toImage();
    const qreal dpr = img.devicePixelRatio();
    int ink = 0;
    for (int x = 0; x < img.width(); ++x)
      for (int y = 0; y < w.LineHeight() * dpr; ++y)
        if (img.pixelColor(x, y).lightness() < 128) ink = x;
    EXPECT_GE(ink / dpr, w.PositionToPixels(QPoint(200, 1)).x()) << points;
    EXPECT_LE(ink / dpr, w.PositionToPixels(QPoint(201, 1)).x() + 1.5) << points;
  }
}

TEST(EditControl, MouseClickDragAndDoubleClick) {
  Editor e("alpha beta\ngamma\n");
  TEditControl& w = e.w;
  int clicks = 0;
  w.OnClick = [&](TEditControl*) { ++clicks; };
  QWidget* vp = w.viewport();
  QTest::mouseClick(vp, Qt::LeftButton, {}, e.At(3, 2));
  EXPECT_EQ(w.SelectionEnd(), QPoint(3, 2));
  QTest::mousePress(vp, Qt::LeftButton, {}, e.At(1, 1));
  QTest::mouseMove(vp, e.At(4, 1));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, e.At(4, 1));
  EXPECT_EQ(w.SelectedText(), "alp");
  QTest::mouseDClick(vp, Qt::LeftButton, {}, e.At(8, 1));
  EXPECT_EQ(w.SelectedText(), "beta");
  QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(5, 2));  // in the gutter: no click event
  EXPECT_EQ(clicks, 2);

  // A column block dragged straight down first keeps its corner.
  w.Lines().LoadFromBytes("abcdefgh\nabcdefgh\nabcdefgh\nabcdefgh\n");
  w.SetSelectionMode(TSelectionMode::smColumn);
  QTest::mousePress(vp, Qt::LeftButton, {}, e.At(2, 1));
  for (QPoint p : {e.At(2, 2), e.At(2, 3), e.At(4, 3)}) QTest::mouseMove(vp, p);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, e.At(4, 3));
  QTest::keyClick(&w, Qt::Key_Delete);
  EXPECT_EQ(w.Lines().SaveToBytes(), "adefgh\nadefgh\nadefgh\nabcdefgh\n");
}

TEST(EditControl, WheelStepsAddUp) {
  // Three lines per notch of 120; touchpads send small deltas that must add up.
  const std::tuple<int, int, int> cases[] = {{-120, 1, 4}, {-15, 24, 10}, {-15, 2, 1}, {-20, 5, 3}, {60, 2, 1}};
  for (auto [delta, count, top] : cases) {
    Editor e(std::string(200, '\n'));
    for (int i = 0; i < count; ++i) e.Wheel(delta);
    EXPECT_EQ(e.w.TopLine(), top) << delta << " x" << count;
    EXPECT_EQ(e.w.verticalScrollBar()->value(), top);
  }
}

TEST(EditControl, ColumnBlockTravelsThroughTheClipboard) {
  Editor e("abc\nxyz\n");
  e.w.SetSelectionMode(TSelectionMode::smColumn);
  e.w.SetSelectionStart(QPoint(2, 1));
  e.w.SetSelectionEnd(QPoint(3, 2));
  e.w.CopyToClipboard();
  QClipboard* clipboard = QApplication::clipboard();
  EXPECT_EQ(clipboard->text(), "b\ny");  // what other programs get
  auto* blockOnly = new QMimeData;  // the editor's own block format alone is enough
  for (const QString& f : clipboard->mimeData()->formats())
    if (!f.startsWith("text/")) blockOnly->setData(f, clipboard->mimeData()->data(f));
  clipboard->setMimeData(blockOnly);
  EXPECT_TRUE(e.w.CanPaste());
  e.w.SetSelectionMode(TSelectionMode::smNormal);
  e.w.SetCaretXY(4, 1);
  e.w.PasteFromClipboard();
  EXPECT_EQ(e.w.Lines().SaveToBytes(), "abcb\nxyzy\n");
}

TEST(EditControl, DroppedTextIsInsertedDroppedFilesAreNot) {
  Editor e("line\nline\n");
  QMimeData text, files;
  text.setText("dropped ");
  files.setUrls({QUrl::fromLocalFile("/tmp/x.asm")});  // left to the main window
  for (QMimeData* mime : {&text, &files}) {
    QDragEnterEvent enter(e.At(3, 2), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e.w.viewport(), &enter);
    EXPECT_EQ(enter.isAccepted(), mime == &text);
  }
  QDropEvent drop(e.At(3, 2), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(e.w.viewport(), &drop);
  EXPECT_EQ(e.w.Lines()[1], "lidropped ne");
}

// A press or double-click goes by the character under the mouse, whichever half of it was hit:
// a drag never takes a selection the user did not point at.
TEST(EditControl, PressAndDoubleClickHitTheCharacterUnderTheMouse) {
  const auto inside = [](const Editor& e, int column) {  // in the right half of the character
    const QPoint left = e.w.PositionToPixels(QPoint(column, 1)), right = e.w.PositionToPixels(QPoint(column + 1, 1));
    return QPoint(left.x() + (right.x() - left.x()) * 4 / 5, left.y() + 2);
  };
  for (const auto& [column, word] : {std::pair{2, "ab"}, {3, ""}, {5, "cd"}, {7, "\xC3\xA4\xC3\xB6"}}) {
    Editor e("ab cd \xC3\xA4\xC3\xB6\n");
    QTest::mouseDClick(e.w.viewport(), Qt::LeftButton, {}, inside(e, column));
    EXPECT_EQ(e.w.SelectedText(), QString::fromUtf8(word)) << column;
  }
  for (const auto& [column, keeps] : {std::pair{6, false}, {11, true}, {7, true}, {12, false}}) {
    Editor e("alpha gamma delta\n");
    e.w.SetSelectionStart(QPoint(7, 1));
    e.w.SetSelectionEnd(QPoint(12, 1));
    QTest::mousePress(e.w.viewport(), Qt::LeftButton, {}, inside(e, column));
    EXPECT_EQ(e.w.HasSelection(), keeps) << column;
    QTest::mouseRelease(e.w.viewport(), Qt::LeftButton, {}, inside(e, column));
  }
  // A click goes before a wide character up to its middle, which lies between its two cells.
  Editor e("\xE6\x97\xA5x\n");
  const int left = e.w.PositionToPixels(QPoint(1, 1)).x(), right = e.w.PositionToPixels(QPoint(4, 1)).x();
  for (const auto& [fifths, column] : {std::pair{2, 1}, {3, 4}}) {
    QTest::mouseClick(e.w.viewport(), Qt::LeftButton, {}, QPoint(left + (right - left) * fifths / 5, e.At(1, 1).y()));
    EXPECT_EQ(e.w.CaretColumn(), column) << fifths;
  }
}

// Text the file cannot hold is refused, and the drop is then no move: the source keeps it. The
// drop mark goes when a drag leaves.
TEST(EditControl, ARefusedDropMovesNothingAndTheDropMarkGoes) {
  Editor e("abc \xE4\n\n\n");  // Windows-1252
  QWidget* vp = e.w.viewport();
  e.w.clearFocus();
  QApplication::processEvents();
  const QImage before = vp->grab().toImage();
  QMimeData mime;
  mime.setText(QString::fromUtf8("\xCE\xA9mega"));  // Omega: not in the code page
  // Offered for a copy or a move, as another editor offers it; Shift proposes the move.
  const Qt::DropActions both = Qt::CopyAction | Qt::MoveAction;
  QDragEnterEvent enter(e.At(2, 3), both, &mime, Qt::LeftButton, Qt::ShiftModifier);
  QApplication::sendEvent(vp, &enter);
  QDragMoveEvent move(e.At(2, 3), both, &mime, Qt::LeftButton, Qt::ShiftModifier);
  ASSERT_EQ(move.proposedAction(), Qt::MoveAction);
  QApplication::sendEvent(vp, &move);
  EXPECT_TRUE(move.isAccepted() && move.dropAction() == Qt::CopyAction);  // never a move meanwhile
  QDragLeaveEvent leave;
  QApplication::sendEvent(vp, &leave);
  QApplication::processEvents();
  EXPECT_EQ(vp->grab().toImage(), before);
  QDropEvent drop(e.At(2, 1), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &drop);
  EXPECT_EQ(e.w.Lines().SaveToBytes(), "abc \xE4\n\n\n");
  EXPECT_FALSE(drop.isAccepted());
}

TEST(EditControl, RepaintsOnlyWhatChangedAndLeavesNoCaretBehind) {
  // What is on the screen after each key equals a fresh paint of the whole window.
  Editor e("\tLDAA #$10 ; one\nLDAB 2,X\n\xc3\xa4\xc3\xb6 done\n" + std::string(300, 'z') + "\n");
  TEditControl& w = e.w;
  TCommentSyn hl;
  hl.Attribute(0)->SetForeground(RGBColor(255, 0, 0));
  w.SetHighlighter(&hl);
  auto sameAsFresh = [&] {
    QApplication::processEvents();
    const QImage shown = w.screen()->grabWindow(w.winId()).toImage().copy(
        QRect(w.viewport()->mapTo(&w, QPoint()), w.viewport()->size()));
    return shown == w.viewport()->grab().toImage().convertToFormat(shown.format());
  };
  w.SetCaretXY(4, 1);
  for (char k : std::string("ab{c\b\b\x1bx}")) {
    if (k == '\x1b') QTest::keyClick(&w, Qt::Key_Down), QTest::keyClick(&w, Qt::Key_Right);
    else QTest::keyClick(&w, k);
    EXPECT_TRUE(sameAsFresh()) << k;
  }
  w.SetCaretXY(290, 4);  // far right: the view jumps sideways as the line grows
  QTest::keyClicks(&w, std::string(20, 'q').c_str());
  EXPECT_TRUE(sameAsFresh());
  // A key may change the kind of the word it ends: "ld" is a name, "ldaa" an instruction.
  TVoMAssemSyn asm6811;
  asm6811.SetCPUTypeString("6811");
  asm6811.KeyAttri()->SetForeground(RGBColor(255, 0, 0));
  w.SetHighlighter(&asm6811);
  w.SetCaretXY(9, 2);
  QTest::keyClick(&w, Qt::Key_Return);
  for (char k : std::string("\tldaa\b\ba")) {
    QTest::keyClick(&w, k);
    EXPECT_TRUE(sameAsFresh()) << k;
  }
  w.SetHighlighter(nullptr);
}

TEST(EditControl, ReadsABigFileOnWhileTheEventLoopRuns) {
  QTemporaryDir dir;
  const std::string bytes = BigSource("\n");
  WriteFile(dir.filePath("big.asm"), bytes);
  Editor e;
  TGutter gutter = e.w.Gutter();
  gutter.ShowLineNumbers = gutter.AutoSize = true;
  e.w.SetGutter(gutter);
  int reports = 0;
  e.w.OnLoadProgress = [&](TEditControl*) { ++reports; };
  e.w.LoadFromFile(dir.filePath("big.asm"));
  const int width = e.w.Gutter().Width;
  ASSERT_TRUE(e.w.Lines().Loading());
  while (e.w.Lines().Loading()) QApplication::processEvents();
  EXPECT_GE(reports, 2);  // at the start and at the end
  EXPECT_GT(e.w.Gutter().Width, width);  // the line numbers have more digits now
  EXPECT_EQ(e.w.Lines().SaveToBytes(), bytes);
}
