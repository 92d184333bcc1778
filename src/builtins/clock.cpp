// clock.cpp - the local date and time (year, month, day, date, hour, minute, second, time) and
// sleep. The eight clock functions are one table walked by one routine; each reads the clock
// once. sleep never converts a double it has not range-checked first.
#include <cmath>
#include <cstdio>

#include "arguments.h"
#include "builtins.h"
#include "platform.h"
#include "services.h"

namespace vesk::builtins {

namespace {

constexpr int clocktextsize = 48; // "%04d-%02d-%02d" and "%02d.%02d.%02d" of any int fields

// A clock function pushes one number or one text made from a single reading of the clock.
struct clockfunction {
  char const* name;
  char const* countmessage;
  double (*number)(platform::localtime const&); // null for the two texts
  void (*text)(platform::localtime const&, char* out);
};

enum clockrow { yearrow, monthrow, dayrow, daterow, hourrow, minuterow, secondrow, timerow };

constexpr clockfunction clockfunctions[] = {
    {"year", "function 'year' takes no parameters",
     [](platform::localtime const& t) { return double(t.year); }, nullptr},
    {"month", "function 'month' takes no parameters",
     [](platform::localtime const& t) { return double(t.month); }, nullptr},
    {"day", "function 'day' takes no parameters",
     [](platform::localtime const& t) { return double(t.day); }, nullptr},
    {"date", "function 'date' takes no parameters", nullptr,
     [](platform::localtime const& t, char* out) {
       snprintf(out, clocktextsize, "%04d-%02d-%02d", t.year, t.month, t.day);
     }},
    {"hour", "function 'hour' takes no parameters",
     [](platform::localtime const& t) { return double(t.hour); }, nullptr},
    {"minute", "function 'minute' takes no parameters",
     [](platform::localtime const& t) { return double(t.minute); }, nullptr},
    {"second", "function 'second' takes no parameters",
     [](platform::localtime const& t) { return double(t.second); }, nullptr},
    {"time", "function 'time' takes no parameters", nullptr,
     [](platform::localtime const& t, char* out) {
       snprintf(out, clocktextsize, "%02d.%02d.%02d", t.hour, t.minute, t.second);
     }},
};

bool readclock(clockrow row, stack* opstack, parameters* params, logfunc log) {
  clockfunction const& f = clockfunctions[row];
  if (!validatecount(params, 0, log, f.countmessage)) return false;
  platform::localtime now{};
  platform::getlocaltime(now);
  if (f.number != nullptr) return pushresult(opstack, f.number(now), f.name, log);
  char text[clocktextsize];
  f.text(now, text);
  return pushresult(opstack, text, f.name, log);
}

} // namespace

unsigned sleepduration(double milliseconds) {
  if (std::isnan(milliseconds) || milliseconds >= double(maxsleepmilliseconds) + 1.0)
    return maxsleepmilliseconds;
  if (milliseconds < 1.0) return 0;           // negative durations and fractions of the first ms
  return static_cast<unsigned>(milliseconds); // in [1, 4294967295): truncation is defined
}

bool year(stack* opstack, parameters* params, variables*, logfunc log) {
  return readclock(yearrow, opstack, params, log);
}
bool month(stack* opstack, parameters* params, variables*, logfunc log) {
  return readclock(monthrow, opstack, params, log);
}
bool day(stack* opstack, parameters* params, variables*, logfunc log) {
  return readclock(dayrow, opstack, params, log);
}
bool date(stack* opstack, parameters* params, variables*, logfunc log) {
  return readclock(daterow, opstack, params, log);
}
bool hour(stack* opstack, parameters* params, variables*, logfunc log) {
  return readclock(hourrow, opstack, params, log);
}
bool minute(stack* opstack, parameters* params, variables*, logfunc log) {
  return readclock(minuterow, opstack, params, log);
}
bool second(stack* opstack, parameters* params, variables*, logfunc log) {
  return readclock(secondrow, opstack, params, log);
}
bool time(stack* opstack, parameters* params, variables*, logfunc log) {
  return readclock(timerow, opstack, params, log);
}

// sleep(ms): blocks this thread only; the other part of a parallel block goes on meanwhile.
bool sleep(stack* opstack, parameters* params, variables*, logfunc log) {
  if (!validatecount(params, 1, log, "function 'sleep' takes one parameter")) return false;
  variable* duration = arguments(params).first();
  if (!validatenumber(duration, log, "parameter for function 'sleep' needs to be numeric"))
    return false;
  duration->processed(true);
  // Not a finite number: no pause was meant (an infinite one would block the run for good).
  if (!std::isfinite(duration->number()))
    return fail(log, "parameter for function 'sleep' needs to be a finite number");
  unsigned milliseconds = sleepduration(duration->number());
  if (opstack != nullptr)
    sleepunlocked(opstack, milliseconds);
  else
    platform::sleepmilliseconds(milliseconds);
  return true;
}

} // namespace vesk::builtins
