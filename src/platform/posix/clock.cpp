// clock.cpp - the local wall-clock time and sleeping.
// getlocaltime takes every field from one reading of the clock; sleepmilliseconds always
// sleeps the full time, however often a signal interrupts it.
#include "platform.h"

#include <cerrno>
#include <ctime>

namespace vesk::platform {

void getlocaltime(localtime& now) {
  std::time_t seconds = std::time(nullptr);
  tzset(); // localtime_r need not notice a changed TZ by itself; localtime() would
  std::tm fields{};
  if (localtime_r(&seconds, &fields) == nullptr) {
    now = {1970, 1, 1, 0, 0, 0}; // a time the calendar cannot hold; reading must not fail
    return;
  }
  now.year = fields.tm_year + 1900;
  now.month = fields.tm_mon + 1;
  now.day = fields.tm_mday;
  now.hour = fields.tm_hour;
  now.minute = fields.tm_min;
  now.second = fields.tm_sec;
}

void sleepmilliseconds(unsigned milliseconds) {
  timespec remaining{};
  remaining.tv_sec = static_cast<time_t>(milliseconds / 1000);
  remaining.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

} // namespace vesk::platform
