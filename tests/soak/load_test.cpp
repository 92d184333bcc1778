// load_test.cpp - host threads under load: sixteen with an interpreter and a store each, and
// four sharing one interpreter family (an interpreter each, made from one, over one store) that
// take turns through a lock of the host's, as the embedding guide asks. Every run's results are
// checked; the runs per second of all threads together are set against one thread's.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <latch>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "quietoutput.h"
#include "vesk.h"

namespace {

#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer runs each script some twenty times slower: a tenth of the runs.
constexpr int runsperthread = 1000;
#else
constexpr int runsperthread = 10000;
#endif
constexpr int ownthreads = 16;
constexpr int sharingthreads = 4;
constexpr int baselineruns = runsperthread / 5;

using vesktest::quietoutput;

std::atomic<int> errors{0};
void countlog(int level, char const*) {
  if (level == vesk::logerror) errors.fetch_add(1);
}

// One run: a list built and summed, a named list, a text, a caught error and a parallel block;
// `runs` counts the runs over the store.
char const* const loadlines[] = {
    "runs = runs + 1",
    "items = {}",
    "for i = 1 to 20",
    "  items = items + {i * runs}",
    "next",
    "sum = 0",
    "for each v in items",
    "  sum = sum + v",
    "next",
    "record = {sum = sum, text = \"run \" + runs}",
    "try",
    "  missing = items[99]",
    "catch",
    "  misses = misses + 1",
    "end",
    "parallel",
    "  first = count(items)",
    "thread",
    "  second = record.sum",
    "end",
};
constexpr int loadcount = sizeof loadlines / sizeof loadlines[0];
constexpr int itemsum = 20 * 21 / 2; // 1 + 2 + ... + 20

double number(vesk::variables& store, char const* name) {
  vesk::variable* value = store.find(name);
  return value != nullptr && value->isnumber() ? value->number() : -1;
}

std::string text(vesk::variables& store, char const* name) {
  vesk::variable* value = store.find(name);
  return value != nullptr ? value->string() : "";
}

// Runs the script once and checks what it left; a description of what was wrong, or "".
std::string runchecked(vesk::interpreter& engine, vesk::variables& store) {
  if (!engine.execute(const_cast<char const**>(loadlines), loadcount, "load")) return "run failed";
  double runs = number(store, "runs");
  if (number(store, "sum") != itemsum * runs || number(store, "first") != 20 ||
      number(store, "second") != itemsum * runs || number(store, "misses") != runs ||
      text(store, "record.text") != "run " + std::to_string(static_cast<long>(runs)))
    return "wrong results after run " + std::to_string(runs);
  return "";
}

void prepare(vesk::interpreter& engine, vesk::variables& store) {
  engine.setglobals(&store);
  engine.setlogfunc(countlog);
  engine.addinternalfuncs(nullptr);
  char const* start[] = {"runs = 0", "misses = 0"};
  engine.execute(start, 2, "start");
}

// A thread with an interpreter and a store of its own.
void ownrun(int runs, std::latch& go, std::string& wrong) {
  vesk::variables store;
  vesk::interpreter engine;
  prepare(engine, store);
  go.arrive_and_wait();
  for (int run = 0; run < runs && wrong.empty(); ++run) wrong = runchecked(engine, store);
  if (wrong.empty() && number(store, "runs") != runs) wrong = "runs lost";
  vesk::releasevalue(&store);
}

// One of the threads that share a family: its own interpreter, made from the family's first,
// and the family's store, used while it holds the family's lock.
void sharedrun(vesk::interpreter& first, std::mutex& family, int runs, std::latch& go,
               std::string& wrong) {
  vesk::interpreter engine;
  {
    std::lock_guard<std::mutex> held(family);
    engine = first;
  }
  go.arrive_and_wait();
  for (int run = 0; run < runs && wrong.empty(); ++run) {
    std::lock_guard<std::mutex> held(family);
    wrong = runchecked(engine, *engine.store());
  }
}

double secondssince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(load, ThreadsWithTheirOwnInterpretersAndOneSharedFamily) {
  errors = 0;
  vesk::variables sharedstore;
  vesk::interpreter first;
  std::mutex family;
  std::vector<std::string> wrong(ownthreads + sharingthreads + 1); // the last: the baseline
  double onethread = 0, together = 0;
  {
    quietoutput quiet;
    std::latch alone(1);
    auto start = std::chrono::steady_clock::now();
    ownrun(baselineruns, alone, wrong.back());
    onethread = baselineruns / secondssince(start);

    prepare(first, sharedstore);
    std::latch go(ownthreads + sharingthreads + 1);
    std::vector<std::thread> threads;
    for (int i = 0; i < ownthreads; ++i)
      threads.emplace_back(ownrun, runsperthread, std::ref(go), std::ref(wrong[i]));
    for (int i = 0; i < sharingthreads; ++i)
      threads.emplace_back(sharedrun, std::ref(first), std::ref(family), runsperthread,
                           std::ref(go), std::ref(wrong[ownthreads + i]));
    go.arrive_and_wait();
    start = std::chrono::steady_clock::now();
    for (std::thread& thread : threads) thread.join();
    together = (ownthreads + sharingthreads) * runsperthread / secondssince(start);
  }
  for (std::size_t i = 0; i < wrong.size(); ++i) EXPECT_EQ(wrong[i], "") << "thread " << i;
  EXPECT_EQ(number(sharedstore, "runs"), sharingthreads * runsperthread);
  EXPECT_EQ(errors.load(), 0);
  std::fprintf(stderr, "one thread: %.0f runs/s; %d threads: %.0f runs/s (%.2f times)\n", onethread,
               ownthreads + sharingthreads, together, together / onethread);
  RecordProperty("runspersecondalone", std::to_string(static_cast<long>(onethread)));
  RecordProperty("runspersecondtogether", std::to_string(static_cast<long>(together)));
  vesk::releasevalue(&sharedstore);
}

} // namespace
