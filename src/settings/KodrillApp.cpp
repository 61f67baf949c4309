#include "settings/KodrillApp.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/Paths.h"
#include "platform/ProfileReader.h"
#include "settings/IniFile.h"

TKodrillApp* KodrillApp = nullptr;

TKodrillApp::TKodrillApp()
    : FProject(std::make_unique<TProject>()),
      FAssemblerPrefs(std::make_unique<TAssemblerPrefs>()),
      FHighLighterPrefs(std::make_unique<THighLighterPrefs>()),
      FGeneralPrefs(std::make_unique<TGeneralPrefs>()) {}

TKodrillApp::~TKodrillApp() = default;

QString TKodrillApp::SettingsFilePath() const {
  if (!FSettingsFilePath.isEmpty()) return FSettingsFilePath;
  const QString exeDir = Paths::ExecutableDirectory();
  if (QFileInfo(exeDir).isWritable()) return exeDir + QStringLiteral("Kodrill.ini");
  // An installed program's directory is read-only: keep the settings per user instead.
  const QString configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return QDir::toNativeSeparators(configDir + QStringLiteral("/Kodrill/Kodrill.ini"));
}

void TKodrillApp::SetSettingsFilePath(const QString& path) { FSettingsFilePath = path; }

void TKodrillApp::LoadPrefs() {
  // Saving later must write where this read from.
  FSettingsFilePath = SettingsFilePath();
  const TProfileFile profile(FSettingsFilePath);
  // One working list, not cleared between sections: each object sees the earlier sections too.
  TStringIniList list;
  ReadSectionValues(profile, QStringLiteral("HighLighter"), list);
  FHighLighterPrefs->LoadFromList(&list);
  ReadSectionValues(profile, QStringLiteral("Assembler"), list);
  FAssemblerPrefs->LoadFromList(&list);
  ReadSectionValues(profile, QStringLiteral("General"), list);
  FGeneralPrefs->LoadFromList(&list);
  TStringIniList recent;
  ReadSectionValues(profile, TRecentFiles::SectionName, recent);
  FRecentFiles.LoadFromList(recent);
  if (!profile.Error().isEmpty())
    throw EFileReadError(profile.Error() + QStringLiteral("\nEs gelten die Standardeinstellungen."));
}

void TKodrillApp::SavePrefs() {
  const QString path = SettingsFilePath();
  QList<TIniSection> sections{{QStringLiteral("HighLighter"), FHighLighterPrefs->SaveToList()},
                              {QStringLiteral("Assembler"), FAssemblerPrefs->SaveToList()},
                              {QStringLiteral("General"), FGeneralPrefs->SaveToList()}};
  if (!FRecentFiles.Entries().isEmpty()) sections.append({TRecentFiles::SectionName, FRecentFiles.SaveToList()});
  QDir().mkpath(QFileInfo(path).absolutePath());
  WriteIniSections(path, sections);
}

void TKodrillApp::AddRecent(const QString& path) {
  FRecentFiles.Add(path);
  const QString file = SettingsFilePath();
  QDir().mkpath(QFileInfo(file).absolutePath());
  WriteIniSection(file, {TRecentFiles::SectionName, FRecentFiles.SaveToList()});
}
