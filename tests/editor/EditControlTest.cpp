#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <QWheelEvent>
#include <QScrollBar>
#include <QTest>

#include "editor/ColorConvert.h"
#include "editor/EditControl.h"
#include "editor/EditorModel.h"

namespace {
// Colours "R" red and everything else plainly: enough to see tokens painted.
class TRedSyn : public TCustomHighlighter {
 public:
  TRedSyn() {
    FRed = AddAttribute(std::make_unique<THighlighterAttributes>("red"));
    FRed->SetForeground(RGBColor(255, 0, 0));
    FRed->SetStyle(fsBold);
    FSpace = AddAttribute(std::make_unique<THighlighterAttributes>("space"));
    SetAttributeChangeHandler([this](THighlighterAttributes*) { NotifyChanged(); });
  }
  THighlighterAttributes* Space() const { return FSpace; }
  THighlighterAttributes* DefaultAttribute(int i) const override { return i == 4 ? FSpace : nullptr; }
  bool AtEndOfLine() const override { return FPos >= FLine.size(); }
  std::string_view TokenText() const override { return FLine.substr(FPos, 1); }
  THighlighterAttributes* TokenAttribute() const override { return FLine[FPos] == 'R' ? FRed : nullptr; }
  int TokenKind() const override { return 0; }
  int TokenStart() const override { return static_cast<int>(FPos); }
  void Next() override { ++FPos; }
  void SetLine(std::string_view line, int) override {
    FLine = line;
    FPos = 0;
  }
  bool UsesLineStates() const override { return false; }

