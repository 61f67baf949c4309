// Arbitrary bytes as a project file: loading must not crash, and what a save writes must load
// to the same files at the same places with the same view state.
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Paths.h"
#include "settings/Project.h"
#include "FuzzCheck.h"


namespace {
class TFuzzFile : public TProjectFile {
 public:
  void CreateView() override {}
  void DestroyView() override {}
  void LoadView() override {}
  void ApplyHighlighterPrefs() override {}
};

struct TLoaded {
  std::unique_ptr<TProject> Project = std::make_unique<TProject>();
  std::vector<std::unique_ptr<TFuzzFile>> Files;
};

void Load(TLoaded& loaded, const QString& dir) {
  loaded.Project->Directory = dir;
  loaded.Project->FileName = QStringLiteral("fuzz.AsmPrj");
  loaded.Project->OnOpenFile = [&loaded](const TStringIniList& section) {
    auto file = std::make_unique<TFuzzFile>();
    file->LoadFromList(section);
    loaded.Project->AddFile(file.get());
    loaded.Files.push_back(std::move(file));
  };
  loaded.Project->Load();
}

}  // namespace

// Where each file of a saved project is, with its view state: what a later load must give back.
static QStringList Described(const TLoaded& loaded, const QString& directory) {
  QStringList files;
  for (const auto& f : loaded.Files) {
    const QString dir = f->Directory.isEmpty() ? directory : f->Directory;
    QString line = Paths::ExpandFileName(dir + f->File);
    line += QStringLiteral("|%1|%2|%3|%4|%5|%6").arg(f->WindowLeft).arg(f->WindowTop).arg(f->WindowWidth)
                .arg(f->WindowHeight).arg(int(f->WindowState)).arg(f->TopLine);
    // A bookmark without a column is no bookmark; its line need not survive.
    for (int n = 0; n < 10; ++n)
      line += f->BookmarkX[n] < 0 ? QStringLiteral("|-") : QStringLiteral("|%1,%2").arg(f->BookmarkX[n]).arg(f->BookmarkY[n]);
    files << line;
  }
  return files;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir dir;
  static const QString directory = dir.path() + QLatin1Char('/');
  static const QString path = directory + QStringLiteral("fuzz.AsmPrj");
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    f.write(reinterpret_cast<const char*>(data), qsizetype(size));
  }

  TLoaded first;
  try { Load(first, directory); } catch (const std::runtime_error&) { return 0; }  // refused: nothing is written
  first.Project->Save();
  const QStringList saved = Described(first, directory);

  TLoaded second;
  Load(second, directory);
  Check(second.Files.size() == first.Files.size());
  Check(second.Project->Processor == first.Project->Processor);
  Check(second.Project->NumberFormat == first.Project->NumberFormat);
  second.Project->Save();
  // A NUL cannot be part of a file name; Qt refuses such paths, so they need not keep their form.
  if (std::memchr(data, 0, size)) return 0;
  // Values are trimmed on reading: a name with white space at its ends cannot be stored as it is.
  for (const auto& f : first.Files)
    if (f->File != f->File.trimmed()) return 0;
  const QStringList again = Described(second, directory);
  for (qsizetype i = 0; i < saved.size(); ++i)
    if (again[i] != saved[i])
      std::fprintf(stderr, "file %d\nfirst:  %s\nsecond: %s\n", int(i), qPrintable(saved[i]), qPrintable(again[i]));
  Check(again == saved);
  return 0;
}
