// objlist.h - the element list behind lists and named lists: fixed-size elements in a chain of
// blocks of `blocksize` slots, so that an element never moves once appended. The header lives
// inside a value record's payload and is copied with it byte for byte: it is trivially
// copyable, owns its blocks only through clear(), and a copy is a second handle on them.
#pragma once

#include "valuelimits.h"
#include "vesk.h"

#include <type_traits>

namespace vesk {

// A block is `blocksize` element slots followed by the link to the next block (null in the
// last), taken with the tag "objlist::block" from the allocater, or from malloc when there is
// none; the first block has one word more, the list's block index (or null). Every element
// pointer handed out stays valid until clear(). The block index of a list on the plain heap or
// the store's heap holds every block by its number, so that element i is found without walking
// the chain; it lives with the blocks, so that every handle on them sees it as it grows.
class objlist {
public:
  // An empty list without blocks. `namelength` is the distance from the start of a named
  // element to its value (0 for lists whose elements have no name field).
  objlist(int elementsize, allocater* alloc, int namelength);

  // Copies one element image (`elementsize` bytes) to the end and returns its slot; null when
  // no block could be had, and the list is then exactly as it was. The image may lie anywhere,
  // even inside this header: it is read before the header changes.
  void* append(void const* image);
  // Appends a named element built from `name` (its first namelength - 1 characters,
  // zero-padded) and a copy of `value` (elementsize - namelength bytes); returns the value
  // inside the new element, or null as append does.
  void* appendnamed(void const* value, char const* name);

  void* first(); // cursor to the first element; that element or null
  void* next();  // the element at the cursor, which then moves on; null after the last
  // Element i (0-based) or null when i is outside 0..count-1: in the last block or through
  // the block index here, else by a walk (indexfar).
  void* index(int i) const {
    if (i < 0 || i >= count) return nullptr;
    int lastfirst = (count - 1) / blocksize * blocksize;
    if (i >= lastfirst) return static_cast<char*>(lastblock) + (i - lastfirst) * elementsize;
    // Only a list that may carry hints has a block index; any other's index word stays null.
    blockindex const* blocks = *indexword();
    if (blocks != nullptr && i / blocksize < blocks->used)
      return static_cast<char*>(blocks->at(i / blocksize)) + (i % blocksize) * elementsize;
    return indexfar(i);
  }
  // The element after `element`, which is element `position`: the next slot of its block or
  // the first of the block linked after it; null after the last element.
  void* after(void* element, int position) const {
    if (position + 1 >= count) return nullptr;
    int slot = position % blocksize;
    if (slot != blocksize - 1) return static_cast<char*>(element) + elementsize;
    return *linkof(static_cast<char*>(element) - slot * elementsize);
  }
  // The first block: which storage the list has (null without elements).
  void const* storage() const { return firstblock; }
  void clear(); // gives every block back; count 0, no blocks
  // Forgets the elements from position n on and gives back the blocks that held only them
  // (whatever storage those elements refer to is the caller's); the cursor starts again.
  void truncate(int n);

  int size() const { return count; }
  int elementsperblock() const { return perblock; }
  int nameoffset() const { return namelength; }
  allocater* allocator() const { return alloc; }

private:
  void* newslot(void** fresh);       // the slot for the next element, perhaps in a new block
  void commit(void* fresh);          // counts the element in and links a new block
  void* blockat(int position) const; // the block holding element `position`
  struct blockindex {                // followed by room for `capacity` block pointers
    int capacity;
    int used; // blocks held, from the first
    void** blocks() { return reinterpret_cast<void**>(this + 1); }
    void* at(int number) const { return reinterpret_cast<void* const*>(this + 1)[number]; }
  };
  void* indexfar(int i) const; // index() of one before the last block that no index holds
  blockindex** indexword() const { return reinterpret_cast<blockindex**>(linkof(firstblock) + 1); }
  void addtoindex(void* block, int number); // the new block `number` into the block index
  void dropindex();                         // gives the block index back
  void* take(unsigned bytes);
  void giveback(void* pointer);
  bool hinted() const;         // whether index() may remember positions in this list
  void freechain(void* block); // gives back a chain of blocks
  void** linkof(void* block) const {
    return reinterpret_cast<void**>(static_cast<char*>(block) + blocksize * elementsize);
  }

  // Field order is the record's layout.
  int elementsize;
  int perblock;
  int count;
  void* firstblock;
  void* lastblock;
  int cursorpos;     // the element that next() returns next
  void* cursorblock; // the block holding it; null when it has still to be looked up
  allocater* alloc;
  int namelength;
};

static_assert(std::is_trivially_copyable_v<objlist> && std::is_trivially_destructible_v<objlist>,
              "objlist lives in a value record's payload and is copied with it");

} // namespace vesk
