#include "editor/EditControl.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "editor/ColorConvert.h"
#include "editor/EditLinesImpl.h"
#include "editor/EditorModel.h"
#include "editor/ScreenChars.h"
#include "platform/ui/UserDialogs.h"

namespace {
constexpr TColorValue kRightEdgeColor = 0xC0C0C0;
constexpr int kLoadSliceMs = 12;  // reading a big file leaves the event loop this often
constexpr int kGlyphWidth = 14;   // the built-in mark glyphs
// A column block on the clipboard, beside the same text as plain lines.
constexpr char kColumnBlockMime[] = "application/x-kodrill-column-block";

// One character cell run of a painted line.
struct TCellItem {
  int Byte;   // 0-based byte offset
  int Cell;   // 0-based display cell
  int Width;  // cells
  int Len;    // bytes, with the combining marks that follow
  char32_t Glyph;  // 0 for spaces and tabs
  bool Ascii;
  bool Control;  // drawn inverted
};

// Control characters show as a letter on an inverted cell ("@" for NUL, "A" for 1, ...), since
// few fonts carry the control pictures.
char32_t ControlLetter(char32_t cp) {
  if (cp < 0x20) return U'@' + cp;
  if (cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) return U'?';
  return 0;
}

}  // namespace

QFont EditorFont(const QString& family, int pointSize) {
  if (pointSize <= 0) pointSize = 10;
  QFont f(family, pointSize);
  f.setStyleHint(QFont::TypeWriter);
  const QFontInfo info(f);
  if (info.fixedPitch() && info.family() == f.family()) return f;
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSize(pointSize);
  return fixed;
}

class TEditControlPrivate {
 public:
  explicit TEditControlPrivate(TEditControl* owner) : q(owner), Model(owner) {}

  TEditControl* q;
  TEditorModel Model;
  TGutter Gutter;
  TBookMarkOpt BookmarkOpt;
  TColorValue Color = clWindow;
  int RightEdge = 80;
  int LineHeight = 16, Ascent = 12;
  qreal Advance = 8;  // the font's real advance: often not a whole pixel
  QPoint WheelRest;    // wheel deltas not yet worth a line
  QFont Fonts[16];
  QTimer CaretTimer;
  QTimer ScrollTimer;  // keeps scrolling while a selection is dragged beyond the window
  QTimer LoadTimer;    // reads on while a big file loads
  QPoint LastMouse;
  bool CaretOn = true;
  QRect CaretDrawn;  // where the caret was last painted
  bool Selecting = false;
  bool DragPending = false;
  QPoint PressPixel;
  bool DropShown = false;
  bool Shown = false;
  bool TabMovesFocus = false;
  QPoint DropPos;

  int GutterWidth() const { return Gutter.Visible ? Gutter.Width : 0; }
  // Left pixel of a display cell (0-based, counted from the text's start) in the scrolled window.
  int CellX(int cell) const { return GutterWidth() + qRound((cell - Model.LeftChar() + 1) * Advance); }
  void UpdateMetrics();
  void FitGutter();
  void UpdateViewSize();
  void UpdateScrollBars();
  QColor Background() const;
  QColor Foreground() const;
  int MarkAreaRight() const;  // marks stay left of this pixel
  std::size_t MarkSlots() const;
  void PaintGutter(QPainter& p, int line, int y, const std::vector<const TEditMark*>& marks);
  // Paints the part of a line between the pixels Left and Right.
  void PaintLine(QPainter& p, int line, int y, int left, int right);
  QRect CaretRect() const;
  void UpdateCaret();
  // The nearest gap between characters, or (Covering) the character under the pixel.
  QPoint PositionAt(QPointF pixel, bool covering = false) const;
  void OfferDrop(QDropEvent* event);
  template <class F>
  void Guard(F&& f);
};

template <class F>
void TEditControlPrivate::Guard(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    ShowErrorBox(q, QString::fromUtf8(e.what()));
  }
}

void TEditControlPrivate::UpdateMetrics() {
  const QFont base = q->font();
  for (int s = 0; s < 16; ++s) Fonts[s] = FontWithStyle(base, static_cast<TFontStyles>(s));
  const QFontMetrics fm(base);
  LineHeight = std::max(1, fm.height());
  Advance = std::max<qreal>(1, QFontMetricsF(base).horizontalAdvance(QLatin1Char('M')));
  Ascent = fm.ascent();
  FitGutter();
  UpdateViewSize();
}

void TEditControlPrivate::FitGutter() {
  if (!Gutter.AutoSize || !Gutter.ShowLineNumbers) return;
  int digits = 1;
  for (int n = Model.LineCount(); n >= 10; n /= 10) ++digits;
  const int width = Gutter.LeftOffset + static_cast<int>(std::ceil(std::max(digits, Gutter.DigitCount) * Advance)) +
                    Gutter.RightOffset;
  if (width == Gutter.Width) return;
  Gutter.Width = width;
  UpdateViewSize();
  q->viewport()->update();
}

