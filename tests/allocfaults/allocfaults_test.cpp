// allocfaults_test.cpp - every allocation of a host's call failing in turn (the build made with
// VESK_ALLOCFAULTS): for N = 1, 2, 3, ... the Nth allocation of the library and of the host's
// allocater fails, or every one from the Nth on. After each call the process is alive, and the
// call either failed with "memory exhausted" or did exactly what it does without failures; the
// store is sound: every value in it can be read, and once the host has released it the same
// interpreter and store run as well as the first time. LeakSanitizer finds what was not given
// back. A failure names the scenario, N and the mode, which is all it takes to repeat it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "allocationfaults.h"
#include "vesk.h"

namespace {

constexpr char exhausted[] = "memory exhausted";
// A parallel block whose thread could not be started (its state is an allocation, too).
constexpr char nothread[] = "no thread could be started";

// Every line logged, with its level, from either thread of a parallel block.
std::mutex loglock;
std::vector<std::pair<int, std::string>> loglines;

void record(int level, char const* text) {
  std::lock_guard<std::mutex> hold(loglock);
  loglines.emplace_back(level, text);
}

std::vector<std::pair<int, std::string>> takelog() {
  std::lock_guard<std::mutex> hold(loglock);
  std::vector<std::pair<int, std::string>> taken;
  taken.swap(loglines);
  return taken;
}

std::string joined(std::vector<std::pair<int, std::string>> const& lines) {
  std::string text;
  for (auto const& [level, line] : lines) text += std::to_string(level) + ": " + line + "\n";
  return text;
}

bool mentions(std::vector<std::pair<int, std::string>> const& lines, char const* what,
              int level = -1) {
  for (auto const& [at, line] : lines)
    if ((level < 0 || at == level) && line.find(what) != std::string::npos) return true;
  return false;
}

// A host's allocater whose requests count with the library's own.
class hostallocater : public vesk::allocater {
public:
  void* alloc(unsigned size, char const*) override {
    return vesk::faults::failnext() ? nullptr : std::malloc(size);
  }
  void free(void* pointer) override { std::free(pointer); }
};

// The whole store as text, every value read: a value that cannot be read is a fault that
// AddressSanitizer reports here.
void render(vesk::variable& value, std::ostringstream& out, int depth) {
  switch (value.type()) {
  case vesk::numbertype:
    out << value.number();
    return;
  case vesk::stringtype:
    out << '"' << value.string() << '"';
    return;
  case vesk::binarytype:
    out << "<binary " << value.count() << ">";
    return;
  case vesk::undefinedtype:
    out << "<undefined>";
    return;
  case vesk::listtype:
  case vesk::namedlisttype:
    break;
  default:
    ADD_FAILURE() << "a value of type " << static_cast<int>(value.type());
    return;
  }
  bool named = value.isnamedlist();
  out << (named ? "{" : "[");
  vesk::variable walker = value; // the list's own cursor stays where it is
  char* name = nullptr;
  int n = 0;
  for (vesk::variable* e = named ? walker.first(&name) : walker.first(); e != nullptr;
       e = named ? walker.next(&name) : walker.next(), ++n) {
    if (named) out << name << "=";
    if (depth < 64) render(*e, out, depth + 1);
    out << ",";
  }
  out << (named ? "}" : "]");
  EXPECT_EQ(n, value.count()) << "a list whose count is not the number of its elements";
}

std::string rendered(vesk::variable& value) {
  std::ostringstream out;
  render(value, out, 0);
  return out.str();
}

// Keeps what the engine writes to standard output itself (the trace lines of parallel blocks)
// out of the test's report while a call runs.
class quietoutput {
public:
  quietoutput() {
    std::fflush(stdout);
    saved = dup(STDOUT_FILENO);
    int nowhere = open("/dev/null", O_WRONLY);
    dup2(nowhere, STDOUT_FILENO);
    close(nowhere);
  }
  ~quietoutput() {
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
  }
  quietoutput(quietoutput const&) = delete;
  quietoutput& operator=(quietoutput const&) = delete;

private:
  int saved;
};

// What a host does: set its interpreter up, then run something in it.
struct scenario {
  char const* name;
  bool hoststorage; // the store takes its storage from the host's allocater
  bool failsetup;   // allocations fail while the interpreter is made and set up, too
  bool catches;     // the script has try blocks, which may go on without a word
  std::function<void(vesk::interpreter&)> setup;
  std::function<bool(vesk::interpreter&, vesk::variables&)> run;
};

// What a call did: its result, what the run logged and what it left in the store.
struct outcome {
  bool ok = false;
  std::vector<std::pair<int, std::string>> setuplog;
  std::vector<std::pair<int, std::string>> runlog;
  std::string store;
};

bool sameoutcome(outcome const& a, outcome const& b) {
  return a.ok == b.ok && a.runlog == b.runlog && a.store == b.store;
}

enum class injection { none, nth, onward };

// One host's life: a store and an interpreter made, set up and run, allocations failing as
// `mode` says from the nth on; then the same interpreter and store, released by the host, run
// once more without failures (`again`). Both are given back at the end.
struct trial {
  hostallocater storage;
  std::unique_ptr<vesk::variables> store;
  std::unique_ptr<vesk::interpreter> engine;
  long long counted = 0;
  long long injected = 0;