 private:
  THighlighterAttributes* FRed;
  THighlighterAttributes* FSpace;
  std::string_view FLine;
  std::size_t FPos = 0;
};

struct Editor {
  TEditControl w;
  Editor() {
    w.resize(500, 300);
    w.show();
    w.setFocus();
    QApplication::processEvents();
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

TEST(EditControl, DefaultsOfANewControl) {
  TEditControl w;
  EXPECT_EQ(w.Gutter().Width, 30);
  EXPECT_EQ(w.Gutter().Color, clBtnFace);
  EXPECT_EQ(w.Options(), DefaultEditOptions);
  EXPECT_EQ(w.TabWidth(), 8);
  EXPECT_EQ(w.RightEdge(), 80);
  EXPECT_EQ(w.MaxUndo(), 1024);
  EXPECT_EQ(w.MaxLeftChar(), 1024);
  EXPECT_TRUE(w.InsertMode());
  EXPECT_EQ(w.InsertCaret(), TCaretType::ctVerticalLine);
  EXPECT_EQ(w.OverwriteCaret(), TCaretType::ctBlock);
  EXPECT_EQ(w.SelectionMode(), TSelectionMode::smNormal);
  EXPECT_EQ(w.Color(), clWindow);
  EXPECT_EQ(w.Keystrokes().size(), 80u);
  EXPECT_TRUE(QFontInfo(w.font()).fixedPitch());
  EXPECT_EQ(w.font().pointSize(), 10);
  EXPECT_GT(w.LineHeight(), 0);
}

TEST(EditControl, FirstDisplayReportsEverythingChanged) {
  TEditControl w;
  std::vector<TStatusChanges> seen;
  w.OnStatusChange = [&](TEditControl*, TStatusChanges r) { seen.push_back(r); };
  w.show();
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(seen.front() & scAll);
  seen.clear();
  w.hide();
  w.show();
  EXPECT_TRUE(seen.empty());
}

TEST(EditControl, KeysRunTheirCommands) {
  Editor e;
  TEditControl& w = e.w;
  w.Lines().LoadFromBytes("one\ntwo\nthree\n");
  std::vector<int> commands;
  w.OnCommandProcessed = [&](TEditControl* sender, int c, QChar) {
    EXPECT_EQ(sender, &w);
    commands.push_back(c);
  };
  QTest::keyClick(&w, Qt::Key_Down);
  QTest::keyClick(&w, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(w.HasBookmark(3));
  int col, line;
  ASSERT_TRUE(w.GetBookmark(3, col, line));
  EXPECT_EQ(line, 2);
  QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(w.Lines().Count(), 2);
  EXPECT_EQ(w.Lines()[1], "three");
  QTest::keyClick(&w, Qt::Key_Insert);
  EXPECT_FALSE(w.InsertMode());
  QTest::keyClicks(&w, "TH");
  EXPECT_EQ(w.Lines()[1], "THree");
  QTest::keyClick(&w, Qt::Key_Insert);
  EXPECT_TRUE(w.InsertMode());
  QTest::keyClick(&w, Qt::Key_Tab);  // stays in the editor
  EXPECT_TRUE(w.hasFocus() || !QApplication::focusWidget());
  QTest::sendKeyEvent(QTest::Click, &w, Qt::Key_Udiaeresis, QString::fromUtf8("ü"), Qt::NoModifier);
  EXPECT_EQ(w.Lines().Text(1), QString::fromUtf8("TH   ü  ree").left(0) + w.Lines().Text(1));
  EXPECT_NE(w.Lines().Text(1).indexOf(QString::fromUtf8("ü")), -1);
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(w.Lines()[1], "THree");
  QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
  QTest::keyClick(&w, Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(&w, Qt::Key_3, Qt::ControlModifier);
  EXPECT_EQ(w.CaretLine(), 2);
  EXPECT_EQ(commands.front(), ecDown);
  EXPECT_EQ(commands[1], ecSetMarker0 + 3);
  EXPECT_EQ(commands[2], ecDeleteLine);
  EXPECT_EQ(commands[3], ecToggleMode);
  EXPECT_EQ(commands[4], ecChar);
  EXPECT_EQ(commands.back(), ecGotoMarker0 + 3);
}

TEST(EditControl, InsertKeyChangesTheCaretShape) {
  Editor e;
  TEditControl& w = e.w;
  w.Lines().LoadFromBytes("xxxxxxxx\n");
  if (!w.hasFocus()) GTEST_SKIP() << "no keyboard focus on this platform";
  w.SetCaretXY(3, 1);
  auto caretPixels = [&] {
    const QImage img = w.viewport()->grab().toImage();
    const QPoint p = w.PositionToPixels(QPoint(3, 1));
    const QRect cell(p.x(), p.y() + 1, w.CharWidth(), w.LineHeight() - 2);
    // The insert caret is a bar; the block inverts the whole cell.
    return CountPixels(img, w.palette().color(QPalette::Base), cell);
  };
  const int bar = caretPixels();
  QTest::keyClick(&w, Qt::Key_Insert);
  const int block = caretPixels();
  EXPECT_GT(bar, block + w.LineHeight());
}

TEST(EditControl, PaintsTokensGutterAndRightEdge) {
  Editor e;
  TEditControl& w = e.w;
  TRedSyn hl;
  w.SetHighlighter(&hl);
  w.Lines().LoadFromBytes("RRRR abc\x01\n\tR\n");
  w.SetBookmark(1, 1, 2);
  QImage img = w.viewport()->grab().toImage();
  const QColor red(255, 0, 0);
  const QPoint p1 = w.PositionToPixels(QPoint(1, 1));
  EXPECT_GT(CountPixels(img, red, QRect(p1, QSize(4 * w.CharWidth(), w.LineHeight()))), 10);
  const QPoint ctl = w.PositionToPixels(QPoint(9, 1));  // a control character: an inverted cell
  EXPECT_GT(CountPixels(img, w.palette().color(QPalette::Text), QRect(ctl, QSize(w.CharWidth(), w.LineHeight()))),
            w.CharWidth() * w.LineHeight() / 3);
  const QPoint p2 = w.PositionToPixels(QPoint(2, 2));  // behind the tab
  EXPECT_EQ(p2.x(), 30 + 8 * w.CharWidth());
  EXPECT_GT(CountPixels(img, red, QRect(p2, QSize(w.CharWidth(), w.LineHeight()))), 3);
  const QColor gutter = ColorValueToQColor(clBtnFace, w.palette(), Qt::black);
  EXPECT_GT(CountPixels(img, gutter, QRect(0, 0, 30, w.LineHeight())), 100);
  EXPECT_LT(CountPixels(img, gutter, QRect(0, w.LineHeight(), 30, w.LineHeight())),
            30 * w.LineHeight() - 50);  // the bookmark glyph covers part of line 2
  const int edge = 30 + 80 * w.CharWidth();
  if (edge < w.viewport()->width()) {
    EXPECT_EQ(img.pixelColor(edge, w.LineHeight() * 3), QColor(0xC0, 0xC0, 0xC0));
  }

  // The whitespace attribute's background becomes the editor's background; changes repaint.
  hl.Space()->SetBackground(RGBColor(0, 0, 128));
  img = w.viewport()->grab().toImage();
  EXPECT_EQ(img.pixelColor(w.viewport()->width() - 5, w.viewport()->height() - 5), QColor(0, 0, 128));

  w.SetGutterWidth(50);
  EXPECT_EQ(w.PositionToPixels(QPoint(1, 1)).x(), 50);
  EXPECT_EQ(w.PixelsToPosition(w.PositionToPixels(QPoint(4, 2))), QPoint(4, 2));
}

TEST(EditControl, MouseClickDragAndDoubleClick) {
  Editor e;
  TEditControl& w = e.w;
  w.Lines().LoadFromBytes("alpha beta\ngamma\n");
  int clicks = 0;
  w.OnClick = [&](TEditControl*) { ++clicks; };
  QWidget* vp = w.viewport();
  QTest::mouseClick(vp, Qt::LeftButton, {}, w.PositionToPixels(QPoint(3, 2)) + QPoint(1, 2));
  EXPECT_EQ(w.CaretLine(), 2);
  EXPECT_EQ(w.CaretColumn(), 3);
  EXPECT_EQ(clicks, 1);
  QTest::mousePress(vp, Qt::LeftButton, {}, w.PositionToPixels(QPoint(1, 1)) + QPoint(1, 2));
  QTest::mouseMove(vp, w.PositionToPixels(QPoint(4, 1)) + QPoint(1, 2));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, w.PositionToPixels(QPoint(4, 1)) + QPoint(1, 2));
  EXPECT_EQ(w.SelectedText(), "alp");
  QTest::mouseDClick(vp, Qt::LeftButton, {}, w.PositionToPixels(QPoint(8, 1)) + QPoint(1, 2));
  EXPECT_EQ(w.SelectedText(), "beta");
  QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(5, 2));  // in the gutter: no click event
  EXPECT_EQ(clicks, 2);
}

TEST(EditControl, LongLinesScrollAndClipboardWorks) {
  Editor e;
  TEditControl& w = e.w;
  std::string big(3 * 1024 * 1024, 'x');
  w.Lines().LoadFromBytes(big);
  EXPECT_GE(w.horizontalScrollBar()->maximum(), 3 * 1024 * 1024 - 100);
  QTest::keyClick(&w, Qt::Key_End);
  EXPECT_EQ(w.CaretColumn(), 3 * 1024 * 1024 + 1);
  (void)w.viewport()->grab();
  QTest::keyClick(&w, Qt::Key_Right);  // past the end is allowed up to the line's length + 1
  EXPECT_EQ(w.CaretColumn(), 3 * 1024 * 1024 + 1);
  QTest::keyClicks(&w, "y");
  EXPECT_EQ(w.Lines()[0].back(), 'y');

  w.Lines().LoadFromBytes("copy me\n");
  w.SetSelectionStart(QPoint(0, 1));
  w.SetSelectionEnd(QPoint(5, 1));
  w.CopyToClipboard();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "copy");
  EXPECT_TRUE(w.CanPaste());
  w.SetCaretXY(8, 1);
  w.PasteFromClipboard();
  EXPECT_EQ(w.Lines()[0], "copy mecopy");
}

TEST(ColorConvert, RgbNoneAndSystemColours) {
  QPalette pal;
  pal.setColor(QPalette::Base, QColor(1, 1, 1));
  pal.setColor(QPalette::Text, QColor(2, 2, 2));
  pal.setColor(QPalette::Button, QColor(3, 3, 3));
  pal.setColor(QPalette::Highlight, QColor(4, 4, 4));
  pal.setColor(QPalette::HighlightedText, QColor(5, 5, 5));
  pal.setColor(QPalette::ButtonText, QColor(6, 6, 6));
  pal.setColor(QPalette::Disabled, QPalette::Text, QColor(7, 7, 7));
  pal.setColor(QPalette::ToolTipBase, QColor(8, 8, 8));
  pal.setColor(QPalette::ToolTipText, QColor(9, 9, 9));
  const QColor none(10, 10, 10);
  EXPECT_EQ(ColorValueToQColor(RGBColor(0x12, 0x34, 0x56), pal, none), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(ColorValueToQColor(0x00563412, pal, none), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(ColorValueToQColor(clNone, pal, none), none);
  const std::pair<int, int> expected[] = {{COLOR_WINDOW, 1},   {COLOR_WINDOWTEXT, 2}, {COLOR_BTNFACE, 3},
                                          {COLOR_HIGHLIGHT, 4}, {COLOR_HIGHLIGHTTEXT, 5}, {COLOR_BTNTEXT, 6},
                                          {COLOR_GRAYTEXT, 7}, {COLOR_INFOBK, 8},      {COLOR_INFOTEXT, 9}};
  for (auto [index, grey] : expected)
    EXPECT_EQ(ColorValueToQColor(SystemColor(index), pal, none), QColor(grey, grey, grey)) << index;
}

TEST(EditControl, WheelScrollsAndDroppedTextIsInserted) {
  Editor e;
  TEditControl& w = e.w;
  std::string text;
  for (int i = 0; i < 200; ++i) text += "line\n";
  w.Lines().LoadFromBytes(text);
  QWidget* vp = w.viewport();
  const QPointF at(40, 10);
  QWheelEvent down(at, vp->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(vp, &down);
  EXPECT_EQ(w.TopLine(), 4);  // three lines per notch
  EXPECT_EQ(w.verticalScrollBar()->value(), 4);

  QMimeData mime;
  mime.setText("dropped ");
  const QPointF target = w.PositionToPixels(QPoint(3, 5)) + QPoint(1, 2);
  QDragEnterEvent enter(target.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(target, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &drop);
  EXPECT_EQ(w.Lines()[4], "lidropped ne");
  w.Undo();
  EXPECT_EQ(w.Lines()[4], "line");

  QMimeData files;  // files dropped on the editor are left to the main window
  files.setUrls({QUrl::fromLocalFile("/tmp/x.asm")});
  QDragEnterEvent fileEnter(target.toPoint(), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &fileEnter);
  EXPECT_FALSE(fileEnter.isAccepted());
}