void TEditControlPrivate::UpdateViewSize() {
  const QSize s = q->viewport()->size();
  Model.SetViewSize(s.height() / LineHeight, std::max(1, static_cast<int>((s.width() - GutterWidth()) / Advance)));
  UpdateScrollBars();
}

void TEditControlPrivate::UpdateScrollBars() {
  QScrollBar* v = q->verticalScrollBar();
  QScrollBar* h = q->horizontalScrollBar();
  const QSignalBlocker bv(v), bh(h);
  const int maxTop = (Model.Options() & eoScrollPastEof) ? Model.LineCount()
                                                           : std::max(1, Model.LineCount() - Model.LinesInWindow() + 1);
  v->setRange(1, maxTop);
  v->setPageStep(Model.LinesInWindow());
  v->setValue(Model.TopLine());
  h->setRange(1, std::max(1, Model.MaxScrollWidth() - Model.CharsInWindow() + 1));
  h->setPageStep(Model.CharsInWindow());
  h->setValue(Model.LeftChar());
}

QColor TEditControlPrivate::Background() const {
  const QPalette& pal = q->palette();
  if (TCustomHighlighter* hl = Model.Highlighter())
    if (THighlighterAttributes* ws = hl->DefaultAttribute(4); ws && ws->Background() != clNone)
      return ColorValueToQColor(ws->Background(), pal, pal.color(QPalette::Base));
  return ColorValueToQColor(Color, pal, pal.color(QPalette::Base));
}

QRect TEditControlPrivate::CaretRect() const {
  const QPoint pos = Model.Caret();
  const QPoint px = q->PositionToPixels(pos);
  if (Model.InsertMode()) return QRect(px.x(), px.y(), 2, LineHeight);
  const int cell = Model.CellOfColumn(pos.y(), pos.x());
  return QRect(px.x(), px.y(), CellX(cell + 1) - CellX(cell), LineHeight);
}

void TEditControlPrivate::UpdateCaret() {
  // Where it was drawn and where it is now: a moved caret leaves nothing behind.
  q->viewport()->update(CaretDrawn);
  q->viewport()->update(CaretRect());
}

QColor TEditControlPrivate::Foreground() const { return q->palette().color(QPalette::Text); }

QPoint TEditControlPrivate::PositionAt(QPointF pixel, bool covering) const {
  const int line = Model.TopLine() + static_cast<int>(std::floor(pixel.y() / LineHeight));
  const int y = std::clamp(line, 1, Model.LineCount());
  const qreal x = (pixel.x() - GutterWidth()) / Advance + Model.LeftChar() - 1;  // in cells
  const int column = Model.ColumnOfCell(y, std::max(0, static_cast<int>(std::floor(x))), true);
  if (covering) return QPoint(column, y);
  // The gap after the character from its middle on, however many cells it takes.
  const int start = Model.CellOfColumn(y, column), next = Model.NextCharColumn(y, column);
  return QPoint(x >= (start + Model.CellOfColumn(y, next)) / 2.0 ? next : column, y);
}

int TEditControlPrivate::MarkAreaRight() const {
  return Gutter.ShowLineNumbers ? std::min(Gutter.LeftOffset, Gutter.Width) : Gutter.Width;
}

std::size_t TEditControlPrivate::MarkSlots() const {
  // Marks start Xoffset apart; how many of them fit is settled when they are drawn.
  const int room = MarkAreaRight() - BookmarkOpt.LeftMargin;
  if (room <= 0) return 0;
  return BookmarkOpt.Xoffset > 0 ? static_cast<std::size_t>((room - 1) / BookmarkOpt.Xoffset + 1) : 1;
}

void TEditControlPrivate::PaintGutter(QPainter& p, int line, int y, const std::vector<const TEditMark*>& marks) {
  if (Gutter.ShowLineNumbers) {
    const int n = Gutter.ZeroStart ? line - 1 : line;
    QString text = QString::number(n);
    if (Gutter.LeadingZeros) text = text.rightJustified(Gutter.DigitCount, QLatin1Char('0'));
    p.setFont(Fonts[0]);
    p.setPen(q->palette().color(QPalette::ButtonText));
    p.drawText(QRect(Gutter.LeftOffset, y, Gutter.Width - Gutter.LeftOffset - Gutter.RightOffset, LineHeight),
               Qt::AlignRight | Qt::AlignVCenter, text);
  }
  int x = BookmarkOpt.LeftMargin;
  const int top = y + (LineHeight - 16) / 2;
  const auto* images = BookmarkOpt.BookmarkImages;
  for (const TEditMark* m : marks) {
    const QPixmap* image =
        !m->InternalImage && images && m->ImageIndex >= 0 && m->ImageIndex < static_cast<int>(images->size())
            ? &(*images)[static_cast<std::size_t>(m->ImageIndex)]
            : nullptr;
    // Never over the line numbers or the text.
    if (x + (image ? static_cast<int>(std::ceil(image->deviceIndependentSize().width())) : kGlyphWidth) > MarkAreaRight()) break;
    if (image) {
      p.drawPixmap(x, top, *image);
    } else if (m->IsBookmark()) {
      const QRect r(x, top + 1, 12, 14);
      p.fillRect(r, QColor(0xFF, 0xE0, 0x40));
      p.setPen(Qt::black);
      p.drawRect(r.adjusted(0, 0, -1, -1));
      QFont f = Fonts[0];
      f.setPixelSize(10);
      p.setFont(f);
      p.drawText(r, Qt::AlignCenter, QString::number(m->BookmarkNumber));
    } else {
      p.setBrush(QColor(0xC0, 0x30, 0x30));
      p.setPen(Qt::NoPen);
      p.drawEllipse(QRect(x + 2, top + 3, 10, 10));
      p.setBrush(Qt::NoBrush);
    }
    x += BookmarkOpt.Xoffset;
  }
}