  outcome attempt(scenario const& s, injection mode, long long nth) {
    // Without failures the allocations are counted all the same (none is the 0th).
    auto arm = [&] {
      vesk::faults::arm(mode == injection::none ? 0 : nth, mode == injection::onward);
    };
    takelog();
    store = std::make_unique<vesk::variables>(s.hoststorage ? &storage : nullptr);
    if (s.failsetup) arm();
    engine = std::make_unique<vesk::interpreter>(store.get(), record);
    s.setup(*engine);
    outcome result;
    result.setuplog = takelog();
    if (!s.failsetup) arm();
    {
      quietoutput quiet;
      result.ok = s.run(*engine, *store);
    }
    vesk::faults::disarm();
    counted = vesk::faults::counted();
    injected = vesk::faults::injected();
    result.runlog = takelog();
    result.store = rendered(*store);
    return result;
  }

  outcome again(scenario const& s) {
    vesk::releasevalue(store.get());
    // An interpreter that could not be made (it said so) is no use: the host makes another.
    if (engine->store() == nullptr)
      engine = std::make_unique<vesk::interpreter>(store.get(), record);
    s.setup(*engine); // what the failed call left undone; what it did is refused quietly
    takelog();
    outcome result;
    {
      quietoutput quiet;
      result.ok = s.run(*engine, *store);
    }
    result.runlog = takelog();
    result.store = rendered(*store);
    return result;
  }

