// Benchmarks of the value layer: appending to a list, indexing it, finding names in a large
// named list, pushing and popping the operand stack, and allocating from the arena.
#include "linearallocater.h"
#include "vesk.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int millionelements = 1000000;

std::string nameof(int i) {
  char name[24];
  std::snprintf(name, sizeof name, "name%d", i);
  return name;
}

// Appending 1e6 numbers to a fresh list on the heap, and giving the blocks back.
void listappend(benchmark::State& state) {
  for (auto _ : state) {
    vesk::variable list(vesk::listtype, nullptr);
    for (int i = 0; i < millionelements; ++i) benchmark::DoNotOptimize(list.add(1.0 * i));
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * millionelements);
}
BENCHMARK(listappend)->Unit(benchmark::kMillisecond);

struct millionlist {
  vesk::variable list{vesk::listtype, nullptr};
  millionlist() {
    for (int i = 0; i < millionelements; ++i) list.add(1.0 * i);
  }
  ~millionlist() { list.reset(); }
};

millionlist& sharedlist() {
  static millionlist shared;
  return shared;
}

// index(i) at a fixed position: one link step per 8 elements before it (the last block is
// reached directly).
void listindex(benchmark::State& state) {
  vesk::variable& list = sharedlist().list;
  int position = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(list.index(position));
}
BENCHMARK(listindex)->Arg(0)->Arg(1000)->Arg(500000)->Arg(999992)->Arg(999999);

// index(i) at uniformly random positions of the 1e6 list.
void listindexrandom(benchmark::State& state) {
  vesk::variable& list = sharedlist().list;
  std::mt19937 random(1);
  std::vector<int> positions(4096);
  for (int& p : positions) p = static_cast<int>(random() % millionelements);
  size_t k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(list.index(positions[k++ & 4095]));
}
BENCHMARK(listindexrandom)->Unit(benchmark::kMicrosecond);

// Walking all 1e6 elements with first()/next().
void listiterate(benchmark::State& state) {
  vesk::variable& list = sharedlist().list;
  for (auto _ : state) {
    double sum = 0;
    for (vesk::variable* v = list.first(); v != nullptr; v = list.next()) sum += v->number();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * millionelements);
}
BENCHMARK(listiterate)->Unit(benchmark::kMillisecond);

constexpr int namecount = 100000;

// Adding 1e5 named numbers (element and index entry each), then giving everything back.
void namedadd(benchmark::State& state) {
  std::vector<std::string> names;
  for (int i = 0; i < namecount; ++i) names.push_back(nameof(i));
  for (auto _ : state) {
    vesk::variables store;
    for (int i = 0; i < namecount; ++i)
      benchmark::DoNotOptimize(store.add(1.0 * i, names[i].c_str()));
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * namecount);
}
BENCHMARK(namedadd)->Unit(benchmark::kMillisecond);

// find() of present names, absent names and a two-segment path in a named list of 1e5 names.
void namedfind(benchmark::State& state) {
  vesk::variables store;
  for (int i = 0; i < namecount; ++i) store.add(1.0 * i, nameof(i).c_str());
  vesk::variable* inner = store.add(vesk::namedlisttype, "inner");
  inner->add(1.0, "leaf");
  std::mt19937 random(2);
  std::vector<std::string> lookups(4096);
  int mode = static_cast<int>(state.range(0));
  for (auto& name : lookups) {
    int i = static_cast<int>(random() % namecount);
    name = mode == 0 ? nameof(i) : mode == 1 ? "absent" + std::to_string(i) : "inner.leaf";
  }
  size_t k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(store.find(lookups[k++ & 4095].c_str()));
  state.SetLabel(mode == 0 ? "present" : mode == 1 ? "absent" : "path a.b");
  inner->reset();
  store.reset();
}
BENCHMARK(namedfind)->Arg(0)->Arg(1)->Arg(2);

void stackpushpop(benchmark::State& state) {
  vesk::stack operands;
  for (auto _ : state) {
    benchmark::DoNotOptimize(operands.push(1.5));
    operands.pop(1);
  }
}
BENCHMARK(stackpushpop);

void stackpushcopy(benchmark::State& state) {
  vesk::stack operands;
  vesk::variable text("a text of some length");
  for (auto _ : state) {
    benchmark::DoNotOptimize(operands.push(&text));
    operands.pop(1);
  }
}
BENCHMARK(stackpushcopy);

// 128 pushes of numbers followed by reset(), per iteration.
void stackfillreset(benchmark::State& state) {
  vesk::stack operands;
  for (auto _ : state) {
    for (int i = 0; i < 128; ++i) benchmark::DoNotOptimize(operands.push(1.0 * i));
    operands.reset();
  }
  state.SetItemsProcessed(state.iterations() * 128);
}
BENCHMARK(stackfillreset);

// One record-sized allocation from the 64 KiB arena, rewound when full.
void arenaalloc(benchmark::State& state) {
  std::vector<char> memory(65536);
  linearallocater arena(memory.data(), static_cast<int>(memory.size()));
  for (auto _ : state) {
    void* p = arena.alloc(sizeof(vesk::variable), "list");
    if (p == nullptr) arena.reset();
    benchmark::DoNotOptimize(p);
  }
}
BENCHMARK(arenaalloc);

// A temporary list of 16 numbers built in the arena, as the evaluator builds literals.
void arenalist(benchmark::State& state) {
  vesk::stack operands;
  std::vector<char> memory(65536);
  linearallocater arena(memory.data(), static_cast<int>(memory.size()));
  for (auto _ : state) {
    arena.reset();
    auto* list =
        new (arena.alloc(sizeof(vesk::variable), "list")) vesk::variable(vesk::listtype, &arena);
    for (int i = 0; i < 16; ++i) list->add(1.0 * i);
    benchmark::DoNotOptimize(operands.push(list));
    operands.pop(1);
  }
}
BENCHMARK(arenalist);

} // namespace