void TEditControlPrivate::PaintLine(QPainter& p, int line, int y, int left, int right) {
  const std::string_view s = Model.LineBytes(line);
  const int tab = Model.TabWidth();
  const qreal x0 = GutterWidth() - (Model.LeftChar() - 1) * Advance;  // text runs start on the real grid
  // The cells that reach the pixels, with one more on each side for glyphs that overhang.
  const int firstCell = std::max(Model.LeftChar() - 1, static_cast<int>(std::floor((left - x0) / Advance)) - 1);
  const int lastCell = static_cast<int>(std::ceil((right - x0) / Advance)) + 1;
  const QColor bg = Background(), fg = Foreground();
  const QPalette& pal = q->palette();
  const QColor selBg = ColorValueToQColor(clHighlight, pal, pal.color(QPalette::Highlight));
  const QColor selFg = ColorValueToQColor(clHighlightText, pal, pal.color(QPalette::HighlightedText));

  // Lay out only the visible characters; the walk to them counts cells.
  std::vector<TCellItem> items;
  const TTextEncoding encoding = Model.Lines().Encoding();
  int cell = 0;
  std::size_t i = 0;
  while (i < s.size() && cell < lastCell) {
    if (const auto b = static_cast<unsigned char>(s[i]); cell < firstCell && b >= 0x20 && b < 0x7F) {
      ++cell;  // plain ASCII left of the window: only counted (a mark after it takes no cell)
      ++i;
      continue;
    }
    const ScreenChars::TScreenChar ch = ScreenChars::At(s, i, encoding, cell, tab);
    if (ch.Width > 0 && cell + ch.Width > firstCell) {
      char32_t cp;
      EditText::DecodeChar(s, i, encoding, cp);
      const bool blank = (cp == '\t' || cp == ' ') && ch.Len == 1;  // a blank's marks are drawn
      const char32_t control = ControlLetter(cp);
      items.push_back({static_cast<int>(i), cell, ch.Width, static_cast<int>(ch.Len),
                       blank ? 0 : (control ? control : cp), !control && cp < 0x80 && ch.Len == 1, control != 0});
    }
    cell += ch.Width;
    i += ch.Len;
  }
  const int endCell = cell;

  int selStart = 0, selEnd = 0;
  bool toEnd = false;
  const bool hasSel = Model.LineSelection(line, selStart, selEnd, toEnd);
  auto selected = [&](int byte) { return hasSel && byte + 1 >= selStart && byte + 1 < selEnd; };

  // Attributes of the items from the highlighter's tokens.
  std::vector<const THighlighterAttributes*> attrs(items.size(), nullptr);
  if (TCustomHighlighter* hl = Model.Highlighter(); hl && !items.empty()) {
    Model.StartLine(line);
    std::size_t k = 0;
    const int lastByte = items.back().Byte;
    while (!hl->AtEndOfLine() && k < items.size()) {
      const int ts = hl->TokenStart();
      if (ts > lastByte) break;
      const int te = ts + static_cast<int>(hl->TokenText().size());
      if (te > items[k].Byte) {
        const THighlighterAttributes* a = hl->TokenAttribute();
        while (k < items.size() && items[k].Byte < te) {
          if (items[k].Byte >= ts) attrs[k] = a;
          ++k;
        }
      }
      hl->Next();
    }
  }

  // Backgrounds, then text in runs of equal colour and style.
  for (std::size_t k = 0; k < items.size(); ++k) {
    const TCellItem& it = items[k];
    QColor b = bg;
    if (selected(it.Byte)) b = selBg;
    else if (attrs[k] && attrs[k]->Background() != clNone) b = ColorValueToQColor(attrs[k]->Background(), pal, bg);
    if (b != bg) p.fillRect(QRect(QPoint(CellX(it.Cell), y), QPoint(CellX(it.Cell + it.Width) - 1, y + LineHeight - 1)), b);
  }
  // Selection past the line's end (line breaks, column blocks, virtual space).
  if (hasSel) {
    const int len = static_cast<int>(s.size());
    int from = std::max(selStart, len + 1), to = selEnd;
    if (toEnd) to = std::max(to, from + 1);
    if (to > from) {
      const int c1 = endCell + (from - len - 1), c2 = endCell + (to - len - 1);
      if (c2 > firstCell && c1 < lastCell)
        p.fillRect(QRect(QPoint(CellX(c1), y), QPoint(CellX(c2) - 1, y + LineHeight - 1)), selBg);
    }
  }
  QString run;
  int runCell = 0;
  QColor runColor;
  int runStyle = -1;
  auto flush = [&] {
    if (run.isEmpty()) return;
    p.setFont(Fonts[runStyle]);
    p.setPen(runColor);
    p.drawText(QPointF(x0 + runCell * Advance, y + Ascent), run);
    run.clear();
  };
  for (std::size_t k = 0; k < items.size(); ++k) {
    const TCellItem& it = items[k];
    if (!it.Glyph) {
      flush();
      continue;
    }
    QColor c = fg;
    int style = 0;
    if (const THighlighterAttributes* a = attrs[k]) {
      c = ColorValueToQColor(a->Foreground(), pal, fg);
      style = a->Style() & 15;
    }
    if (it.Glyph == U' ') c = fg;  // marks on a blank: not in the blank's colour, which may be the background
    if (selected(it.Byte)) c = selFg;
    if (it.Control) {
      flush();
      // In the editor's own colours: a token colour may equal the background (spaces).
      p.fillRect(QRect(QPoint(CellX(it.Cell), y + 1), QPoint(CellX(it.Cell + 1) - 1, y + LineHeight - 2)),
                 selected(it.Byte) ? selFg : fg);
      p.setFont(Fonts[0]);
      p.setPen(selected(it.Byte) ? selBg : bg);
      p.drawText(QPointF(x0 + it.Cell * Advance, y + Ascent), QString(QChar(static_cast<char16_t>(it.Glyph))));
      continue;
    }
    if (!it.Ascii) {
      // Glyphs from other fonts may be wider: each gets its own cells, with its marks.
      flush();
      p.setFont(Fonts[style]);
      p.setPen(c);
      QString glyphs =
          EditText::DecodeBytes(s.substr(static_cast<std::size_t>(it.Byte), static_cast<std::size_t>(it.Len)), encoding);
      // A letter and its marks as one character where there is one: not every font places a mark.
      if (glyphs.size() > 1) glyphs = glyphs.normalized(QString::NormalizationForm_C);
      p.drawText(QPointF(x0 + it.Cell * Advance, y + Ascent), glyphs);
      continue;
    }
    if (!run.isEmpty() && (c != runColor || style != runStyle || it.Cell != runCell + run.size())) flush();
    if (run.isEmpty()) {
      runCell = it.Cell;
      runColor = c;
      runStyle = style;
    }
    run += QChar(static_cast<char16_t>(it.Glyph));
  }
  flush();
}

