#include "BenchData.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <stdexcept>

std::string GeneratedSource(int mb) {
  const QString dir = QStringLiteral(KODRILL_BENCH_DATA_DIR);
  QDir().mkpath(dir);
  const QString path = dir + QStringLiteral("/gen_%1mb.asm").arg(mb);
  if (!QFileInfo::exists(path)) {
    QProcess gen;
    gen.setStandardOutputFile(path + ".part");
    gen.start(QStringLiteral("python3"),
              {QStringLiteral(KODRILL_SHARED_DIR "/tools/gen_asm.py"), QStringLiteral("--mb"), QString::number(mb)});
    if (!gen.waitForFinished(600000) || gen.exitCode() != 0)
      throw std::runtime_error("gen_asm.py failed");
    QFile::rename(path + ".part", path);
  }
  return path.toStdString();
}
