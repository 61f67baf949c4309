// Arbitrary bytes as a project file: loading must not crash, and what a save writes must load
// to the same files (saving that again gives the same bytes).
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "settings/Project.h"

// Names the failed condition, so that a crash report says which property broke.
#define Check(ok)                                          \
  do {                                                     \
    if (!(ok)) {                                           \
      std::fprintf(stderr, "check failed: %s\n", #ok);     \
      std::abort();                                        \
    }                                                      \
  } while (false)

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

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

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
  Load(first, directory);
  first.Project->Save();
  const QByteArray saved = ReadAll(path);

  TLoaded second;
  Load(second, directory);
  Check(second.Files.size() == first.Files.size());
  Check(second.Project->Processor == first.Project->Processor);
  Check(second.Project->NumberFormat == first.Project->NumberFormat);
  for (std::size_t i = 0; i < first.Files.size(); ++i) {
    Check(second.Files[i]->File == first.Files[i]->File);
    Check(second.Files[i]->WindowState == first.Files[i]->WindowState);
    Check(second.Files[i]->BookmarkX == first.Files[i]->BookmarkX);
  }
  second.Project->Save();
  const QByteArray again = ReadAll(path);
  if (again != saved) {
    std::fprintf(stderr, "first save:\n");
    std::fwrite(saved.constData(), 1, std::size_t(saved.size()), stderr);
    std::fprintf(stderr, "\nsecond save:\n");
    std::fwrite(again.constData(), 1, std::size_t(again.size()), stderr);
  }
  Check(again == saved);
  return 0;
}
