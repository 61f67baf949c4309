#include "assemble/AssembleCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <vector>

#include "assemble/AssembleRun.h"
#include "platform/Paths.h"
#include "platform/ProcessGroup.h"
#include "settings/KodrillApp.h"

namespace {

constexpr int kExitErrors = 1;
constexpr int kExitFailed = 2;

const char kHelp[] =
    "Aufruf: kodrill [DATEI ...]\n"
    "        kodrill --assemble PROJEKT.AsmPrj\n"
    "\n"
    "Ohne Optionen öffnet Kodrill die genannten Projekte und Quelltexte im Fenster.\n"
    "\n"
    "  --assemble PROJEKT.AsmPrj\n"
    "                 assembliert das Projekt ohne Fenster mit seiner make.bat: die Ausgabe\n"
    "                 des Assemblers erscheint, wie sie kommt, danach jede Meldung des\n"
    "                 Fehlerprotokolls als DATEI:ZEILE: error: TEXT (oder warning:).\n"
    "                 Rückgabewert: 0 ohne Fehler, 1 bei Fehlern, 2 wenn nichts laufen konnte.\n"
    "  -h, --help     zeigt diese Hilfe\n"
    "  --version      zeigt die Version\n"
    "  --             alles Weitere sind Dateinamen\n";

void Print(FILE* stream, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int Fail(const QString& reason) {
  Print(stderr, QStringLiteral("kodrill: ") + reason + u'\n');
  return kExitFailed;
}

// The toolkit's own options, which the window takes; some are followed by a value.
bool IsToolkitOption(const QString& arg, bool& takesValue) {
  static const QStringList withValue{"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                     "geometry", "qwindowicon", "icon", "qwindowtitle", "title", "display",
                                     "session", "style", "stylesheet", "name"};
  static const QStringList plain{"reverse", "widgetcount", "nograb", "dograb", "sync"};
  const QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
  takesValue = withValue.contains(name);
  return takesValue || plain.contains(name);
}

// A file of the project, known by name only: no view.
class TListedFile : public TProjectFile {
 public:
  void CreateView() override {}
  void DestroyView() override {}
  void LoadView() override {}
  void ApplyHighlighterPrefs() override {}
};

// The application object for the length of the run.
struct TScopedApp {
  TScopedApp() { KodrillApp = new TKodrillApp; }
  ~TScopedApp() {
    delete KodrillApp;
    KodrillApp = nullptr;
  }
};

int Assemble(const QString& name) {
  const QString startDirectory = Paths::CurrentDir();
  const QString full = Paths::ExpandFileName(name);
  if (!QFileInfo(full).isFile()) return Fail(QStringLiteral("Projekt nicht gefunden: ") + name);
  if (Paths::ExtractFileExt(full).compare(QLatin1String(".AsmPrj"), Qt::CaseInsensitive) != 0)
    return Fail(QStringLiteral("keine Projektdatei (*.AsmPrj): ") + name);

  const TScopedApp app;
  TProject* project = KodrillApp->Project();
  std::vector<std::unique_ptr<TListedFile>> files;
  project->OnOpenFile = [&](const TStringIniList& list) {
    files.push_back(std::make_unique<TListedFile>());
    files.back()->LoadFromList(list);
    project->AddFile(files.back().get());
  };
  TAssembleRun run;
  char last = '\n';
  run.OnOutput = [&last](const char* data, qsizetype size) {
    std::fwrite(data, 1, size_t(size), stdout);
    std::fflush(stdout);
    last = data[size - 1];
  };
  ProcessGroup::CatchInterrupts();
  run.OnWait = [&run] {
    if (ProcessGroup::Interrupted()) run.Cancel();
  };
  TAssembleRun::TResult result = TAssembleRun::arFinished;
  try {
    KodrillApp->LoadPrefs();
    project->Directory = Paths::ExtractFilePath(full);
    project->FileName = Paths::ExtractFileName(full);
    project->Load();
    run.Prepare(*project);
    result = run.Execute(KodrillApp->AssemblerPrefs()->AsDirectory, project->Processor);
  } catch (const std::exception& e) {
    return Fail(QString::fromUtf8(e.what()));
  }
  switch (result) {
    case TAssembleRun::arNoMakeBat:
      return Fail(QStringLiteral("make.bat nicht gefunden: ") + run.Command());
    case TAssembleRun::arNotStarted:
      return Fail(QStringLiteral("Der Befehlsinterpreter konnte nicht gestartet werden: ") + run.Failure());
    case TAssembleRun::arCancelled:
      return Fail(QStringLiteral("abgebrochen."));
    case TAssembleRun::arFinished:
      break;
  }

  if (last != '\n' && last != '\r') Print(stdout, QStringLiteral("\n"));
  run.LoadLog();
  bool errors = run.Output().Summary().ErrorsRed;
  const TAssembleLog& log = run.Log();
  for (qsizetype row = 0; row < log.Count(); ++row) {
    const QString text = log.Text(row);
    const TLogEntry entry = ParseLogEntry(text);
    errors = errors || (entry.Valid && entry.Kind == mkError);
    const QString path = entry.Valid ? run.EntryPath(*project, entry.FileName) : QString();
    Print(stdout, (entry.Valid ? CompilerMessage(text, entry, path, startDirectory) : text) + u'\n');
  }
  std::fflush(stdout);
  if (errors) return kExitErrors;
  // Errors the assembler did not count, such as a make.bat whose assembler is missing.
  if (const QString failure = run.UncountedFailure(); !failure.isEmpty()) {
    Print(stderr, QStringLiteral("kodrill: ") + failure + u'\n');
    return kExitErrors;
  }
  return 0;
}

}  // namespace

QString CompilerMessage(const QString& text, const TLogEntry& entry, const QString& path,
                        const QString& currentDirectory) {
  const QString relative = QDir(currentDirectory).relativeFilePath(path);
  const bool below = !QDir::isAbsolutePath(relative) && relative != QLatin1String("..") &&
                     !relative.startsWith(QLatin1String("../"));
  const QString kind = entry.Kind == mkError     ? QStringLiteral("error: ")
                       : entry.Kind == mkWarning ? QStringLiteral("warning: ")
                                                 : QString();
  return QDir::toNativeSeparators(below ? relative : path) + u':' + QString::number(entry.Line) +
         QStringLiteral(": ") + kind + text.mid(entry.MessageStart).trimmed();
}

std::optional<int> RunCommandLine(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  QStringList projects;
  bool files = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (arg == QLatin1String("--")) {
      files = files || i + 1 < args.size();
      break;
    }
    bool takesValue = false;
    if (!arg.startsWith(u'-') || arg.size() == 1) {
      files = true;
    } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
      Print(stdout, QString::fromUtf8(kHelp));
      return 0;
    } else if (arg == QLatin1String("--version")) {
      Print(stdout, QStringLiteral("Kodrill %1\n").arg(TKodrillApp::Version));
      return 0;
    } else if (arg.startsWith(QLatin1String("--assemble="))) {
      projects << arg.mid(11);
    } else if (arg == QLatin1String("--assemble")) {
      if (++i == args.size()) return Fail(QStringLiteral("--assemble braucht eine Projektdatei (*.AsmPrj)."));
      projects << args[i];
    } else if (IsToolkitOption(arg, takesValue)) {
      i += takesValue ? 1 : 0;
    } else {
      return Fail(QStringLiteral("unbekannte Option %1 (kodrill --help zeigt die Optionen)").arg(arg));
    }
  }
  if (projects.isEmpty()) return std::nullopt;
  if (projects.size() > 1 || files) return Fail(QStringLiteral("--assemble nimmt genau eine Projektdatei."));
  int count = argc;
  const QCoreApplication app(count, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Kodrill"));
  return Assemble(projects.first());
}
