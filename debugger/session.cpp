// session.cpp - reading the client's messages and answering its requests; see session.h.
// Requests are looked up in one table; each handler checks its own arguments.
#include "session.h"

#include <cstring>

#include "engineaccess.h"
#include "jsonfields.h"
#include "messagereader.h"
#include "scriptpaths.h"
#include "text.h"

namespace dap {

namespace {

constexpr std::size_t readsize = 64 * 1024;
constexpr char const* raisedfilter = "raised";
constexpr char const* uncaughtfilter = "uncaught";

// The position on the paused stack of the frame that a request's frameId names (the id is
// the position + 1; none: the innermost frame).
int frameindex(json const& arguments) {
  int id = integer(arguments, "frameId", 1);
  return id >= 1 ? id - 1 : 0;
}

json capabilities() {
  json filters = json::array(
      {{{"filter", raisedfilter},
        {"label", "Raised errors"},
        {"description", "Stop where an error is raised, whether or not a try block catches it"},
        {"default", false}},
       {{"filter", uncaughtfilter},
        {"label", "Uncaught errors"},
        {"description", "Stop where an error ends the run (or the part of a parallel block)"},
        {"default", true}}});
  return {{"supportsConfigurationDoneRequest", true}, {"supportsHitConditionalBreakpoints", true},
          {"supportsConditionalBreakpoints", true},   {"supportsLogPoints", true},
          {"supportsEvaluateForHovers", true},        {"supportsSetVariable", true},
          {"supportsTerminateRequest", true},         {"supportTerminateDebuggee", true},
          {"supportsLoadedSourcesRequest", true},     {"supportsExceptionInfoRequest", true},
          {"exceptionBreakpointFilters", filters}};
}

} // namespace

// What a request needs before it is handled: the initialize request, and a started target.
struct session::handler {
  char const* command;
  void (session::*handle)(json const&);
  bool needsstart;
};

session::handler const session::handlers[] = {
    {"initialize", &session::initialize, false},
    {"launch", &session::start, false},
    {"attach", &session::start, false},
    {"setBreakpoints", &session::setbreakpoints, false},
    {"setExceptionBreakpoints", &session::setexceptionbreakpoints, false},
    {"configurationDone", &session::configurationdone, false},
    {"threads", &session::threads, false},
    {"stackTrace", &session::stacktrace, true},
    {"scopes", &session::scopes, true},
    {"variables", &session::variables, true},
    {"setVariable", &session::setvariable, true},
    {"evaluate", &session::evaluate, true},
    {"exceptionInfo", &session::exceptioninfo, true},
    {"continue", &session::resume, true},
    {"next", &session::resume, true},
    {"stepIn", &session::resume, true},
    {"stepOut", &session::resume, true},
    {"pause", &session::pause, true},
    {"terminate", &session::terminate, true},
    {"disconnect", &session::disconnect, false},
    {"loadedSources", &session::loadedsources, false},
};

session::session(channel& stream, target& debuggee, runcontrol& control)
    : stream(stream), out(stream), hook(control), debuggee(debuggee) {
  hook.connect(&out);
}

session::~session() {
  hook.connect(nullptr);
}

void session::serve() {
  messagereader reader;
  std::string buffer(readsize, '\0');
  frame next;
  while (!disconnected) {
    std::size_t got = stream.read(buffer.data(), buffer.size());
    if (got == 0) break;
    reader.feed(buffer.data(), got);
    while (!disconnected && reader.next(next)) {
      if (next.kind == framing::message)
        handle(next.text);
      else
        out.fail(json(), next.text);
    }
  }
  // The client is gone without a disconnect: the target ends as the client's stop button
  // would end it.
  if (!disconnected) debuggee.end(json::object());
}

bool session::handle(std::string const& body) {
  json message = json::parse(body, nullptr, false);
  if (message.is_discarded())
    out.fail(json(), "the message is no JSON");
  else if (text(message, "type") == "request")
    dispatch(message);
  else if (text(message, "type") != "response") // answers to requests of ours: none are made
    out.fail(message, "the message is no request");
  return !disconnected;
}

void session::dispatch(json const& request) {
  std::string command = text(request, "command");
  for (handler const& h : handlers) {
    if (command != h.command) continue;
    if (!initialized && command != "initialize")
      out.fail(request, "the first request must be 'initialize'");
    else if (h.needsstart && !started)
      out.fail(request,
               std::string("'") + h.command + "' before '" + debuggee.startcommand() + "'");
    else
      (this->*h.handle)(request);
    return;
  }
  out.fail(request, "unknown request '" + command + "'");
}

void session::initialize(json const& request) {
  if (initialized) {
    out.fail(request, "the session is initialized already");
    return;
  }
  initialized = true;
  out.respond(request, capabilities());
  out.event("initialized");
}

void session::start(json const& request) {
  std::string command = text(request, "command");
  std::string error;
  if (command != debuggee.startcommand()) {
    out.fail(request, "this adapter takes '" + std::string(debuggee.startcommand()) + "', not '" +
                          command + "'");
  } else if (started) {
    out.fail(request, "'" + command + "' came already");
  } else if (!debuggee.prepare(field(request, "arguments"), hook, error)) {
    out.fail(request, error);
  } else {
    started = true;
    out.respond(request);
    if (configured) debuggee.begin();
  }
}

void session::setbreakpoints(json const& request) {
  json const& arguments = field(request, "arguments");
  std::string path = text(field(arguments, "source"), "path");
  if (path.empty()) {
    out.fail(request, "breakpoints need a source with a path");
    return;
  }
  std::vector<breakpoint> placed =
      placebreakpoints(path, field(arguments, "breakpoints"), nextbreakpoint);
  json described = json::array();
  for (breakpoint const& b : placed) described.push_back(describe(b, path));
  hook.setbreakpoints(scriptkey(path), std::move(placed));
  out.respond(request, {{"breakpoints", described}});
}

void session::setexceptionbreakpoints(json const& request) {
  std::vector<std::string> filters;
  if (!texts(field(request, "arguments"), "filters", filters)) {
    out.fail(request, "'filters' is a list of texts");
    return;
  }
  bool raised = false, uncaught = false;
  json placed = json::array();
  for (std::string const& filter : filters) {
    if (filter != raisedfilter && filter != uncaughtfilter) {
      out.fail(request, "no exception filter '" + utf8(filter) + "'; there are '" + raisedfilter +
                            "' and '" + uncaughtfilter + "'");
      return;
    }
    (filter == raisedfilter ? raised : uncaught) = true;
    placed.push_back({{"verified", true}});
  }
  hook.seterrorstops(raised, uncaught);
  out.respond(request, {{"breakpoints", placed}});
}

void session::configurationdone(json const& request) {
  if (configured) {
    out.fail(request, "the configuration is done already");
    return;
  }
  configured = true;
  out.respond(request);
  if (started) debuggee.begin();
}

void session::threads(json const& request) {
  json shown = json::array({{{"id", threadofpart(0)}, {"name", "main"}}});
  for (int part : hook.parts())
    shown.push_back({{"id", threadofpart(part)}, {"name", "part " + std::to_string(part)}});
  out.respond(request, {{"threads", shown}});
}

template <typename work> void session::whilepaused(json const& request, work inspect) {
  json body;
  std::string error;
  bool done = false;
  bool paused = hook.inspect([&](pausedrun const& run) { done = inspect(run, body, error); });
  if (!paused)
    out.fail(request, "the script is not paused");
  else if (!done)
    out.fail(request, error);
  else
    out.respond(request, body);
}

// The stack of the paused part; any other part waits before its next statement, where the
// engine cannot show its calls: its stack is empty.
void session::stacktrace(json const& request) {
  int thread = integer(field(request, "arguments"), "threadId", 0);
  whilepaused(request, [&](pausedrun const& run, json& body, std::string&) {
    std::vector<framedescription> frames;
    if (thread == threadofpart(run.at.part)) frames = callstack(run.engine);
    json shown = json::array();
    for (std::size_t i = 0; i < frames.size(); ++i) {
      seenscript script{frames[i].script, "", clientpath(frames[i].script)};
      shown.push_back({{"id", static_cast<int>(i) + 1},
                       {"name", utf8(basename(frames[i].script))},
                       {"source", describe(script)},
                       {"line", frames[i].line},
                       {"column", 1}});
    }
    body = {{"stackFrames", shown}, {"totalFrames", shown.size()}};
    return true;
  });
}

void session::scopes(json const& request) {
  int frame = frameindex(field(request, "arguments"));
  whilepaused(request, [&](pausedrun const& run, json& body, std::string&) {
    body = values.scopes(run, frame);
    return true;
  });
}

void session::variables(json const& request) {
  whilepaused(request, [&](pausedrun const& run, json& body, std::string& error) {
    return values.variables(run, field(request, "arguments"), body, error);
  });
}

void session::setvariable(json const& request) {
  whilepaused(request, [&](pausedrun const& run, json& body, std::string& error) {
    return values.setvariable(run, field(request, "arguments"), body, error);
  });
}

void session::evaluate(json const& request) {
  json const& arguments = field(request, "arguments");
  int frame = frameindex(arguments);
  std::string expression = text(arguments, "expression");
  whilepaused(request, [&](pausedrun const& run, json& body, std::string& error) {
    evaluation found = dap::evaluate(run.engine, frame, expression);
    if (!found.printed.empty()) out.output("stdout", found.printed);
    if (found.value == nullptr) return error = utf8(found.error), false;
    json shown = valuesview::summary(*found.value);
    body = {{"result", shown["value"]},
            {"type", shown["type"]},
            {"variablesReference", values.expandable(run, *found.value, frame)}};
    if (body["variablesReference"] != 0)
      body[found.value->islist() ? "indexedVariables" : "namedVariables"] = found.value->count();
    return true;
  });
}

void session::exceptioninfo(json const& request) {
  std::string message;
  bool caught = false;
  if (!hook.pausederror(message, caught)) {
    out.fail(request, "the script is not paused at an error");
    return;
  }
  out.respond(request, {{"exceptionId", "error"},
                        {"description", utf8(message)},
                        {"breakMode", caught ? "always" : "unhandled"}});
}

void session::resume(json const& request) {
  std::string command = text(request, "command");
  stepping how = command == "next"      ? stepping::over
                 : command == "stepIn"  ? stepping::in
                 : command == "stepOut" ? stepping::out
                                        : stepping::none;
  values.clear();
  int thread = integer(field(request, "arguments"), "threadId", 0);
  if (!hook.proceed(how, partofthread(thread))) {
    out.fail(request, "the script is not paused");
    return;
  }
  out.respond(request,
              how == stepping::none ? json{{"allThreadsContinued", true}} : json::object());
}

void session::pause(json const& request) {
  hook.pause();
  out.respond(request);
}

void session::terminate(json const& request) {
  std::string error;
  if (debuggee.terminate(error))
    out.respond(request);
  else
    out.fail(request, error);
}

void session::disconnect(json const& request) {
  debuggee.end(field(request, "arguments"));
  disconnected = true;
  out.respond(request);
}

void session::loadedsources(json const& request) {
  json sources = json::array();
  for (seenscript const& script : hook.scripts()) sources.push_back(describe(script));
  out.respond(request, {{"sources", sources}});
}

} // namespace dap
