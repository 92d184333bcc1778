// output.cpp - print and dump, which write values to the log at the output level: print one
// line with a blank after every argument, dump one line per value with nested lists indented
// two blanks per level. Texts are never used as formats; lines are cut at their buffer.
#include <cstdio>
#include <cstring>

#include "arguments.h"
#include "builtins.h"

namespace vesk::builtins {

namespace {

constexpr int printlinesize = 1024;
constexpr int dumplinesize = 256;
constexpr int numbersize = 512; // room for "%.3f" of the largest double
constexpr int maxdumpdepth = 256;

// Appends text at `pos` of a line of `size` bytes, cutting at its end; returns the new end.
int append(char* line, int size, int pos, char const* text) {
  int n = static_cast<int>(strnlen(text, static_cast<size_t>(size - 1 - pos)));
  memcpy(line + pos, text, static_cast<size_t>(n));
  line[pos + n] = '\0';
  return pos + n;
}

int indent(char* line, int pos, int level) {
  for (int i = 0; i < level; ++i) pos = append(line, dumplinesize, pos, "  ");
  return pos;
}

struct dumper {
  logfunc log;
  char line[dumplinesize];

  void send() const {
    if (log != nullptr) log(logoutput, line);
  }
};

void dumpvalue(dumper& d, variable* value, int pos, int level);

// The elements of a list (or named list, each after its name and "=") one level deeper.
void dumpelements(dumper& d, variable* list, int level) {
  variable walker = *list;
  char* name = nullptr;
  bool named = list->isnamedlist();
  for (variable* e = named ? walker.first(&name) : walker.first(); e != nullptr;
       e = named ? walker.next(&name) : walker.next()) {
    if (!named) {
      dumpvalue(d, e, 0, level + 1);
      continue;
    }
    int pos = indent(d.line, 0, level + 1);
    pos = append(d.line, dumplinesize, pos, name ? name : "");
    pos = append(d.line, dumplinesize, pos, "=");
    dumpvalue(d, e, pos, -(level + 1));
  }
}

// Dumps one value at `pos`; a negative level means the line already holds "name=".
void dumpvalue(dumper& d, variable* value, int pos, int level) {
  bool inlined = level < 0;
  if (inlined) level = -level;
  if (!inlined) pos = indent(d.line, pos, level);
  if (value->isstring()) {
    pos = append(d.line, dumplinesize, pos, "'");
    pos = append(d.line, dumplinesize, pos, value->string());
    append(d.line, dumplinesize, pos, "'");
    d.send();
  } else if (value->isnumber()) {
    char number[numbersize];
    append(d.line, dumplinesize, pos, shortnumber(value->number(), number));
    d.send();
  } else if (value->islist() || value->isnamedlist()) {
    append(d.line, dumplinesize, pos, level < maxdumpdepth ? "{" : "{..}");
    d.send();
    if (level >= maxdumpdepth) return;
    dumpelements(d, value, level);
    append(d.line, dumplinesize, indent(d.line, 0, level), "}");
    d.send();
  } else {
    for (int i = inlined ? 0 : level; i > 0; --i) fputs("  ", stdout);
    printf("? <%d>\n", static_cast<int>(value->type()));
  }
}

} // namespace

char const* shortnumber(double number, char* text) {
  snprintf(text, numbersize, "%.3f", number);
  char* point = strchr(text, '.');
  if (point == nullptr) return text;
  char* end = text + strlen(text);
  while (end > point && (end[-1] == '0' || end[-1] == '.')) {
    bool wasthepoint = end[-1] == '.';
    *--end = '\0';
    if (wasthepoint) break;
  }
  return text;
}

bool print(stack*, parameters* params, variables*, logfunc log) {
  char line[printlinesize] = "";
  int pos = 0;
  arguments args(params);
  for (variable* p = args.first(); p != nullptr; p = args.next()) {
    p->processed(true);
    char number[numbersize];
    if (p->isnumber())
      pos = append(line, printlinesize, pos, shortnumber(p->number(), number));
    else if (p->isstring())
      pos = append(line, printlinesize, pos, p->string());
    else if (p->islist() || p->isnamedlist())
      pos = append(line, printlinesize, pos, "{..}");
    pos = append(line, printlinesize, pos, " ");
  }
  if (log != nullptr) log(logoutput, line);
  return true;
}

bool dump(stack*, parameters* params, variables* globals, logfunc log) {
  dumper d{log, ""};
  arguments args(params);
  for (variable* p = args.first(); p != nullptr; p = args.next()) {
    p->processed(true);
    variable* named = p->isstring() ? findvariable(globals, p->string()) : nullptr;
    dumpvalue(d, named ? named : p, 0, 0);
  }
  return true;
}

} // namespace vesk::builtins