  ~trial() {
    engine.reset();
    if (store != nullptr) vesk::releasevalue(store.get());
  }
};

// The checks after one call with failures injected, against the call without any.
void judge(scenario const& s, outcome const& reference, injection mode, long long nth) {
  trial t;
  outcome got = t.attempt(s, mode, nth);
  std::string where = std::string(s.name) +
                      (mode == injection::nth ? ": only allocation " : ": every allocation from ") +
                      std::to_string(nth) + " failing";
  auto const& everything = [&] { return joined(got.setuplog) + joined(got.runlog); };
  bool reported = mentions(got.setuplog, exhausted) || mentions(got.runlog, exhausted) ||
                  mentions(got.runlog, nothread);
  if (t.injected == 0) {
    EXPECT_TRUE(sameoutcome(got, reference)) << where << " (none failed): a call that differs\n"
                                             << everything();
  } else if (!sameoutcome(got, reference)) {
    // Another outcome is sound when the call failed saying that memory ran out, or when the
    // script caught the failure: it printed what it caught, or it may have (a catch that does
    // not print lets the script go on another way, which is its own business).
    bool printed = mentions(got.runlog, exhausted, vesk::logoutput);
    EXPECT_TRUE((!got.ok && reported) || printed || s.catches)
        << where << ": a call that " << (got.ok ? "succeeded" : "failed")
        << (got.ok ? " but did something else than the call without failures\n"
                   : " without saying that memory ran out\n")
        << everything() << "store: " << got.store << "\nexpected store: " << reference.store
        << "\nexpected log:\n"
        << joined(reference.runlog);
  }
  outcome after = t.again(s);
  EXPECT_TRUE(sameoutcome(after, reference))
      << where << ": the same interpreter and store, released, then run without failures:\n"
      << joined(after.runlog) << "store: " << after.store << "\nexpected store: " << reference.store
      << "\nexpected log:\n"
      << joined(reference.runlog);
}

// Which of the allocations a call makes are tried: every one when there are at most
// `triedcalls` (in each mode), else every stride-th from the first; fewer still when a call
// takes long (a script that sleeps), so that no scenario takes much more than `budget`
// seconds. VESK_FAULT_STRIDE in the environment sets the stride (1: every allocation of every
// scenario, which takes hours).
constexpr long long triedcalls = 160;
constexpr long long fewestcalls = 4;
constexpr double budget = 4.0;

long long strideof(long long total, double seconds) {
  if (char const* given = std::getenv("VESK_FAULT_STRIDE")) return std::max(1LL, std::atoll(given));
  // Each try is two calls (with failures, then the clean one), in each of the two modes.
  auto affordable = static_cast<long long>(budget / (4 * std::max(seconds, 1e-6)));
  long long tries = std::clamp(affordable, fewestcalls, triedcalls);
  return std::max(1LL, (total + tries - 1) / tries);
}

void everyallocation(scenario const& s) {
  outcome reference;
  long long total = 0;
  auto began = std::chrono::steady_clock::now();
  {
    trial t;
    reference = t.attempt(s, injection::none, 0);
    total = t.counted;
  }
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
  ASSERT_GT(total, 0) << s.name << ": no allocation counted (is this the VESK_ALLOCFAULTS build?)";
  long long stride = strideof(total, took.count());
  std::printf("%s: %lld allocations, every %lld. failing\n", s.name, total, stride);
  // VESK_FAULT_ONLY=N tries that N alone (in both modes), to look at one failure.
  if (char const* only = std::getenv("VESK_FAULT_ONLY")) {
    judge(s, reference, injection::nth, std::atoll(only));
    judge(s, reference, injection::onward, std::atoll(only));
    return;
  }
  for (long long nth = 1; nth <= total + 1; nth += stride) {
    judge(s, reference, injection::nth, nth);
    judge(s, reference, injection::onward, nth);
    // The first failure is the one to look at, unless VESK_FAULT_ALL asks for every one.
    if (testing::Test::HasFailure() && std::getenv("VESK_FAULT_ALL") == nullptr) return;
  }
}

// --- the scenarios --------------------------------------------------------------------------

std::string const folder = VESK_FAULTS_FOLDER;

void builtins(vesk::interpreter& engine) {
  engine.addinternalfuncs(nullptr);
  engine.setscriptpath(folder.c_str(), nullptr);
}

std::vector<std::string> linesof(std::string const& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool runlines(vesk::interpreter& engine, std::vector<std::string> const& text, char const* name) {
  std::vector<char const*> lines;
  for (auto const& line : text) lines.push_back(line.c_str());
  return engine.execute(lines.data(), static_cast<int>(lines.size()), name);
}

std::vector<std::string> const mixed = linesof(folder + "/mixed.vk");

scenario const lines{"lines",
                     false,
                     false,
                     false,
                     builtins,
                     [](vesk::interpreter& e, vesk::variables&) {
                       return runlines(e, mixed, "mixed.vk"); }};

TEST(allocationfailure, runoflines) {
  ASSERT_FALSE(mixed.empty());
  everyallocation(lines);
}

// The same with the store's storage from the host's allocater, whose requests fail in turn too.
TEST(allocationfailure, hostsallocater) {
  scenario s = lines;
  s.name = "host's allocater";
  s.hoststorage = true;
  everyallocation(s);
}

// The interpreter made and set up while allocations fail: a host that then runs a script in
// it learns why it cannot.
TEST(allocationfailure, setup) {
  scenario s{"setup", false, true, false, builtins, [](vesk::interpreter& e, vesk::variables&) {
               return runlines(e, {"l = {1, {2}}", "print count(l), l[1][0]"}, "setup.vk");
             }};
  everyallocation(s);
}

// What the host writes into the log itself, where the outcome compares it.
void note(std::string const& text) {
  record(vesk::logoutput, text.c_str());
}

// A script file by name, with parameters the host made (and gives back).
TEST(allocationfailure, scriptfile) {
  scenario s{"script file",
             false,
             false,
             false,
             builtins,
             [](vesk::interpreter& e, vesk::variables& store) {
               vesk::parameters params;
               bool made = params.add(7.0, "width") != nullptr && params.add(3.0, "by");
               vesk::variable* list = made ? params.add(vesk::listtype, "extra") : nullptr;
               made = list != nullptr && list->add("more") != nullptr;
               if (!made) note("host: memory exhausted for the parameters");
               bool ok = made && e.execute("scale", &params) &&
                         e.execute("mixed", static_cast<vesk::parameters*>(nullptr));
               vesk::variable* scaled = store.find("scaled");
               if (ok && scaled != nullptr) note(rendered(*scaled));
               vesk::releasevalue(&params);
               return ok;
             }};
  everyallocation(s);
}

// Evaluations and single command lines, whose values the host reads.
TEST(allocationfailure, evaluations) {
  scenario s{
      "evaluations", false, false, false, builtins, [](vesk::interpreter& e, vesk::variables&) {
        if (!e.execute("l = {1, {2, 3}, \"four\"}", "host") ||
            !e.execute("n = {a = l, b = {c = 5}}", "host") ||
            !e.execute("print count(l + l), n.b.c", "host"))
          return false;
        vesk::variable* value = e.evaluate("l + {n, {6}} + {\"seven\"}");
        if (value == nullptr) return false;
        note(rendered(*value));
        value = e.evaluate("n + {d = \"text \" + 8}");
        if (value == nullptr) return false;
        note(rendered(*value));
        return true;
      }};
  everyallocation(s);
}

// An extension library loaded (while allocations fail) and called. The library is loaded once
// in the process; each interpreter registers its function anew.
TEST(allocationfailure, library) {
  scenario s{"library",
             false,
             true,
             false,
             [](vesk::interpreter& e) {
               builtins(e);
               e.add(VESK_TEST_GEO);
             },
             [](vesk::interpreter& e, vesk::variables&) {
               return runlines(e, {"d = {geo(3, 4), geo(5, 12)}", "print d[0] + d[1]"}, "lib.vk");
             }};
  everyallocation(s);
}

// A parallel block whose thread cannot be had (the thread's state is an allocation of the
// library's): the block fails before either part runs, saying so, and nothing after it runs;
// the same interpreter and store then run the block as if nothing had happened.
TEST(allocationfailure, parallelwithoutthread) {
  std::vector<std::string> const text = {"a = 0",  "b = 0", "parallel", "a = 1",
                                         "thread", "b = 2", "end",      "c = 3"};
  auto once = [&](long long nth, vesk::variables& store, vesk::interpreter& engine) -> std::string {
    takelog();
    vesk::faults::arm(nth, false);
    bool ok;
    {
      quietoutput quiet;
      ok = runlines(engine, text, "parallel.vk");
    }
    vesk::faults::disarm();
    return ok && vesk::faults::injected() == 0 ? "ran" : rendered(store);
  };
  long long total = 0;
  {
    vesk::variables store;
    vesk::interpreter engine(&store, record);
    ASSERT_EQ(once(0, store, engine), "ran");
    total = vesk::faults::counted();
    vesk::releasevalue(&store);
  }
  int refused = 0;
  for (long long nth = 1; nth <= total; ++nth) {
    vesk::variables store;
    vesk::interpreter engine(&store, record);
    std::string left = once(nth, store, engine);
    auto log = takelog();
    if (mentions(log, nothread)) {
      ++refused;
      EXPECT_EQ(left, "{a=0,b=0,}") << "allocation " << nth << "\n" << joined(log);
      EXPECT_EQ(log.size(), 1u) << "allocation " << nth << "\n" << joined(log);
      EXPECT_EQ(once(0, store, engine), "ran") << "allocation " << nth << "\n" << joined(takelog());
      EXPECT_EQ(rendered(store), "{a=1,b=2,c=3,}") << "allocation " << nth;
    }
    vesk::releasevalue(&store);
  }
  EXPECT_GT(refused, 0) << "none of " << total << " allocations was the thread's";
}

// --- golden scripts --------------------------------------------------------------------------
// Each case of the areas below, run as vesk runs it (in its folder, the built-ins registered)
// but in this process. Left out: cases with arguments of their own or a label (stress and
// shortcut-only cases), the areas of the command itself, of limits and listings, the built-ins
// of clocks, whose output depends on the moment, every case that changes its folder (a run
// that fails half-way would leave it changed for the next) and cases whose parallel parts
// wait for each other with sleep (a loaded machine changes their output).

std::string const goldenroot = VESK_GOLDEN_FOLDER;
char const* const goldenareas[] = {"blocks",          "calls",           "compiled",
                                   "elements",        "expressions",     "ownership",
                                   "statements",      "tokens",          "builtins/assertions",
                                   "builtins/errors", "builtins/flags",  "builtins/inspection",
                                   "builtins/math",   "builtins/output", "builtins/registration"};

bool changesfolder(std::string const& text) {
  for (char const* call : {"renamefile(", "deletefile(", "createfolder(", "deletefolder("})
    if (text.find(call) != std::string::npos) return true;
  return false;
}

// A script whose parallel parts wait for each other with sleep: on a loaded machine a part may
// start later than the other's sleep lasts, and its output changes.
bool timesparts(std::string const& text) {
  return text.find("parallel") != std::string::npos && text.find("sleep") != std::string::npos;
}

std::string textof(std::filesystem::path const& script) {
  std::ifstream in(script);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> goldencases() {
  namespace fs = std::filesystem;
  std::vector<std::string> cases;
  for (char const* area : goldenareas)
    for (auto const& entry : fs::directory_iterator(goldenroot + "/" + area)) {
      fs::path script = entry.path();
      if (script.extension() != ".vk") continue;
      auto beside = [&](char const* extension) {
        return fs::exists(fs::path(script).replace_extension(extension));
      };
      if (!beside(".out") || beside(".args") || beside(".labels")) continue;
      std::string text = textof(script);
      if (!changesfolder(text) && !timesparts(text))
        cases.push_back(fs::relative(script, goldenroot).replace_extension().string());
    }
  std::sort(cases.begin(), cases.end());
  return cases;
}

// Runs `lines` as vesk runs a script: in the script's folder.
class infolder {
public:
  explicit infolder(std::string const& folder) : before(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~infolder() { std::filesystem::current_path(before); }
  infolder(infolder const&) = delete;
  infolder& operator=(infolder const&) = delete;

private:
  std::filesystem::path before;
};

class golden : public testing::TestWithParam<std::string> {};

TEST_P(golden, script) {
  std::filesystem::path script = goldenroot + "/" + GetParam() + ".vk";
  std::vector<std::string> text = linesof(script.string());
  std::string name = script.filename().string();
  std::string where = script.parent_path().string();
  bool catches = std::any_of(text.begin(), text.end(), [](std::string const& line) {
    std::size_t word = line.find_first_not_of(" \t");
    return word != std::string::npos && line.compare(word, 3, "try") == 0 &&
           (line.size() == word + 3 || std::isspace(static_cast<unsigned char>(line[word + 3])));
  });
  scenario s{GetParam().c_str(),
             false,
             false,
             catches,
             [](vesk::interpreter& e) { e.addinternalfuncs(nullptr); },
             [&](vesk::interpreter& e, vesk::variables&) {
               infolder in(where);
               return runlines(e, text, name.c_str());
             }};
  everyallocation(s);
}

INSTANTIATE_TEST_SUITE_P(allocationfailure, golden, testing::ValuesIn(goldencases()),
                         [](testing::TestParamInfo<std::string> const& info) {
                           std::string id = info.param;
                           std::replace(id.begin(), id.end(), '/', '_');
                           return id;
                         });

} // namespace
