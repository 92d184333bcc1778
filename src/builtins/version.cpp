// version.cpp - the library's version, formatted into one static buffer on every call.
#include <cstdio>

#include "vesk.h"

namespace vesk {

namespace {
constexpr int major = 1, minor = 2, patch = 8;
char versiontext[32];
} // namespace

char const* version() {
  snprintf(versiontext, sizeof versiontext, "%d.%d.%d", major, minor, patch);
  return versiontext;
}

char const* version(int& majorout, int& minorout, int& patchout) {
  majorout = major;
  minorout = minor;
  patchout = patch;
  return version();
}

} // namespace vesk
