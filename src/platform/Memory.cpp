#include "platform/Memory.h"

#include <QTimer>

#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void Platform::ReleaseFreeMemorySoon() {
#if defined(__GLIBC__)
  // Many tabs closed at once give one release.
  static bool pending = false;
  if (std::exchange(pending, true)) return;
  QTimer::singleShot(0, [] {
    pending = false;
    malloc_trim(0);
  });
#endif
}