// ---- TEditControl ----

TEditControl::TEditControl(QWidget* parent) : QAbstractScrollArea(parent), d(std::make_unique<TEditControlPrivate>(this)) {
  setFont(EditorFont(QStringLiteral("Courier New"), 10));
  setFrameShape(QFrame::StyledPanel);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setAcceptDrops(true);
  d->UpdateMetrics();

  TEditorModel& m = d->Model;
  m.OnStatus = [this](TStatusChanges r) {
    if (r & (scAll | scTopLine | scLeftChar | scModified)) d->UpdateScrollBars();
    if (r & (scCaretX | scCaretY)) {
      d->CaretOn = true;
      if (hasFocus()) d->CaretTimer.start();
      d->UpdateCaret();
    }
    if (OnStatusChange) OnStatusChange(this, r);
  };
  m.OnTextChanged = [this] {
    d->FitGutter();  // one more digit, one less
    d->UpdateScrollBars();
    if (OnChange) OnChange(this);
  };
  m.OnInvalidateAll = [this] { viewport()->update(); };
  m.OnInvalidateLines = [this](int first, int last) {
    const int top = d->Model.TopLine();
    const int lh = d->LineHeight;
    const int h = viewport()->height();
    const int y1 = std::max(0, (first - top) * lh);
    const int y2 = last < 0 ? h : std::min(h, (last - top + 1) * lh);
    if (y2 > y1) viewport()->update(0, y1, viewport()->width(), y2 - y1);
  };
  m.GetClipboard = [](bool& columnBlock) {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    columnBlock = mime && mime->hasFormat(kColumnBlockMime);
    if (columnBlock) return QString::fromUtf8(mime->data(kColumnBlockMime));
    return mime ? mime->text() : QString();
  };
  m.SetClipboard = [](const QString& t, bool columnBlock) {
    // Other programs take the plain text; this editor pastes its own block format as a block.
    auto* mime = new QMimeData;
    mime->setText(t);
    if (columnBlock) mime->setData(kColumnBlockMime, t.toUtf8());
    QGuiApplication::clipboard()->setMimeData(mime);
  };
  m.OnCommandProcessed = [this](int command, QChar ch) {
    if (OnCommandProcessed) OnCommandProcessed(this, command, ch);
  };
  m.OnStatusMessage = [this](const QString& text) {
    if (OnStatusMessage) OnStatusMessage(this, text);
  };
  m.OnLoadProgress = [this] {
    d->FitGutter();
    d->UpdateScrollBars();
    if (!d->Model.Lines().Loading()) d->LoadTimer.stop();
    if (OnLoadProgress) OnLoadProgress(this);
  };
  m.OnReplaceText = [this](const QString& s, const QString& r, int line, int column, TReplaceAction& action) {
    if (OnReplaceText) OnReplaceText(this, s, r, line, column, action);
  };

  d->ScrollTimer.setInterval(50);
  QObject::connect(&d->ScrollTimer, &QTimer::timeout, this, [this] {
    TEditorModel& model = d->Model;
    const QPoint pixel = d->LastMouse;
    if (pixel.y() >= 0 && pixel.y() < viewport()->height()) {
      d->ScrollTimer.stop();
      return;
    }
    d->Guard([&] {
      model.SetTopLine(model.TopLine() + (pixel.y() < 0 ? -1 : 1));
      model.MoveCaretKeepSelection(d->PositionAt(pixel));
    });
  });
  QObject::connect(&d->LoadTimer, &QTimer::timeout, this,
                   [this] { d->Guard([this] { d->Model.Lines().ContinueLoad(kLoadSliceMs); }); });
  d->CaretTimer.setInterval(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 500);
  QObject::connect(&d->CaretTimer, &QTimer::timeout, this, [this] {
    d->CaretOn = !d->CaretOn;
    d->UpdateCaret();
  });
}

