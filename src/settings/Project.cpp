#include "settings/Project.h"

#include <QDir>

#include <set>

#include "platform/Paths.h"
#include "platform/ProfileReader.h"
#include "settings/IniFile.h"

EProjectDirectoryError::EProjectDirectoryError(const QString& directory)
    : std::runtime_error(
          QStringLiteral("Kann nicht in das Projektverzeichnis %1 wechseln").arg(directory).toStdString()) {}

static const char* const WindowStateWords[] = {"normal", "minimized", "maximized"};

static QString BookmarkKey(int n, char coord) {
  return QStringLiteral("Editor.BookMark[%1].%2").arg(n).arg(QLatin1Char(coord));
}

TProjectFile::TProjectFile() {
  BookmarkX.fill(-1);
  BookmarkY.fill(-1);
}

TProjectFile::~TProjectFile() {
  if (Project) Project->RemoveFile(this);
}

void TProjectFile::Anchor(const QString& base) {
  if (File.isEmpty() || Paths::IsAbsolute(Paths::FromStored(File)) || Paths::IsAbsolute(Directory)) return;
  Directory = Paths::IncludeTrailingSeparator(base) + Directory;
}

TStringIniList TProjectFile::SaveToList() {
  StoreViewState();
  IniList.clear();

  if (File.isEmpty()) {
    // Only a folder is named: it must not turn into a file named like its last part.
    if (!Directory.isEmpty()) Directory = Paths::IncludeTrailingSeparator(Paths::ExpandFileName(Directory));
  } else {
    // A full path in File (a file opened on its own) stands for itself.
    const QString stored = Paths::FromStored(File);
    QString name = Paths::IsAbsolute(stored) ? stored : Directory + stored;
    // Relative to the project's folder, wherever the current directory is (a save under a new
    // name does not move it).
    if (!Paths::IsAbsolute(name) && Project && !Project->Directory.isEmpty())
      name = Paths::IncludeTrailingSeparator(Project->Directory) + name;
    const QString full = Paths::ExpandFileName(name);
    File = Paths::ExtractFileName(full);
    Directory = Paths::ExtractFilePath(full);
  }
  if (Project && !Project->Directory.isEmpty()) {
    const QString projectDir = Paths::IncludeTrailingSeparator(Paths::ExpandFileName(Project->Directory));
    // Letter case counts where the file system tells it apart: "PROJ/" may be another folder.
    if (Paths::SamePath(Directory, projectDir)) Directory.clear();
  }

  IniList.WriteString(QStringLiteral("File"), File);
  IniList.WriteString(QStringLiteral("Directory"), Directory);
  IniList.WriteString(QStringLiteral("FileType"), QStringLiteral("Assembler,68HC11"));
  IniList.WriteInteger(QStringLiteral("Window.Left"), WindowLeft);
  IniList.WriteInteger(QStringLiteral("Window.Top"), WindowTop);
  IniList.WriteInteger(QStringLiteral("Window.Width"), WindowWidth);
  IniList.WriteInteger(QStringLiteral("Window.Height"), WindowHeight);
  IniList.WriteString(QStringLiteral("Window.WindowState"),
                      QString::fromLatin1(WindowStateWords[int(WindowState)]));
  IniList.WriteInteger(QStringLiteral("Editor.TopLine"), TopLine);
  for (int n = 0; n < 10; ++n) {
    if (BookmarkX[n] < 0) continue;
    IniList.WriteInteger(BookmarkKey(n, 'X'), BookmarkX[n]);
    IniList.WriteInteger(BookmarkKey(n, 'Y'), BookmarkY[n]);
  }
  return IniList;
}

void TProjectFile::LoadFromList(const TStringIniList& list) {
  IniList = list;
  File = Paths::FromStored(IniList.ReadString(QStringLiteral("File"), QString()));
  // Directory + File must form a path even when a hand-edited entry lacks the separator.
  Directory = Paths::IncludeTrailingSeparator(
      Paths::FromStored(IniList.ReadString(QStringLiteral("Directory"), QString())));
  WindowLeft = IniList.ReadInteger(QStringLiteral("Window.Left"), -1);
  WindowTop = IniList.ReadInteger(QStringLiteral("Window.Top"), -1);
  WindowWidth = IniList.ReadInteger(QStringLiteral("Window.Width"), -1);
  WindowHeight = IniList.ReadInteger(QStringLiteral("Window.Height"), -1);
  const QString state = IniList.ReadString(QStringLiteral("Window.WindowState"), QStringLiteral("normal"));
  WindowState = TWindowState::Normal;
  if (state == u"maximized") WindowState = TWindowState::Maximized;
  else if (state == u"minimized") WindowState = TWindowState::Minimized;
  TopLine = IniList.ReadInteger(QStringLiteral("Editor.TopLine"), -1);
  for (int n = 0; n < 10; ++n) {
    BookmarkX[n] = IniList.ReadInteger(BookmarkKey(n, 'X'), -1);
    BookmarkY[n] = IniList.ReadInteger(BookmarkKey(n, 'Y'), -1);
  }
}

