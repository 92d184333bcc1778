// tokenlines.cpp - a slot per line: empty, marked as passed once, or holding the line's
// recording (from malloc). Recordings are published with a compare-and-swap and stay until
// the table is released.
#include "tokenlines.h"

#include <cstdlib>
#include <new>

#include "symbolizer.h"

namespace vesk {

namespace {

// Recordings of one table take at most this many bytes; once a recording finds no room (or no
// memory), lines not yet recorded are scanned on every pass.
constexpr std::size_t budget = std::size_t{32} << 20;

// What an empty slot holds after the line's first pass.
unsigned char* passedonce() {
  static unsigned char marker;
  return &marker;
}

} // namespace

tokenlines* tokenlines::make(int count) {
  if (count < 0) return nullptr;
  auto* table = new (std::nothrow) tokenlines;
  if (table == nullptr) return nullptr;
  table->slots = new (std::nothrow) std::atomic<unsigned char*>[static_cast<std::size_t>(count)]();
  if (table->slots == nullptr) {
    delete table;
    return nullptr;
  }
  table->count = count;
  return table;
}

void tokenlines::release(tokenlines* table) {
  if (table == nullptr) return;
  for (int i = 0; i < table->count; ++i) {
    unsigned char* recorded = table->slots[i].load(std::memory_order_relaxed);
    if (recorded != passedonce()) free(recorded);
  }
  delete[] table->slots;
  delete table;
}

unsigned char const* tokenlines::recording(int index, char const* text) {
  if (index < 0 || index >= count) return nullptr;
  std::atomic<unsigned char*>& slot = slots[index];
  unsigned char* recorded = slot.load(std::memory_order_acquire);
  if (recorded == nullptr) {
    // A line that runs once is not worth recording: most lines of a script run once.
    slot.compare_exchange_strong(recorded, passedonce(), std::memory_order_relaxed);
    return nullptr;
  }
  if (recorded != passedonce()) return recorded;
  if (exhausted.load(std::memory_order_relaxed)) return nullptr;
  return record(slot, text);
}

unsigned char const* tokenlines::recorded(int index) const {
  if (index < 0 || index >= count) return nullptr;
  unsigned char* recorded = slots[index].load(std::memory_order_acquire);
  return recorded == passedonce() ? nullptr : recorded;
}

unsigned char const* tokenlines::record(std::atomic<unsigned char*>& slot, char const* text) {
  std::size_t size = symbolizer::recordsize(text, standardoptions);
  if (used.fetch_add(size, std::memory_order_relaxed) + size > budget) {
    used.fetch_sub(size, std::memory_order_relaxed);
    exhausted.store(true, std::memory_order_relaxed);
    return nullptr;
  }
  auto* recorded = static_cast<unsigned char*>(malloc(size));
  if (recorded == nullptr) {
    used.fetch_sub(size, std::memory_order_relaxed);
    exhausted.store(true, std::memory_order_relaxed);
    return nullptr;
  }
  symbolizer::record(text, standardoptions, recorded);
  unsigned char* expected = passedonce();
  if (slot.compare_exchange_strong(expected, recorded, std::memory_order_acq_rel)) return recorded;
  // Another thread recorded the line meanwhile: its recording is the same.
  free(recorded);
  used.fetch_sub(size, std::memory_order_relaxed);
  return expected;
}

} // namespace vesk