TEditControl::~TEditControl() {
  d->Model.OnStatus = nullptr;
  d->Model.OnTextChanged = nullptr;
  d->Model.OnInvalidateAll = nullptr;
  d->Model.OnInvalidateLines = nullptr;
  d->Model.OnLoadProgress = nullptr;
}

TEditorModel& TEditControl::Model() { return d->Model; }
const TEditorModel& TEditControl::Model() const { return d->Model; }

TEditLines& TEditControl::Lines() { return d->Model.Lines(); }
const TEditLines& TEditControl::Lines() const { return d->Model.Lines(); }

void TEditControl::LoadFromFile(const QString& path) {
  d->Model.Lines().StartLoad(path);
  if (d->Model.Lines().Loading()) d->LoadTimer.start();
  else d->LoadTimer.stop();
  if (OnLoadProgress) OnLoadProgress(this);
}

int TEditControl::CaretColumn() const { return d->Model.CaretX(); }
int TEditControl::CaretLine() const { return d->Model.CaretY(); }
int TEditControl::CaretCharColumn() const { return d->Model.CharColumn(d->Model.CaretY(), d->Model.CaretX()); }
void TEditControl::SetCaretColumn(int column) { d->Model.SetCaretXY(column, d->Model.CaretY()); }
void TEditControl::SetCaretLine(int line) { d->Model.SetCaretXY(d->Model.CaretX(), line); }
void TEditControl::SetCaretXY(int column, int line) { d->Model.SetCaretXY(column, line); }
int TEditControl::TopLine() const { return d->Model.TopLine(); }
void TEditControl::SetTopLine(int line) { d->Model.SetTopLine(line); }
int TEditControl::LinesInWindow() const { return d->Model.LinesInWindow(); }

QPoint TEditControl::SelectionStart() const { return d->Model.BlockBegin(); }
QPoint TEditControl::SelectionEnd() const { return d->Model.BlockEnd(); }
void TEditControl::SetSelectionStart(QPoint p) { d->Model.SetSelBegin(QPoint(std::max(1, p.x()), p.y())); }
void TEditControl::SetSelectionEnd(QPoint p) { d->Model.SetSelEnd(QPoint(std::max(1, p.x()), p.y())); }
bool TEditControl::HasSelection() const { return d->Model.HasSelection(); }
QString TEditControl::SelectedText() const { return d->Model.SelectedText(); }
TSelectionMode TEditControl::SelectionMode() const { return d->Model.SelectionMode(); }
void TEditControl::SetSelectionMode(TSelectionMode mode) { d->Model.SetSelectionMode(mode); }

bool TEditControl::InsertMode() const { return d->Model.InsertMode(); }
void TEditControl::SetInsertMode(bool value) { d->Model.SetInsertMode(value); }
TCaretType TEditControl::InsertCaret() const { return TCaretType::ctVerticalLine; }
TCaretType TEditControl::OverwriteCaret() const { return TCaretType::ctBlock; }

bool TEditControl::Modified() const { return d->Model.Modified(); }
void TEditControl::SetModified(bool value) { d->Model.SetModified(value); }

bool TEditControl::CanUndo() const { return d->Model.CanUndo(); }
bool TEditControl::CanRedo() const { return d->Model.CanRedo(); }
bool TEditControl::CanPaste() const {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  return mime && ((mime->hasText() && !mime->text().isEmpty()) || !mime->data(kColumnBlockMime).isEmpty());
}
void TEditControl::Undo() { d->Model.Undo(); }
void TEditControl::Redo() { d->Model.Redo(); }
void TEditControl::CutToClipboard() { d->Model.ExecuteCommand(ecCut); }
void TEditControl::CopyToClipboard() { d->Model.ExecuteCommand(ecCopy); }
void TEditControl::PasteFromClipboard() { d->Model.ExecuteCommand(ecPaste); }
void TEditControl::SelectAll() { d->Model.ExecuteCommand(ecSelectAll); }
void TEditControl::ExecuteCommand(int command, QChar ch) { d->Model.ExecuteCommand(command, ch); }
void TEditControl::InsertText(const QString& text) { d->Model.InsertText(text); }

