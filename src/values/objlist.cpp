// objlist.cpp - the block chain: append without moving, cursor iteration, indexing, clearing.
#include "objlist.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "fastpaths.h"
#include "fasttls.h"
#include "storeheap.h"
#include "valuelimits.h"

namespace vesk {

namespace {

char const blocktag[] = "objlist::block";

// Where index() last arrived, per thread: a walk through a list by ascending positions then
// costs one link step per block in all, not one walk from the first block per element. A few
// hints are kept, so that interleaved walks (an outer and an inner loop) each keep theirs. Only
// lists on the plain heap get hints (an allocater may reuse its storage without telling), and
// a hint is trusted only while no such list has given its blocks back since it was taken.
std::atomic<unsigned> storagegeneration{0};
struct indexhint {
  void const* first;
  void* block;
  int start;
  unsigned generation;
};
constexpr int hints = 4;
constexpr int nearby = 64 * blocksize; // a hint moves along with walks shorter than this
// Read on every index.
VESK_FASTTLS thread_local indexhint hint[hints] = {};
VESK_FASTTLS thread_local int oldesthint = 0;

} // namespace

objlist::objlist(int elementbytes, allocater* allocator, int namebytes)
    : elementsize(elementbytes), perblock(blocksize), count(0), firstblock(nullptr),
      lastblock(nullptr), cursorpos(0), cursorblock(nullptr), alloc(allocator),
      namelength(namebytes) {}

void* objlist::take(unsigned bytes) {
  return alloc != nullptr ? alloc->alloc(bytes, blocktag) : std::malloc(bytes);
}

void objlist::giveback(void* pointer) {
  if (alloc != nullptr)
    alloc->free(pointer);
  else
    std::free(pointer);
}

// Finds or obtains the slot of the next element without changing the header, so that a failed
// block allocation leaves everything as it was. *fresh receives a new block, if one was taken.
void* objlist::newslot(void** fresh) {
  int slot = count % blocksize;
  *fresh = nullptr;
  if (firstblock != nullptr && slot != 0) return static_cast<char*>(lastblock) + slot * elementsize;
  bool first = firstblock == nullptr;
  unsigned bytes = static_cast<unsigned>(blocksize * elementsize) + sizeof(void*);
  void* block = take(first ? bytes + static_cast<unsigned>(sizeof(void*)) : bytes);
  if (block == nullptr) return nullptr;
  *linkof(block) = nullptr;
  if (first) linkof(block)[1] = nullptr; // no block index yet
  *fresh = block;
  return block;
}

void objlist::commit(void* fresh) {
  if (fresh != nullptr) {
    if (firstblock == nullptr) {
      firstblock = fresh;
    } else {
      *linkof(lastblock) = fresh;
      if (hinted()) addtoindex(fresh, count / blocksize);
    }
    lastblock = fresh;
  }
  ++count;
}

// Without memory for the index, there is none: elements are then found by walking the chain.
void objlist::addtoindex(void* block, int number) {
  blockindex* index = *indexword();
  if (index == nullptr || index->capacity <= number || index->used < number) {
    int capacity = 16;
    while (capacity <= number) capacity *= 2;
    auto bytes = static_cast<unsigned>(sizeof(blockindex) + sizeof(void*) * capacity);
    auto* grown = static_cast<blockindex*>(take(bytes));
    if (grown != nullptr) {
      grown->capacity = capacity;
      grown->used = number;
      void* walk = firstblock;
      for (int i = 0; i < number; ++i, walk = *linkof(walk)) grown->blocks()[i] = walk;
    }
    dropindex();
    *indexword() = grown;
    if (grown == nullptr) return;
    index = grown;
  }
  index->blocks()[number] = block;
  index->used = number + 1;
}

void objlist::dropindex() {
  blockindex* index = *indexword();
  if (index != nullptr) giveback(index);
  *indexword() = nullptr;
}

void* objlist::append(void const* image) {
  void* fresh;
  void* slot = newslot(&fresh);
  if (slot == nullptr) return nullptr;
  std::memcpy(slot, image, static_cast<size_t>(elementsize));
  commit(fresh);
  return slot;
}

void* objlist::appendnamed(void const* value, char const* name) {
  void* fresh;
  char* slot = static_cast<char*>(newslot(&fresh));
  if (slot == nullptr) return nullptr;
  int length = 0;
  while (length < namelength - 1 && name[length] != '\0') ++length;
  std::memcpy(slot, name, static_cast<size_t>(length));
  std::memset(slot + length, 0, static_cast<size_t>(namelength - length));
  std::memcpy(slot + namelength, value, static_cast<size_t>(elementsize - namelength));
  commit(fresh);
  return slot + namelength;
}

void* objlist::blockat(int position) const {
  void* block = firstblock;
  for (int skip = position / blocksize; skip > 0 && block != nullptr; --skip)
    block = *linkof(block);
  return block;
}

void* objlist::first() {
  cursorpos = 0;
  cursorblock = firstblock;
  return next();
}

void* objlist::next() {
  if (cursorpos >= count) return nullptr;
  // The cursor block is null when the cursor walked off a block that was the last one at the
  // time (elements were appended since) or after clear(); then it is looked up again.
  if (cursorblock == nullptr) cursorblock = blockat(cursorpos);
  int slot = cursorpos % blocksize;
  void* element = static_cast<char*>(cursorblock) + slot * elementsize;
  ++cursorpos;
  if (slot == blocksize - 1) cursorblock = *linkof(cursorblock);
  return element;
}

// Only storage that is given back through clear() and truncate() alone may carry hints.
bool objlist::hinted() const {
  return alloc == nullptr || alloc == storeheap();
}

// Element i, which lies before the last block and beyond the block index (if any): from the
// hint or the start.
void* objlist::indexfar(int i) const {
  if (!hinted() || !fastpaths())
    return static_cast<char*>(blockat(i)) + (i % blocksize) * elementsize;
  unsigned generation = storagegeneration.load(std::memory_order_relaxed);
  indexhint* from = nullptr;
  for (indexhint& h : hint)
    if (h.first == firstblock && h.generation == generation && h.start <= i &&
        (from == nullptr || h.start > from->start))
      from = &h;
  void* block = from ? from->block : firstblock;
  int start = from ? from->start : 0;
  int walked = i - start;
  for (; start + blocksize <= i; start += blocksize) block = *linkof(block);
  if (from == nullptr || walked >= nearby) {
    from = &hint[oldesthint];
    oldesthint = (oldesthint + 1) % hints;
  }
  *from = indexhint{firstblock, block, start, generation};
  return static_cast<char*>(block) + (i - start) * elementsize;
}

// Gives back `block` and every block linked after it; hints into them are forgotten.
void objlist::freechain(void* block) {
  if (block != nullptr && hinted()) storagegeneration.fetch_add(1, std::memory_order_relaxed);
  while (block != nullptr) {
    void* link = *linkof(block);
    giveback(block);
    block = link;
  }
}

void objlist::truncate(int n) {
  if (n >= count) return;
  if (n <= 0) {
    clear();
    return;
  }
  void* keep = blockat(n - 1);
  freechain(*linkof(keep));
  *linkof(keep) = nullptr;
  blockindex* index = hinted() ? *indexword() : nullptr;
  int kept = (n - 1) / blocksize + 1; // blocks left
  if (index != nullptr && index->used > kept) index->used = kept;
  lastblock = keep;
  count = n;
  cursorpos = 0;
  cursorblock = nullptr;
}

void objlist::clear() {
  if (firstblock != nullptr) dropindex();
  freechain(firstblock);
  firstblock = nullptr;
  lastblock = nullptr;
  count = 0;
  cursorpos = 0;
  cursorblock = nullptr;
}

} // namespace vesk
