// clock.cpp - the local wall-clock time (GetLocalTime, all fields from one reading) and
// sleeping (Sleep, which no signal cuts short on Windows).
#include <windows.h>

#include "platform.h"

namespace vesk::platform {

void getlocaltime(localtime& now) {
  SYSTEMTIME fields{};
  GetLocalTime(&fields);
  now.year = fields.wYear;
  now.month = fields.wMonth;
  now.day = fields.wDay;
  now.hour = fields.wHour;
  now.minute = fields.wMinute;
  now.second = fields.wSecond;
}

void sleepmilliseconds(unsigned milliseconds) {
  Sleep(milliseconds);
}

} // namespace vesk::platform