void TEditControl::SetBookmark(int n, int column, int line) { d->Model.SetBookmark(n, column, line); }
void TEditControl::ClearBookmark(int n) { d->Model.ClearBookmark(n); }
void TEditControl::GotoBookmark(int n) { d->Model.GotoBookmark(n); }
bool TEditControl::GetBookmark(int n, int& column, int& line) const { return d->Model.GetBookmark(n, column, line); }
bool TEditControl::HasBookmark(int n) const {
  int c, l;
  return d->Model.GetBookmark(n, c, l);
}
TEditMarkList& TEditControl::Marks() { return d->Model.Marks(); }
const TEditMarkList& TEditControl::Marks() const { return d->Model.Marks(); }
TBookMarkOpt& TEditControl::BookMarkOptions() { return d->BookmarkOpt; }

void TEditControl::SetBookmarkImages(const std::vector<QPixmap>* images) {
  d->BookmarkOpt.BookmarkImages = images;
  d->Model.BookmarkImagesSet = images != nullptr;
  viewport()->update();
}

TGutter& TEditControl::Gutter() { return d->Gutter; }
void TEditControl::SetGutterWidth(int width) {
  d->Gutter.Width = std::max(0, width);
  d->UpdateViewSize();
  viewport()->update();
}
void TEditControl::SetGutter(const TGutter& gutter) {
  d->Gutter = gutter;
  d->FitGutter();
  SetGutterWidth(d->Gutter.Width);
}
TCustomHighlighter* TEditControl::Highlighter() const { return d->Model.Highlighter(); }
void TEditControl::SetHighlighter(TCustomHighlighter* highlighter) { d->Model.SetHighlighter(highlighter); }
TColorValue TEditControl::Color() const { return d->Color; }
void TEditControl::SetColor(TColorValue color) {
  d->Color = color;
  viewport()->update();
}
TEditOptions TEditControl::Options() const { return d->Model.Options(); }
void TEditControl::SetOptions(TEditOptions options) {
  d->Model.SetOptions(options);
  d->UpdateScrollBars();
}
void TEditControl::SetTabMovesFocus(bool value) { d->TabMovesFocus = value; }
int TEditControl::TabWidth() const { return d->Model.TabWidth(); }
void TEditControl::SetTabWidth(int width) { d->Model.SetTabWidth(width); }
int TEditControl::RightEdge() const { return d->RightEdge; }
void TEditControl::SetRightEdge(int column) {
  d->RightEdge = column;
  viewport()->update();
}
int TEditControl::MaxUndo() const { return d->Model.MaxUndo(); }
void TEditControl::SetMaxUndo(int value) { d->Model.SetMaxUndo(value); }
int TEditControl::MaxLeftChar() const { return d->Model.MaxLeftChar(); }
std::vector<TEditKeyStroke>& TEditControl::Keystrokes() { return d->Model.Keystrokes(); }

bool TEditControl::AttributeAt(QPoint columnLine, QString& token, THighlighterAttributes*& attribute) const {
  return d->Model.AttributeAt(columnLine, token, attribute);
}

QPoint TEditControl::PositionToPixels(QPoint columnLine) const {
  const int line = std::clamp(columnLine.y(), 1, d->Model.LineCount());
  const int cell = d->Model.CellOfColumn(line, std::max(1, columnLine.x()));
  return QPoint(d->CellX(cell), (columnLine.y() - d->Model.TopLine()) * d->LineHeight);
}

QPoint TEditControl::PixelsToPosition(QPoint pixel) const { return d->PositionAt(pixel); }
int TEditControl::LineHeight() const { return d->LineHeight; }
int TEditControl::CharWidth() const { return qRound(d->Advance); }

int TEditControl::SearchReplace(const QString& search, const QString& replace, TSearchOptions options) {
  return d->Model.SearchReplace(search, replace, options);
}

// ---- painting ----

