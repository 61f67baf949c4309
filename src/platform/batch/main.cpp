// kodrill-cmd /C file.bat [args] | /C program [args]
#include <QCoreApplication>
#include <QStringList>

#include "platform/batch/BatchInterpreter.h"

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty() || args.first().compare(QLatin1String("/C"), Qt::CaseInsensitive) != 0) {
    TBatchInterpreter().OnOutput("Aufruf: kodrill-cmd /C Datei.bat | /C Programm [Argumente]\n");
    return 1;
  }
  args.removeFirst();
  // The command arrives as one argument or several; either way it is one command line.
  if (args.size() > 1)
    for (QString& a : args)
      if (a.contains(u' ')) a = u'"' + a + u'"';
  return TBatchInterpreter().RunCommand(args.join(u' '));
}
