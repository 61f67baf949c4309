#pragma once
// The current project and its source files, and the .AsmPrj format.
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <stdexcept>

#include "settings/StringIniList.h"

class TProject;

// The project directory could not be made the current directory; what() is the user's message.
class EProjectDirectoryError : public std::runtime_error {
 public:
  explicit EProjectDirectoryError(const QString& directory);
};

enum class TWindowState { Normal = 0, Minimized = 1, Maximized = 2 };

class TProjectFile {
 public:
  TProjectFile();
  virtual ~TProjectFile();

  TStringIniList IniList;
  TProject* Project = nullptr;
  QString File;
  QString Directory;  // empty, or a full path ending in the separator
  int WindowLeft = -1, WindowTop = -1, WindowWidth = -1, WindowHeight = -1;
  TWindowState WindowState = TWindowState::Normal;
  int TopLine = -1;
  std::array<int, 10> BookmarkX;
  std::array<int, 10> BookmarkY;

  virtual TStringIniList SaveToList();
  virtual void LoadFromList(const TStringIniList& list);
  // A name relative to the project's folder becomes one under Base, the folder it meant.
  void Anchor(const QString& base);
  virtual void CreateView() = 0;
  virtual void DestroyView() = 0;
  virtual void LoadView() = 0;
  virtual void ApplyHighlighterPrefs() = 0;

  // Hooks for the file's view; nothing without one.
  virtual void StoreViewState() {}  // view -> TopLine and bookmarks, before saving
  virtual void ClearErrorMarks() {}
  virtual void MarkError(int kind, int line) { (void)kind; (void)line; }
};

class TProject {
 public:
  TProject();
  ~TProject();

  QList<TProjectFile*> Files;  // not owned
  TStringIniList IniList;
  QString FileName;   // without directory; empty when no project is open
  QString Directory;  // full path ending in the separator; empty when no project is open
  QString Processor;
  QString NumberFormat;
  // The project takes another place (a save under a new name); its files stay the same files.
  void MoveTo(const QString& directory, const QString& fileName);

  // Opens one [FileN] section as a file of the project (set by the main window).
  std::function<void(const TStringIniList&)> OnOpenFile;

  void AddFile(TProjectFile* file);
  void RemoveFile(TProjectFile* file);
  int FileCount() const { return Files.size(); }
  TProjectFile* GetFile(int index) const { return Files.at(index); }
  TProjectFile* FindFile(const QString& name) const;

  // Load throws EFileReadError when the file is no readable text file and EProjectDirectoryError
  // when Directory cannot be made current; nothing is changed then.
  void Load();
  // Throws EFileReadError when Path exists but is no readable text file.
  static void CheckFile(const QString& path);
  // Throws EFileCreateError, also for a name the file cannot hold; nothing is written then.
  void Save();
  void ApplyHighlighterPrefs();
  void ClearErrorMarks();
};