void TEditControl::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  const QRect r = event->rect();
  const int lh = d->LineHeight;
  const int gw = d->GutterWidth();
  const QPalette& pal = palette();
  const TEditorModel& m = d->Model;
  const int first = m.TopLine() + std::max(0, r.top()) / lh;
  const int last = std::min(m.TopLine() + r.bottom() / lh, m.LineCount());  // an empty text has line 1
  p.fillRect(QRect(gw, r.top(), viewport()->width() - gw, r.height()), d->Background());
  const bool gutter = gw > 0 && r.left() < gw;  // not when only text right of it changed
  std::vector<std::vector<const TEditMark*>> marks;
  if (gutter) {
    p.fillRect(QRect(0, r.top(), gw, r.height()), ColorValueToQColor(d->Gutter.Color, pal, pal.color(QPalette::Button)));
    marks = m.Marks().Shown(first, last, d->MarkSlots(), d->BookmarkOpt.DrawBookmarksFirst,
                            d->BookmarkOpt.GlyphsVisible);
  }
  for (int line = first; line <= last; ++line) {
    const int y = (line - m.TopLine()) * lh;
    p.setClipRect(QRect(gw, y, viewport()->width() - gw, lh));
    d->PaintLine(p, line, y, r.left(), r.right() + 1);
    p.setClipping(false);
    if (gutter) d->PaintGutter(p, line, y, marks[static_cast<std::size_t>(line - first)]);
  }
  // The right edge.
  if (d->RightEdge > 0) {
    const int x = d->CellX(d->RightEdge);
    if (x > gw) {
      p.setPen(ColorValueToQColor(kRightEdgeColor, pal, Qt::lightGray));
      p.drawLine(x, r.top(), x, r.bottom());
    }
  }
  // The caret: a bar in insert mode, a block in overwrite mode.
  if (hasFocus() && d->CaretOn && !(m.Options() & eoNoCaret)) {
    const QRect caret = d->CaretRect();
    if (caret.left() >= gw) {
      if (m.InsertMode()) {
        p.fillRect(caret, d->Foreground());
      } else {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(caret, Qt::white);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      }
      d->CaretDrawn = caret;
    }
  }
  if (d->DropShown) p.fillRect(QRect(PositionToPixels(d->DropPos), QSize(2, lh)), d->Foreground());
}

void TEditControl::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  d->UpdateViewSize();
}

void TEditControl::scrollContentsBy(int, int) {
  d->Guard([this] {  // from a scroll bar's own events
    d->Model.SetTopLine(verticalScrollBar()->value());
    d->Model.SetLeftChar(horizontalScrollBar()->value());
  });
  viewport()->update();
}

void TEditControl::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    d->UpdateMetrics();
    viewport()->update();
  }
}

// ---- keyboard ----

bool TEditControl::event(QEvent* event) {
  if (event->type() == QEvent::Show && !d->Shown) {
    d->Shown = true;
    if (OnStatusChange) OnStatusChange(this, scAll);
  }
  // Any handler may need lines not read yet, and the read may fail: that is told, never thrown
  // into the toolkit.
  bool done = false;
  d->Guard([&] {
    // Tab and Shift+Tab edit the text instead of moving the focus, unless told otherwise.
    if (event->type() == QEvent::KeyPress && !d->TabMovesFocus) {
      auto* ke = static_cast<QKeyEvent*>(event);
      if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
        keyPressEvent(ke);
        done = true;
        return;
      }
    }
    done = QAbstractScrollArea::event(event);
  });
  return done;
}

bool TEditControl::viewportEvent(QEvent* event) {
  bool done = false;
  d->Guard([&] { done = QAbstractScrollArea::viewportEvent(event); });
  return done;
}

void TEditControl::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  int key = event->key();
  if (key == Qt::Key_Enter) key = Qt::Key_Return;
  int command = d->Model.FindCommand(key | static_cast<int>(mods));
  if (command == ecNone && (mods & Qt::ControlModifier) && (mods & Qt::ShiftModifier)) {
    // Shift turns the digit keys into symbols on most layouts; find the digit by its key position.
    const quint32 sc = event->nativeScanCode();
    int digit = -1;
    if (QGuiApplication::platformName() == QLatin1String("xcb") && sc >= 10 && sc <= 19) digit = (sc - 9) % 10;
    else if (QGuiApplication::platformName() == QLatin1String("windows") && sc >= 2 && sc <= 11) digit = (sc - 1) % 10;
    if (digit >= 0) command = d->Model.FindCommand((Qt::Key_0 + digit) | static_cast<int>(mods));
  }
  if (command != ecNone) {
    d->Model.ExecuteCommand(command);
    event->accept();
    return;
  }
  const QString text = event->text();
  const bool ctrlOnly = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
  if (!text.isEmpty() && !ctrlOnly && text[0].unicode() >= 0x20 && text[0].unicode() != 0x7F) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text[i].isHighSurrogate() && i + 1 < text.size()) {
        d->Model.InsertText(text.mid(i, 2));
        if (OnCommandProcessed) OnCommandProcessed(this, ecChar, text[i]);
        ++i;
      } else {
        d->Model.ExecuteCommand(ecChar, text[i]);
      }
    }
    event->accept();
    return;
  }
  event->ignore();
}

QVariant TEditControl::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImCursorRectangle)
    return QRect(PositionToPixels(d->Model.Caret()) + viewport()->pos(), QSize(1, d->LineHeight));
  if (query == Qt::ImFont) return font();
  return QAbstractScrollArea::inputMethodQuery(query);
}

void TEditControl::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty()) d->Model.InsertText(event->commitString());
  event->accept();
}

// ---- mouse ----

void TEditControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const QPoint pos = d->PositionAt(event->position());
  TEditorModel& m = d->Model;
  int s, e;
  bool toEnd;
  // A drag takes the selection only when the press hit one of its characters.
  const QPoint hit = d->PositionAt(event->position(), true);
  const bool onSelection = m.LineSelection(hit.y(), s, e, toEnd) && hit.x() >= s && hit.x() < e;
  m.BreakUndoChain();
  if (onSelection && (m.Options() & eoDragDropEditing) && !(event->modifiers() & Qt::ShiftModifier)) {
    d->DragPending = true;
    d->PressPixel = event->position().toPoint();
    return;
  }
  if (event->modifiers() & Qt::ShiftModifier) {
    m.MoveCaretKeepSelection(pos);
  } else {
    if ((event->modifiers() & Qt::AltModifier) && (m.Options() & eoAltSetsColumnMode))
      m.SetSelectionMode(TSelectionMode::smColumn);
    m.SetCaretXY(pos.x(), pos.y());
  }
  d->Selecting = true;
}

void TEditControl::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pixel = event->position().toPoint();
  if (d->DragPending && (pixel - d->PressPixel).manhattanLength() >= QApplication::startDragDistance()) {
    d->DragPending = false;
    auto* mime = new QMimeData;
    mime->setText(d->Model.ClipboardText());
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    // A move into this editor is done by its drop handler; a move elsewhere removes the text here.
    if (drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction) == Qt::MoveAction && d->Model.HasSelection())
      d->Model.InsertText(QString());
    return;
  }
  if (!d->Selecting) return;
  d->LastMouse = pixel;
  d->Model.MoveCaretKeepSelection(d->PositionAt(event->position()));
  const bool outside = pixel.y() < 0 || pixel.y() >= viewport()->height();
  if (outside && !d->ScrollTimer.isActive()) d->ScrollTimer.start();
  else if (!outside) d->ScrollTimer.stop();
}

void TEditControl::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (d->DragPending) {
    d->DragPending = false;
    const QPoint pos = d->PositionAt(event->position());
    d->Model.SetCaretXY(pos.x(), pos.y());
  }
  d->Selecting = false;
  d->ScrollTimer.stop();
  if (OnClick && event->position().x() >= d->GutterWidth()) OnClick(this);
}

void TEditControl::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  d->Model.SelectWordAt(d->PositionAt(event->position(), true));
  d->Selecting = false;
}

void TEditControl::wheelEvent(QWheelEvent* event) {
  // Three lines per notch of 120; touchpads send small deltas that must add up.
  QPoint& rest = d->WheelRest;
  rest += event->angleDelta();
  const int steps = rest.y() / 40, hsteps = rest.x() / 40;
  rest -= QPoint(hsteps * 40, steps * 40);
  if (steps != 0) d->Model.SetTopLine(d->Model.TopLine() - steps);
  if (hsteps != 0) d->Model.SetLeftChar(d->Model.LeftChar() - hsteps);
  event->accept();
}

void TEditControl::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  d->CaretOn = true;
  d->CaretTimer.start();
  viewport()->update();
}

void TEditControl::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  d->CaretTimer.stop();
  viewport()->update();
}

// ---- drag and drop ----

void TEditControl::dragEnterEvent(QDragEnterEvent* event) {
  // Dropped files belong to the main window unless the editor takes them.
  if (event->mimeData()->hasUrls() && !(d->Model.Options() & eoDropFiles)) {
    event->ignore();
    return;
  }
  if (event->mimeData()->hasText() && (d->Model.Options() & eoDragDropEditing)) d->OfferDrop(event);
  else event->ignore();
}

void TEditControl::dragMoveEvent(QDragMoveEvent* event) {
  d->DropPos = d->PositionAt(event->position());
  d->DropShown = true;
  viewport()->update();
  d->OfferDrop(event);
}

void TEditControlPrivate::OfferDrop(QDropEvent* event) {
  // Text the file cannot hold is refused at the drop: meanwhile only a copy is offered, so that
  // the program it comes from never takes the drag for a move and deletes it.
  if (event->source() == q || Model.Lines().UnencodableAt(event->mimeData()->text()) < 0) {
    event->acceptProposedAction();
  } else if (event->possibleActions() & Qt::CopyAction) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void TEditControl::dropEvent(QDropEvent* event) {
  d->DropShown = false;
  const QPoint pos = d->PositionAt(event->position());
  if (event->source() == this && d->Model.HasSelection()) {
    const bool copy = event->dropAction() == Qt::CopyAction || (event->modifiers() & Qt::ControlModifier);
    d->Model.MoveSelectionTo(pos, copy);
    event->setDropAction(copy ? Qt::CopyAction : Qt::IgnoreAction);  // the source deletes nothing itself
    event->accept();
  } else {
    d->Model.SetCaretXY(pos.x(), pos.y());
    // Refused text (the file's encoding cannot hold it) is no move: the source must keep it.
    if (d->Model.InsertText(event->mimeData()->text())) event->acceptProposedAction();
    else event->ignore();
  }
  viewport()->update();
}

void TEditControl::dragLeaveEvent(QDragLeaveEvent* event) {
  d->DropShown = false;
  viewport()->update();
  event->accept();
}
