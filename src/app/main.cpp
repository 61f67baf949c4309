// The program: the application object first, then the forms in their fixed order, then the
// start-up of the main window and the message loop.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

#include "app/FormAbout.h"
#include "app/FormMain.h"
#include "assemble/AssembleCommand.h"
#include "assemble/FormAssemble.h"
#include "search_print/FormPrintPreview.h"
#include "settings/FormGlobalPrefs.h"
#include "settings/FormNewAgent.h"
#include "settings/FormProjectPrefs.h"
#include "settings/KodrillApp.h"

int main(int argc, char** argv) {
  // --assemble, --help, --version and wrong options need no window.
  if (const std::optional<int> status = RunCommandLine(argc, argv)) return *status;
  KodrillApp = new TKodrillApp;
  // Standard buttons, dialogs, numbers and dates speak German like the rest of the program,
  // whatever the system's language (the translation where Qt's German one is installed).
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  int status = 0;
  {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kodrill"));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QApplication::installTranslator(&qtTranslator);

    FormMain = new TFormMain;
    FormAbout = new TFormAbout(FormMain);
    FormGlobalPrefs = new TFormGlobalPrefs(FormMain);
    FormProjectPrefs = new TFormProjectPrefs(FormMain);
    FormAssemble = new TFormAssemble(FormMain);
    FormAssemble->OnShowMessage = [](const QString& path, int line, int column, const QString& text) {
      if (FormMain) FormMain->ShowMessageLine(path, line, column, text);
    };
    FormPrintPreview = new TFormPrintPreview(FormMain);
    FormNewAgent = new TFormNewAgent(FormMain);
    FormNewAgent->OnOpenFile = [](const QString& name) {
      if (FormMain) FormMain->OpenFile(name);
    };
    QObject::connect(FormMain, &TFormMain::Closed, &app, &QApplication::quit, Qt::QueuedConnection);

    // Without a window manager "maximized" means nothing: start with the whole screen.
    if (QScreen* screen = QApplication::primaryScreen()) FormMain->setGeometry(screen->availableGeometry());
    FormMain->showMaximized();
    QStringList args = QApplication::arguments();
    args.removeFirst();
    FormMain->StartUp(args);
    status = QApplication::exec();

    // The other forms are children of the main window and go with it.
    delete FormMain;
    FormAbout = nullptr;
    FormGlobalPrefs = nullptr;
    FormProjectPrefs = nullptr;
    FormAssemble = nullptr;
    FormPrintPreview = nullptr;
    FormNewAgent = nullptr;
  }
  delete KodrillApp;
  KodrillApp = nullptr;
  return status;
}
