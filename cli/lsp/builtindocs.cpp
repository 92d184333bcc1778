// builtindocs.cpp - the table of the built-in functions as the language reference describes
// them. A test compares its names with those the engine registers.
#include "builtindocs.h"

#include <cstring>

namespace cli::lsp {

namespace {

std::vector<builtindoc> const table = {
    {"abs", "abs(x)", "The absolute value of a number."},
    {"sqrt", "sqrt(x)", "The square root of a number (NaN below 0)."},
    {"round", "round(x, d)", "x rounded to d decimals; halves go up."},
    {"min", "min(x, ...)", "The smallest of one or more numbers."},
    {"max", "max(x, ...)", "The largest of one or more numbers."},
    {"sin", "sin(a)", "The sine of an angle in degrees."},
    {"cos", "cos(a)", "The cosine of an angle in degrees."},
    {"tan", "tan(a)", "The tangent of an angle in degrees."},
    {"asin", "asin(x)", "The arc sine, in degrees."},
    {"acos", "acos(x)", "The arc cosine, in degrees."},
    {"atan", "atan(y, x)",
     "The arc tangent in degrees; with two numbers the angle of the point (x, y)."},
    {"year", "year()", "The year of the local clock, such as 2024."},
    {"month", "month()", "The month of the local clock, 1 to 12."},
    {"day", "day()", "The day of the month of the local clock, 1 to 31."},
    {"date", "date()", "The local date as the text YYYY-MM-DD."},
    {"hour", "hour()", "The hour of the local clock, 0 to 23."},
    {"minute", "minute()", "The minute of the local clock, 0 to 59."},
    {"second", "second()", "The second of the local clock, 0 to 59."},
    {"time", "time()", "The local time as the text HH.MM.SS."},
    {"sleep", "sleep(ms)", "Pauses the script for ms milliseconds."},
    {"print", "print(value, ...)", "Writes the values on one line, each followed by a blank."},
    {"dump", "dump(value, ...)",
     "Writes the values in full; a text naming a variable stands for it."},
    {"isnumber", "isnumber(v, ...)", "1 when every argument is a number, else 0."},
    {"isstring", "isstring(v, ...)", "1 when every argument is a text, else 0."},
    {"islist", "islist(v, ...)", "1 when every argument is a list, else 0."},
    {"isnamedlist", "isnamedlist(v, ...)", "1 when every argument is a named list, else 0."},
    {"isbinary", "isbinary(v, ...)", "1 when every argument is a binary value, else 0."},
    {"isdefined", "isdefined(name, ...)", "1 when every text names a variable, else 0."},
    {"count", "count(v, ...)",
     "The elements of lists and named lists, 1 for a number or text, summed."},
    {"delete", "delete(name)", "Removes the global variable of that name."},
    {"isinvalid", "isinvalid(v, ...)", "1 when an argument carries the flag invalid."},
    {"setinvalid", "setinvalid(name, ...)", "Sets the flag invalid on the variables named."},
    {"resetinvalid", "resetinvalid(name, ...)", "Clears the flag invalid on the variables named."},
    {"isdisabled", "isdisabled(v, ...)", "1 when an argument carries the flag disabled."},
    {"setdisabled", "setdisabled(name, ...)", "Sets the flag disabled on the variables named."},
    {"resetdisabled", "resetdisabled(name, ...)",
     "Clears the flag disabled on the variables named."},
    {"ischanged", "ischanged(v, ...)", "1 when an argument carries the flag changed."},
    {"setchanged", "setchanged(name, ...)", "Sets the flag changed on the variables named."},
    {"resetchanged", "resetchanged(name, ...)", "Clears the flag changed on the variables named."},
    {"haserror", "haserror(v, ...)", "1 when an argument carries the flag error."},
    {"seterror", "seterror(name, ...)", "Sets the flag error on the variables named."},
    {"reseterror", "reseterror(name, ...)", "Clears the flag error on the variables named."},
    {"assert", "assert(condition, text)", "Fails with the text when the condition is 0."},
    {"throw", "throw(text)", "Fails with the text as its message."},
    {"getlasterror", "getlasterror()",
     "The oldest message collected by the last try body, or \"\"."},
    {"getfolderpath", "getfolderpath(id)", "The path of a well-known folder such as \"APPDATA\"."},
    {"enumfiles", "enumfiles(folder)", "A list of the paths of the files in a folder."},
    {"enumfolders", "enumfolders(folder)", "A list of the paths of the sub-folders of a folder."},
    {"deletefile", "deletefile(path, ...)",
     "Deletes the files, stopping at the first that cannot be."},
    {"deletefolder", "deletefolder(path, ...)",
     "Removes empty folders (and makes / the working folder)."},
    {"renamefile", "renamefile(path, to)",
     "Renames or moves a file or folder to the path of to=, never replacing one."},
    {"createfolder", "createfolder(path)", "Creates one folder; its parent must exist."},
};

} // namespace

builtindoc const* findbuiltin(std::string const& name) {
  for (builtindoc const& doc : table)
    if (name == doc.name) return &doc;
  return nullptr;
}

std::vector<builtindoc> const& builtins() {
  return table;
}

std::vector<std::string> parametersof(char const* signature) {
  std::vector<std::string> parameters;
  char const* open = strchr(signature, '(');
  char const* close = open != nullptr ? strchr(open, ')') : nullptr;
  if (close == nullptr) return parameters;
  std::string inside(open + 1, close);
  for (std::size_t start = 0; start < inside.size();) {
    std::size_t comma = inside.find(", ", start);
    std::size_t end = comma == std::string::npos ? inside.size() : comma;
    parameters.push_back(inside.substr(start, end - start));
    start = comma == std::string::npos ? inside.size() : comma + 2;
  }
  return parameters;
}

} // namespace cli::lsp
