#pragma once
// A project file without a view, and a project loader that keeps the files it opens.
#include <memory>
#include <vector>

#include "settings/Project.h"

class TTestProjectFile : public TProjectFile {
 public:
  void CreateView() override {}
  void DestroyView() override {}
  void LoadView() override {}
  void ApplyHighlighterPrefs() override {}
};

struct TLoadedProject {
  TProject Project;
  std::vector<std::unique_ptr<TTestProjectFile>> Files;

  void Load(const QString& directory, const QString& fileName) {
    Project.Directory = directory;
    Project.FileName = fileName;
    Project.OnOpenFile = [this](const TStringIniList& section) {
      auto file = std::make_unique<TTestProjectFile>();
      file->LoadFromList(section);
      Project.AddFile(file.get());
      Files.push_back(std::move(file));
    };
    Project.Load();
  }
};