TProject::TProject() = default;

TProject::~TProject() {
  // The files outlive the project only in odd shutdown orders; they must not point back.
  for (TProjectFile* f : Files) f->Project = nullptr;
}

void TProject::AddFile(TProjectFile* file) {
  if (!file || file->Project) return;
  Files.append(file);
  file->Project = this;
}

void TProject::RemoveFile(TProjectFile* file) {
  if (!file || file->Project != this) return;
  Files.removeOne(file);
  file->Project = nullptr;
}

// Upper case of the letters a to z only, as the project's name comparison wants.
static QString AsciiUpper(const QString& s) {
  QString r = s;
  for (QChar& c : r)
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - (u'a' - u'A'));
  return r;
}

TProjectFile* TProject::FindFile(const QString& name) const {
  const QString wanted = AsciiUpper(name);
  for (TProjectFile* f : Files)
    if (AsciiUpper(f->File) == wanted) return f;
  return nullptr;
}

// Numbers of the [FileN] sections present, 1 <= N <= Count, ascending. Scanning the names
// present keeps a huge FileCount from opening millions of empty entries.
static QList<int> FileSectionNumbers(const TProfileFile& profile, int count) {
  std::set<int> found;
  for (const QString& name : profile.SectionNames()) {
    if (name.size() < 5 || !name.startsWith(u"File", Qt::CaseInsensitive)) continue;
    bool ok = false;
    const int n = name.mid(4).toInt(&ok);
    if (ok && n >= 1 && n <= count && name.mid(4) == QString::number(n)) found.insert(n);
  }
  return QList<int>(found.begin(), found.end());
}

void TProject::CheckFile(const QString& path) {
  const TProfileFile profile(path);
  if (!profile.Error().isEmpty()) throw EFileReadError(profile.Error());
}

void TProject::Load() {
  const QString full = Paths::ExpandFileName(Directory + FileName);
  const QString directory = Paths::ExtractFilePath(full);
  // A file read as empty would be replaced by an empty project on the next save.
  const TProfileFile profile(full);
  if (!profile.Error().isEmpty()) throw EFileReadError(profile.Error());
  if (!Paths::SetCurrentDir(directory)) throw EProjectDirectoryError(directory);
  FileName = Paths::ExtractFileName(full);
  Directory = directory;

  TStringIniList list;
  ReadSectionValues(profile, QStringLiteral("HighLighter"), list);
  ReadSectionValues(profile, QStringLiteral("global"), list);
  IniList = list;
  Processor = list.ReadString(QStringLiteral("Processor"), QStringLiteral("6800"));
  NumberFormat = list.ReadString(QStringLiteral("NumberFormat"), QStringLiteral("C++"));

  const int count = ReadIniInteger(profile, QStringLiteral("global"), QStringLiteral("FileCount"), 0);
  for (int n : FileSectionNumbers(profile, count)) {
    list.clear();
    ReadSectionValues(profile, QStringLiteral("File%1").arg(n), list);
    if (OnOpenFile) OnOpenFile(list);
  }
}

void TProject::MoveTo(const QString& directory, const QString& fileName) {
  const QString old = Directory.isEmpty() ? Paths::CurrentDir() : Directory;
  for (TProjectFile* f : std::as_const(Files)) f->Anchor(old);
  Directory = directory;
  FileName = fileName;
}

void TProject::Save() {
  // Stored names take "\" for a separator: where it is an ordinary character, the name would
  // read back as another file.
  if (Paths::Separator() != u"\\")
    for (const TProjectFile* f : std::as_const(Files))
      if (f->File.contains(u'\\') || f->Directory.contains(u'\\'))
        throw EFileCreateError(Directory + FileName,
                               QStringLiteral("Der Dateiname „%1“ enthält „\\“, den die Projektdatei als "
                                              "Verzeichnistrenner liest.")
                                   .arg(f->Directory + f->File));
  IniList.clear();
  IniList.WriteString(QStringLiteral("Processor"), Processor);
  IniList.WriteString(QStringLiteral("NumberFormat"), NumberFormat);

  QList<TIniSection> sections{{QStringLiteral("global"), IniList}};
  sections[0].Lines << QStringLiteral("FileCount=%1").arg(Files.size());
  const QList<TProjectFile*> files = Files;
  for (qsizetype i = 0; i < files.size(); ++i)
    sections.append({QStringLiteral("File%1").arg(i + 1), files[i]->SaveToList()});
  sections.append({QStringLiteral("HighLighter"), {}});
  WriteIniSections(Directory + FileName, sections);
}

void TProject::ApplyHighlighterPrefs() {
  for (TProjectFile* f : QList<TProjectFile*>(Files)) f->ApplyHighlighterPrefs();
}

void TProject::ClearErrorMarks() {
  for (TProjectFile* f : QList<TProjectFile*>(Files)) f->ClearErrorMarks();
}
