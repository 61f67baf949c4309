#pragma once
// An application object of the test's own, a temporary directory, and the user dialog seam
// answered by the test instead of a person.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

#include "platform/ui/UserDialogs.h"
#include "settings/KodrillApp.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class SettingsUiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Temp.isValid());
    App = std::make_unique<TKodrillApp>();
    KodrillApp = App.get();
    App->SetSettingsFilePath(Path(QStringLiteral("Kodrill.ini")));
    App->LoadPrefs();  // no file yet: the defaults
    Hooks.Question = [this](const QString& text) {
      Questions << text;
      return Answer;
    };
    Hooks.Error = [this](const QString& text) { Errors << text; };
    Hooks.SaveFileName = [this](const QString& caption, const QString& preset) {
      DialogCalls << caption + QStringLiteral("|") + preset;
      return DialogResult;
    };
    Hooks.Directory = [this](const QString&, const QString&) { return DialogResult; };
    Hooks.Font = [this](QFont& font) {
      if (ChosenFont.isEmpty()) return false;
      font.setFamily(ChosenFont);
      font.setPointSize(ChosenSize);
      font.setStyleName(ChosenStyle);
      return true;
    };
    SetUserDialogHooks(&Hooks);
  }

  void TearDown() override {
    SetUserDialogHooks(nullptr);
    KodrillApp = nullptr;
  }

  QString Path(const QString& name) const { return QDir::toNativeSeparators(Temp.filePath(name)); }

  static QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  static void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  QTemporaryDir Temp;
  std::unique_ptr<TKodrillApp> App;
  TUserDialogHooks Hooks;
  TAnswer Answer = TAnswer::Yes;
  QStringList Questions, Errors, DialogCalls;
  QString DialogResult;
  QString ChosenFont, ChosenStyle;
  int ChosenSize = 0;
};
