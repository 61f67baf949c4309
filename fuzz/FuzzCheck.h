#pragma once
// Names the failed condition, so that a crash report says which property broke.
#include <cstdio>
#include <cstdlib>

#define Check(ok)                                          \
  do {                                                     \
    if (!(ok)) {                                           \
      std::fprintf(stderr, "check failed: %s\n", #ok);     \
      std::abort();                                        \
    }                                                      \
  } while (false)
