// storeheap.cpp - malloc with a size header per allocation, so that free can count it back;
// the count and the limit are atomic because the stores of several interpreter families may
// be written from several threads.
#include "storeheap.h"

#include <atomic>
#include <cstdlib>

namespace vesk {

namespace {

constexpr std::size_t headersize = 16; // keeps what follows the header 16-byte aligned

std::atomic<unsigned long long> inuse{0};
std::atomic<unsigned long long> limit{defaultstorelimit};
std::atomic<unsigned long long> refusals{0};

class countedheap final : public allocater {
public:
  void* alloc(unsigned size, char const*) override {
    unsigned long long now = inuse.fetch_add(size, std::memory_order_relaxed) + size;
    if (now > limit.load(std::memory_order_relaxed)) {
      inuse.fetch_sub(size, std::memory_order_relaxed);
      countrefusal();
      return nullptr;
    }
    auto header = static_cast<unsigned long long*>(std::malloc(headersize + size));
    if (header == nullptr) {
      inuse.fetch_sub(size, std::memory_order_relaxed);
      return nullptr;
    }
    *header = size;
    return reinterpret_cast<char*>(header) + headersize;
  }
  void free(void* pointer) override {
    if (pointer == nullptr) return;
    auto header = reinterpret_cast<unsigned long long*>(static_cast<char*>(pointer) - headersize);
    inuse.fetch_sub(*header, std::memory_order_relaxed);
    std::free(header);
  }
};

countedheap heap; // trivially destructible: alive for as long as any list may be released

} // namespace

allocater* storeheap() { return &heap; }

void setstoreheaplimit(unsigned long long bytes) {
  limit.store(bytes ? bytes : defaultstorelimit, std::memory_order_relaxed);
}

unsigned long long storeheaplimit() { return limit.load(std::memory_order_relaxed); }

unsigned long long storeheaprefusals() { return refusals.load(std::memory_order_relaxed); }

void countrefusal() { refusals.fetch_add(1, std::memory_order_relaxed); }

unsigned long long storeheapinuse() { return inuse.load(std::memory_order_relaxed); }

} // namespace vesk

namespace vesk {
void setstorelimit(unsigned long long bytes) { setstoreheaplimit(bytes); }
} // namespace vesk
