#pragma once
// Collects pieces of data into large write calls on a file descriptor. Allocates nothing, so a
// forked copy of the process may use it with a static buffer.
#include <QtGlobal>

#ifndef Q_OS_WIN
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string_view>
#include <unistd.h>

namespace Platform {

struct TFdWriter {
  int Fd = -1;
  char* Buffer = nullptr;
  std::size_t Capacity = 0;
  std::size_t Used = 0;
  int Error = 0;  // errno of the first failure

  void Flush() {
    for (std::size_t done = 0; !Error && done < Used;) {
      const ssize_t n = ::write(Fd, Buffer + done, Used - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) Error = n < 0 ? errno : ENOSPC;
      else done += std::size_t(n);
    }
    Used = 0;
  }
  void Put(std::string_view piece) {
    while (!Error && !piece.empty()) {
      const std::size_t n = std::min(piece.size(), Capacity - Used);
      std::copy_n(piece.data(), n, Buffer + Used);
      Used += n;
      piece.remove_prefix(n);
      if (Used == Capacity) Flush();
    }
  }
};

}  // namespace Platform
#endif
