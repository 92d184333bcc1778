// stack.cpp - the operand stack: 128 value slots counted from the top and an arena for the
// temporary lists of one statement. Slots and arena are allocated once by the constructor;
// push and pop never allocate. A stack that could not get its memory has no slots and an
// empty arena (or none): every push and every arena allocation fails, nothing crashes.
#include "linearallocater.h"
#include "valuelimits.h"

#include <cstdlib>
#include <new>

namespace vesk {

stack::stack(int arenasize)
    : count(0), capacity(0), elements(nullptr), arena(nullptr), owner(nullptr),
      arenaallocater(nullptr) {
  // A negative size is taken as memory that cannot be had. An arena of 0 bytes is valid.
  bool ok = arenasize >= 0;
  if (ok) {
    elements = static_cast<variable*>(std::malloc(stackslots * sizeof(variable)));
    if (arenasize > 0) arena = std::malloc(static_cast<size_t>(arenasize));
    ok = elements != nullptr && (arena != nullptr || arenasize == 0);
  }
  if (ok) arenaallocater = new (std::nothrow) linearallocater(arena, arenasize);
  if (ok && arenaallocater != nullptr) {
    capacity = stackslots;
    return;
  }
  std::free(elements);
  std::free(arena);
  elements = nullptr;
  arena = nullptr;
  if (arenaallocater == nullptr) arenaallocater = new (std::nothrow) linearallocater(nullptr, 0);
}

stack::~stack() {
  delete arenaallocater;
  std::free(arena);
  std::free(elements);
}

stack& stack::operator=(stack const& other) {
  count = other.count;
  capacity = other.capacity;
  elements = other.elements;
  arena = other.arena;
  owner = other.owner;
  arenaallocater = other.arenaallocater;
  return *this;
}

void stack::reset() {
  count = 0;
  if (arenaallocater != nullptr) arenaallocater->reset();
}

variable* stack::push(double number) {
  if (count >= capacity) return nullptr;
  return new (&elements[count++]) variable(number);
}

variable* stack::push(char const* text) {
  if (count >= capacity || text == nullptr) return nullptr;
  return new (&elements[count++]) variable(text);
}

variable* stack::push(vartype type) {
  if (count >= capacity) return nullptr;
  return new (&elements[count++]) variable(type, nullptr);
}

variable* stack::push(variable* value) {
  if (count >= capacity || value == nullptr) return nullptr;
  variable* slot = &elements[count++];
  *slot = *value;
  return slot;
}

variable* stack::top(int i) const {
  if (i < 0 || i >= count) return nullptr;
  return &elements[count - i - 1];
}

char* stack::string(int i) const {
  variable* value = top(i);
  return value != nullptr && value->isstring() ? const_cast<char*>(value->string()) : nullptr;
}

double stack::number(int i) const {
  variable* value = top(i);
  return value != nullptr ? value->number() : 0.0;
}

vartype stack::type(int i) const {
  variable* value = top(i);
  return value != nullptr ? value->type() : undefinedtype;
}

bool stack::isof(vartype const& type, int i) const {
  variable* value = top(i);
  return value != nullptr && value->isof(type);
}

bool stack::isnumber(int i) const {
  return isof(numbertype, i);
}
bool stack::isstring(int i) const {
  return isof(stringtype, i);
}
bool stack::islist(int i) const {
  return isof(listtype, i);
}
bool stack::isnamedlist(int i) const {
  return isof(namedlisttype, i);
}

void stack::pop(int n) {
  if (n <= 0) return;
  count = count >= n ? count - n : 0;
}

void stack::negate() {
  variable* value = top(0);
  if (value != nullptr && value->isnumber()) *value = variable(-value->number());
}

int stack::numelements() const {
  return count;
}

} // namespace vesk
