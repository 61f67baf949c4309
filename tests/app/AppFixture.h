#pragma once
// A fresh application object and main window per test, in a temporary working directory, with
// every question and file dialog answered by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <deque>

#include "app/EditorView.h"
#include "app/FormMain.h"
#include "editor/EditControl.h"
#include "platform/ui/UserDialogs.h"
#include "settings/KodrillApp.h"

inline void PrintTo(const QByteArray& bytes, std::ostream* os) { *os << '"' << bytes.toStdString() << '"'; }
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Temp.isValid());
    OldDir = QDir::currentPath();
    QDir::setCurrent(Temp.path());
    KodrillApp = new TKodrillApp;
    KodrillApp->SetSettingsFilePath(Temp.filePath(QStringLiteral("Kodrill.ini")));
    const auto next = [](auto& queue, auto none) {
      if (queue.empty()) return none;
      auto front = queue.front();
      queue.pop_front();
      return front;
    };
    Hooks.Question = [=, this](const QString& text) {
      return Questions.push_back(text), next(Answers, TAnswer::Cancel);
    };
    Hooks.Error = [this](const QString& text) { Errors.push_back(text); };
    Hooks.SaveFileName = [=, this](const QString&, const QString& preset) {
      return SavePresets.push_back(preset), next(SaveNames, QString());
    };
    Hooks.OpenFileName = [=, this](const QString&, const QString&) { return next(OpenNames, QString()); };
    SetUserDialogHooks(&Hooks);
    Main = FormMain = new TFormMain;
  }
  void TearDown() override {
    delete Main;
    FormMain = nullptr;
    delete KodrillApp;
    KodrillApp = nullptr;
    SetUserDialogHooks(nullptr);
    QDir::setCurrent(OldDir);
  }

  QString Path(const QString& name) const { return Temp.filePath(name); }
  QString Native(const QString& name) const { return QDir::toNativeSeparators(Temp.filePath(name)); }
  void WriteFile(const QString& name, const QByteArray& bytes) const {
    QFile f(Temp.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray ReadFile(const QString& name) const {
    QFile f(Temp.filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "<missing>";
  }
  // Drops local files on the window as the desktop does.
  void Drop(const QStringList& files) const {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& f : files) urls.append(QUrl::fromLocalFile(f));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Main, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    const int before = Tabs();
    QApplication::sendEvent(Main, &drop);
    // The files open once the drop has ended, never inside it (a question would hold the source).
    EXPECT_EQ(Tabs(), before);
    QCoreApplication::processEvents();
  }
  QAction* Action(const char* name) const { return Main->findChild<QAction*>(QLatin1String(name)); }
  void Trigger(const char* name) const { Action(name)->trigger(); }
  void ShowActive() const { Main->show(); Main->activateWindow(); ASSERT_TRUE(QTest::qWaitForWindowActive(Main)); }
  TEditorView* View(int i) const { return Main->View(i); }
  int Tabs() const { return Main->PageControl()->count(); }
  QString Panel(int i) const { return Main->StatusPanel(i)->text(); }
  TProject* Project() const { return KodrillApp->Project(); }

  QTemporaryDir Temp;
  QString OldDir;
  TFormMain* Main = nullptr;
  TUserDialogHooks Hooks;
  std::vector<QString> Questions, Errors, SavePresets;
  std::deque<TAnswer> Answers;
  std::deque<QString> SaveNames, OpenNames;
};
