#pragma once
// TEditControl: the multi-line text editor widget of every document tab and of the sample in
// the global preferences dialog. A thin widget over the editor core (text, caret, selection,
// undo, marks, search); it paints only what is visible.
//
// This header is the contract the other areas code against. Events are std::function members
// named as the events of the control; assign them like handlers.
#include <QAbstractScrollArea>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "editor/EditLines.h"
#include "editor/EditMarks.h"
#include "editor/EditTypes.h"
#include "highlight/ColorValue.h"

class TEditorModel;

// The font a text is shown in: Family at PointSize where it is installed and of fixed pitch (the
// character grid needs one), else the system's fixed-pitch font at that size.
QFont EditorFont(const QString& family, int pointSize);

class TCustomHighlighter;
class THighlighterAttributes;
class TEditControlPrivate;

struct TGutter {
  int Width = 30;
  bool Visible = true;
  bool AutoSize = false;
  bool ShowLineNumbers = false;
  int DigitCount = 4;
  int LeftOffset = 16;
  int RightOffset = 2;
  bool LeadingZeros = false;
  bool ZeroStart = false;
  bool UseFontStyle = false;
  TColorValue Color = clBtnFace;
};

struct TBookMarkOpt {
  const std::vector<QPixmap>* BookmarkImages = nullptr;  // not owned
  bool DrawBookmarksFirst = true;
  bool EnableKeys = true;
  bool GlyphsVisible = true;
  int LeftMargin = 2;
  int Xoffset = 12;
};

class TEditControl : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TEditControl(QWidget* parent = nullptr);
  ~TEditControl() override;

  // Text
  TEditLines& Lines();
  const TEditLines& Lines() const;
  // Loads a file; a big one shows its first screen at once and reads on while the event loop
  // runs (OnLoadProgress tells how far). Throws EEditFileError.
  void LoadFromFile(const QString& path);

  // Caret, 1-based. Setting the line scrolls the caret into view.
  int CaretColumn() const;
  int CaretLine() const;
  int CaretCharColumn() const;  // counted in characters, as the user sees them
  void SetCaretColumn(int column);
  void SetCaretLine(int line);
  void SetCaretXY(int column, int line);
  int TopLine() const;
  void SetTopLine(int line);
  int LinesInWindow() const;

  // Selection from one point (column, line) to the other; column 0 counts as line start.
  QPoint SelectionStart() const;
  QPoint SelectionEnd() const;
  void SetSelectionStart(QPoint columnLine);
  void SetSelectionEnd(QPoint columnLine);
  bool HasSelection() const;
  QString SelectedText() const;
  TSelectionMode SelectionMode() const;
  void SetSelectionMode(TSelectionMode mode);

  bool InsertMode() const;
  void SetInsertMode(bool value);
  TCaretType InsertCaret() const;
  TCaretType OverwriteCaret() const;

  bool Modified() const;
  void SetModified(bool value);

  // Editing commands
  bool CanUndo() const;
  bool CanRedo() const;
  bool CanPaste() const;
  void Undo();
  void Redo();
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();
  void SelectAll();
  // Runs one editor command as the key table would (ch for ecChar).
  void ExecuteCommand(int command, QChar ch = QChar());
  // Types text at the caret as if it were keyed in (tests, IME).
  void InsertText(const QString& text);

  // Bookmarks and marks
  void SetBookmark(int n, int column, int line);
  void ClearBookmark(int n);
  void GotoBookmark(int n);
  bool GetBookmark(int n, int& column, int& line) const;
  bool HasBookmark(int n) const;
  TEditMarkList& Marks();
  const TEditMarkList& Marks() const;
  TBookMarkOpt& BookMarkOptions();
  void SetBookmarkImages(const std::vector<QPixmap>* images);

  // Appearance
  TGutter& Gutter();
  void SetGutterWidth(int width);
  // Takes all gutter settings at once. With AutoSize and ShowLineNumbers the width follows the
  // line count: LeftOffset, at least DigitCount digits, RightOffset.
  void SetGutter(const TGutter& gutter);
  TCustomHighlighter* Highlighter() const;
  void SetHighlighter(TCustomHighlighter* highlighter);  // not owned; nullptr detaches
  TColorValue Color() const;
  void SetColor(TColorValue color);
  TEditOptions Options() const;
  void SetOptions(TEditOptions options);
  int TabWidth() const;
  void SetTabWidth(int width);
  // Tab and Shift+Tab move the focus on instead of editing (off by default).
  void SetTabMovesFocus(bool value);
  int RightEdge() const;
  void SetRightEdge(int column);
  int MaxUndo() const;
  void SetMaxUndo(int value);
  int MaxLeftChar() const;
  std::vector<TEditKeyStroke>& Keystrokes();
  // The font is the widget's font (setFont); the default asks for "Courier New" and falls back
  // to the desktop's fixed-pitch font where that family is missing.

  // Geometry and queries
  bool AttributeAt(QPoint columnLine, QString& token, THighlighterAttributes*& attribute) const;
  QPoint PositionToPixels(QPoint columnLine) const;  // client coordinates of the text area
  QPoint PixelsToPosition(QPoint pixel) const;
  int LineHeight() const;
  int CharWidth() const;  // rounded; the grid itself uses the font's fractional advance

  // Search and replace; returns the number of occurrences handled.
  int SearchReplace(const QString& search, const QString& replace, TSearchOptions options);

  // The editor core behind the widget (tests and benchmarks drive it directly).
  TEditorModel& Model();
  const TEditorModel& Model() const;

  // Events
  std::function<void(TEditControl*)> OnChange;
  std::function<void(TEditControl*, TStatusChanges)> OnStatusChange;
  std::function<void(TEditControl*, const QString& search, const QString& replace, int line, int column,
                     TReplaceAction& action)>
      OnReplaceText;
  std::function<void(TEditControl*, int command, QChar ch)> OnCommandProcessed;
  std::function<void(TEditControl*)> OnClick;
  // A note for the status bar, e.g. why a typed character was not inserted.
  std::function<void(TEditControl*, const QString& text)> OnStatusMessage;
  // A load read on, or ended: see Lines().Loading(), LoadedBytes() and LoadSize().
  std::function<void(TEditControl*)> OnLoadProgress;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool event(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  std::unique_ptr<TEditControlPrivate> d;
};
