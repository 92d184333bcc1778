// math.cpp - the numeric built-ins: abs, sqrt, round, min, max and the trigonometric functions,
// with angles in degrees on the script side. The seven one-argument functions are one table
// walked by one routine; every check runs in the order of the built-in conventions.
#include <cmath>

#include "arguments.h"
#include "builtins.h"

namespace vesk::builtins {

namespace {

constexpr double degreestoradians = 0.017453292519943295; // pi / 180
constexpr double radianstodegrees = 57.29577951308232;    // 180 / pi

// round: n decimals multiply the scale by 10 n times. Past 309 the scale is infinite and stays
// so, therefore n is clamped there; NaN and n <= 0 leave the scale at 1.
constexpr double maxdecimals = 400.0;

struct unaryfunction {
  char const* name;
  double (*compute)(double);
  char const* countmessage;
  char const* typemessage;
};

enum unaryrow { absrow, sqrtrow, sinrow, cosrow, tanrow, asinrow, acosrow };

constexpr unaryfunction unaryfunctions[] = {
    {"abs", [](double x) { return std::fabs(x); }, "function 'abs' takes one parameter",
     "parameter for function 'abs' needs to be numeric"},
    {"sqrt", [](double x) { return std::sqrt(x); }, "function 'sqrt' takes one parameter",
     "parameter for function 'sqrt' needs to be numeric"},
    {"sin", [](double x) { return std::sin(x * degreestoradians); },
     "function 'sin' takes one parameter", "parameter for function 'sin' needs to be numeric"},
    {"cos", [](double x) { return std::cos(x * degreestoradians); },
     "function 'cos' takes one parameter", "parameter for function 'cos' needs to be numeric"},
    {"tan", [](double x) { return std::tan(x * degreestoradians); },
     "function 'tan' takes one parameter", "parameter for function 'tan' needs to be numeric"},
    {"asin", [](double x) { return std::asin(x) * radianstodegrees; },
     "function 'asin' takes one parameter", "parameter for function 'asin' needs to be numeric"},
    {"acos", [](double x) { return std::acos(x) * radianstodegrees; },
     "function 'acos' takes one parameter", "parameter for function 'acos' needs to be numeric"},
};

// The numbers-only form of a one-argument function.
template <unaryrow row> bool unarynumbers(double const* numbers, int count, double* result) {
  if (count != 1) return false;
  *result = unaryfunctions[row].compute(numbers[0]);
  return true;
}

// Exactly one argument, a number: marked processed, and the function's value pushed.
bool unary(unaryrow row, stack* opstack, parameters* params, logfunc log) {
  unaryfunction const& f = unaryfunctions[row];
  if (!validatecount(params, 1, log, f.countmessage)) return false;
  variable* x = arguments(params).first();
  if (!validatenumber(x, log, f.typemessage)) return false;
  x->processed(true);
  return pushresult(opstack, f.compute(x->number()), f.name, log);
}

// min and max: one or more numbers; only a strictly better later value replaces the current.
struct extremefunction {
  char const* name;
  bool (*better)(double candidate, double current);
  char const* countmessage;
  char const* typemessage;
};

constexpr extremefunction minfunction = {
    "min", [](double candidate, double current) { return candidate < current; },
    "function 'min' takes at least one parameter",
    "all parameters for function 'min' need to be numeric"};
constexpr extremefunction maxfunction = {
    "max", [](double candidate, double current) { return candidate > current; },
    "function 'max' takes at least one parameter",
    "all parameters for function 'max' need to be numeric"};

// The numbers-only form of min and max.
template <extremefunction const& f>
bool extremenumbers(double const* numbers, int count, double* result) {
  if (count < 1) return false;
  double current = numbers[0];
  for (int i = 1; i < count; ++i)
    if (f.better(numbers[i], current)) current = numbers[i];
  *result = current;
  return true;
}

bool extreme(extremefunction const& f, stack* opstack, parameters* params, logfunc log) {
  arguments args(params);
  variable* p = args.first();
  if (p == nullptr) return fail(log, f.countmessage);
  p->processed(true);
  if (!validatenumber(p, log, f.typemessage)) return false;
  double current = p->number();
  while ((p = args.next()) != nullptr) {
    if (!validatenumber(p, log, f.typemessage)) return false;
    p->processed(true);
    if (f.better(p->number(), current)) current = p->number();
  }
  return pushresult(opstack, current, f.name, log);
}

// 10 to the power of the decimals truncated toward zero, by repeated multiplication.
double roundingscale(double decimals) {
  double scale = 1.0;
  double n = std::isnan(decimals) ? 0.0 : std::trunc(std::fmin(decimals, maxdecimals));
  for (double made = 0.0; made < n; made += 1.0) scale *= 10.0;
  return scale;
}

double atanof(double const* numbers, int count) {
  return (count == 1 ? std::atan(numbers[0]) : std::atan2(numbers[0], numbers[1])) *
         radianstodegrees;
}

// A finite value whose scaling overflows has no digits beyond those decimals: it stays as it is.
double roundof(double value, double decimals) {
  double scale = roundingscale(decimals);
  double rounded = std::floor(value * scale + 0.5) / scale;
  return std::isfinite(value) && !std::isfinite(rounded) ? value : rounded;
}

bool atannumbers(double const* numbers, int count, double* result) {
  if (count < 1 || count > 2) return false;
  *result = atanof(numbers, count);
  return true;
}

bool roundnumbers(double const* numbers, int count, double* result) {
  if (count != 2) return false;
  *result = roundof(numbers[0], numbers[1]);
  return true;
}

} // namespace

// The numbers-only forms, beside the functions they compute.
numericform const numericforms[] = {
    {abs, unarynumbers<absrow>},
    {sqrt, unarynumbers<sqrtrow>},
    {sin, unarynumbers<sinrow>},
    {cos, unarynumbers<cosrow>},
    {tan, unarynumbers<tanrow>},
    {asin, unarynumbers<asinrow>},
    {acos, unarynumbers<acosrow>},
    {min, extremenumbers<minfunction>},
    {max, extremenumbers<maxfunction>},
    {atan, atannumbers},
    {round, roundnumbers},
};
int const numericformcount = sizeof numericforms / sizeof numericforms[0];

bool abs(stack* opstack, parameters* params, variables*, logfunc log) {
  return unary(absrow, opstack, params, log);
}
bool sqrt(stack* opstack, parameters* params, variables*, logfunc log) {
  return unary(sqrtrow, opstack, params, log);
}
bool sin(stack* opstack, parameters* params, variables*, logfunc log) {
  return unary(sinrow, opstack, params, log);
}
bool cos(stack* opstack, parameters* params, variables*, logfunc log) {
  return unary(cosrow, opstack, params, log);
}
bool tan(stack* opstack, parameters* params, variables*, logfunc log) {
  return unary(tanrow, opstack, params, log);
}
bool asin(stack* opstack, parameters* params, variables*, logfunc log) {
  return unary(asinrow, opstack, params, log);
}
bool acos(stack* opstack, parameters* params, variables*, logfunc log) {
  return unary(acosrow, opstack, params, log);
}

bool min(stack* opstack, parameters* params, variables*, logfunc log) {
  return extreme(minfunction, opstack, params, log);
}
bool max(stack* opstack, parameters* params, variables*, logfunc log) {
  return extreme(maxfunction, opstack, params, log);
}

// atan: atan(y) or atan2(y, x), in degrees. The count message says "one" for both forms.
bool atan(stack* opstack, parameters* params, variables*, logfunc log) {
  constexpr char countmessage[] = "function 'atan' takes one parameter";
  constexpr char typemessage[] = "parameters for function 'atan' needs to be numeric";
  int count = argumentcount(params);
  if (count < 1 || count > 2) return fail(log, countmessage);
  arguments args(params);
  variable* y = args.first();
  if (!validatenumber(y, log, typemessage)) return false;
  y->processed(true);
  double numbers[2] = {y->number(), 0.0};
  if (count == 2) {
    variable* x = args.next();
    if (!validatenumber(x, log, typemessage)) return false;
    x->processed(true);
    numbers[1] = x->number();
  }
  return pushresult(opstack, atanof(numbers, count), "atan", log);
}

// round(value, decimals): floor(value * scale + 0.5) / scale; halves go toward +infinity.
bool round(stack* opstack, parameters* params, variables*, logfunc log) {
  constexpr char typemessage[] = "both parameters for function 'round' need to be numeric";
  if (!validatecount(params, 2, log, "function 'round' takes two parameters")) return false;
  arguments args(params);
  variable* value = args.first();
  variable* decimals = args.next();
  if (!validatenumber(decimals, log, typemessage) || !validatenumber(value, log, typemessage))
    return false;
  value->processed(true);
  decimals->processed(true);
  return pushresult(opstack, roundof(value->number(), decimals->number()), "round", log);
}

} // namespace vesk::builtins
