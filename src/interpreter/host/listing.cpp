// listing.cpp - the listing of compiled lines (interpreter::list): each line compiled as a run
// compiles it on its second pass, its general instructions and its quick tier written out one
// per line, the names of calls with what they call. Nothing runs and nothing is kept.
#include <cstdio>

#include "codebook.h"
#include "engine.h"
#include "listing.h"

namespace vesk {

namespace {

// What a call's name resolved to, for the listing.
void calleeof(site const& s, char* text, size_t size) {
  if (s.kind == calledfunction)
    snprintf(text, size, "%s (function)", s.name);
  else if (s.kind == calledscript)
    snprintf(text, size, "%s (script %s)", s.name, s.path);
  else
    snprintf(text, size, "%s", s.name);
}

} // namespace

// Writes the instructions of one tier of `line`.
void engine::listtier(compiledline const& line, instruction const* code, int count) {
  char text[messagesize];
  for (int i = 0; i < count; ++i) {
    instruction const& in = code[i];
    bool quick = describe(in.code).tier == quicktier;
    bool named = quick ? in.code == op_qvariable || in.code == op_qelement ||
                             in.code == op_qelements || in.code == op_qmember ||
                             in.code == op_qcall || in.code == op_qassign ||
                             in.code == op_qassignelement || in.code == op_qassignelements ||
                             in.code == op_qassignmember
                       : keepssite(in);
    char name[maxpathlen * 2 + 32];
    if (named && in.code == op_callopen)
      calleeof(line.sites[in.site], name, sizeof name);
    else if (named)
      snprintf(name, sizeof name, "%s", line.sites[in.site].name);
    bool two = in.code == op_qmember || in.code == op_qassignmember;
    char body[messagesize - 16];
    listinstruction(in, named ? name : nullptr, two ? line.sites[in.second].name : nullptr, body,
                    sizeof body);
    snprintf(text, sizeof text, "%s%4d  %s", quick ? "  " : "", i, body);
    log(logoutput, text);
  }
}

int engine::list(char const** lines, int count, char const* name) {
  if (!begincall()) return -1;
  int listed = -1;
  if ((lines == nullptr && count != 0) || count < 0) {
    cmdindex = -1;
    error("no lines to list");
  } else if (!refused(name, lines, count)) {
    copytext(scriptname, name, maxpathlen);
    for (listed = 0; listed < count; ++listed) {
      cmdindex = listed;
      compiledline* line = compile(lines[listed], nullptr, 0);
      if (line == nullptr) {
        error(msg_memory);
        break;
      }
      char text[messagesize];
      snprintf(text, sizeof text, "%s(%d): %s", scriptname, listed + 1, lines[listed]);
      log(logoutput, text);
      listtier(*line, line->code, line->count);
      if (line->quick != nullptr) {
        log(logoutput, "  quick");
        listtier(*line, line->quick, line->quickcount);
      }
      releaseline(line);
    }
  }
  endcall();
  return listed;
}

} // namespace vesk
