// watch.cpp - folder change notifications on inotify: one descriptor per process, opened on
// first use and never closed, read without blocking. Also the cheap clock and the identity of
// the working folder that callers of the notifications need to decide what is stale.
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <mutex>

#include "platform.h"

namespace vesk::platform {

namespace {

constexpr unsigned folderevents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                  IN_DELETE_SELF | IN_MOVE_SELF | IN_ATTRIB | IN_CLOSE_WRITE;
constexpr int everything = -1; // handed to a visitor when events were lost

int notifications() {
  static int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  return fd;
}

} // namespace

int watchfolder(char const* folder) {
  int fd = notifications();
  if (fd < 0) return -1;
  return inotify_add_watch(fd, *folder ? folder : ".", folderevents | IN_ONLYDIR);
}

void unwatchfolder(int watch) {
  int fd = notifications();
  if (fd >= 0 && watch >= 0) inotify_rm_watch(fd, watch);
}

void pollchanges(watchvisitor changed, void* context) {
  int fd = notifications();
  if (fd < 0) return;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return;
    for (char* p = buffer; p < buffer + n;) {
      auto event = reinterpret_cast<inotify_event*>(p);
      changed(context, (event->mask & IN_Q_OVERFLOW) ? everything : event->wd);
      p += sizeof(inotify_event) + event->len;
    }
  }
}

unsigned long long monotonicmicroseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<unsigned long long>(now.tv_sec) * 1000000ULL +
         static_cast<unsigned long long>(now.tv_nsec) / 1000ULL;
}

unsigned long long workingfolderid() {
  struct stat info;
  if (stat(".", &info) != 0) return 0;
  return static_cast<unsigned long long>(info.st_dev) * 1000003ULL ^
         static_cast<unsigned long long>(info.st_ino);
}

} // namespace vesk::platform
