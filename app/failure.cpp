#include "app/failure.h"

#include <cstdio>

int Fail(const std::string& why) {
  std::fprintf(stderr, "driftwing: %s\n", why.c_str());
  return 1;
}
