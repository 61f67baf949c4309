// Saves the two text versions to the file named on the command line, in turn, until killed (or
// after many rounds, so that a forgotten child ends by itself).
#include <cstdio>

#include "HardeningUtil.h"
#include "editor/EditLines.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const QString path = QString::fromLocal8Bit(argv[1]);
  TEditLines versions[2];
  for (int v = 0; v < 2; ++v) versions[v].LoadFromBytes(Hardening::SaveVersion(v));
  for (int round = 0; round < 2000; ++round) {
    try {
      versions[(round + 1) % 2].SaveToFile(path);
      std::puts("saved");
      std::fflush(stdout);
    } catch (const EEditFileError& e) {
      std::fprintf(stderr, "%s\n", e.what());
      return 1;
    }
  }
  return 0;
}
