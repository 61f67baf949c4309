#pragma once
// Gutter marks and the mark list. Marks follow inserted and deleted lines.
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TEditControl;

class TEditMark {
 public:
  explicit TEditMark(TEditControl* editor = nullptr) : FEditor(editor), FId(++LastId) {}
  virtual ~TEditMark() = default;
  TEditMark(const TEditMark&) = delete;
  TEditMark& operator=(const TEditMark&) = delete;

  int Line = 1;              // 1-based
  int Column = 1;            // 1-based
  int ImageIndex = -1;       // index into the bookmark image list; -1: no image
  int BookmarkNumber = -1;   // 0..9 for bookmarks, -1 otherwise
  int Priority = 0;          // a line with more marks than the gutter holds shows the highest
  bool Visible = true;
  bool InternalImage = false;  // true: draw a built-in glyph instead of the image list

  bool IsBookmark() const { return BookmarkNumber >= 0; }
  TEditControl* Editor() const { return FEditor; }
  // Never reused: the undo history names marks by it, and a mark may go before its step is undone.
  std::uint64_t Id() const { return FId; }

 private:
  inline static std::uint64_t LastId = 0;
  TEditControl* FEditor;
  std::uint64_t FId;
};

// Where a mark was.
struct TMarkPlace {
  std::uint64_t Id;
  int Line;
};

// All marks in insertion order; owns them.
class TEditMarkList {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TEditMark* operator[](int index) const { return FItems[static_cast<size_t>(index)].get(); }
  TEditMark* Items(int index) const { return (*this)[index]; }
  void Add(TEditMark* mark);       // takes ownership; notifies (the editor repaints the gutter)
  void Add(std::unique_ptr<TEditMark> mark);
  void Delete(int index);          // destroys the mark
  int IndexOf(const TEditMark* mark) const;
  void Clear();

  // What a gutter shows of lines First..Last: per line at most PerLine marks, one of each picture,
  // bookmarks first (or last), then by Priority, then the earlier mark. Invisible marks, and
  // bookmarks unless Bookmarks is set, are left out. One pass, however many marks a line has.
  std::vector<std::vector<const TEditMark*>> Shown(int first, int last, std::size_t perLine, bool bookmarksFirst,
                                                   bool bookmarks) const;

  // Called after every Add/Delete (the editor hooks its gutter repaint here).
  std::function<void()> OnChange;
  // Called for each mark that Delete or Clear is about to destroy.
  std::function<void(const TEditMark*)> OnRemoving;

  // Keeps marks on their text when lines are inserted (Count > 0) or deleted (Count < 0)
  // at 1-based line FirstLine. Marks on deleted lines move to FirstLine.
  void LinesInserted(int firstLine, int count);
  void LinesDeleted(int firstLine, int count);
  // From now on the lines inserted and deleted are kept, so that a line number of the text as it
  // is now can be found later in the text as it will be (an assemble run reports the lines it read).
  void StartLineRecord();
  int RecordedLine(int line) const;
  // The places of the marks on lines First..Last, and putting marks back there (marks gone
  // since are skipped).
  std::vector<TMarkPlace> Places(int firstLine, int lastLine) const;
  void Restore(const std::vector<TMarkPlace>& places);

 private:
  std::vector<std::unique_ptr<TEditMark>> FItems;
  bool FRecording = false;
  std::vector<std::pair<int, int>> FShifts;  // first line, lines inserted (> 0) or deleted (< 0)
};
