// findelement.cpp - typed lookup of a named element: the element of the expected type, or a
// message naming what was found instead ("element 'i' in 'calling parameters' is a string,
// should be a number"). Messages are composed in a buffer of 256 characters and cut there.
#include "findelement.h"

#include <cstdio>

namespace vesk {

namespace {

constexpr int composedsize = 256;

char const* typephrase(vartype type, char const* otherwise) {
  switch (type) {
  case numbertype: return "a number";
  case stringtype: return "a string";
  case listtype: return "a list";
  case namedlisttype: return "a named list";
  default: return otherwise;
  }
}

void report(vesk::logfunc log, char const* text) {
  if (log != nullptr) log(logerror, text);
}

} // namespace

variable* findelement(variable* container, char const* name, vartype type, bool optional,
                      bool& errorflag, vesk::logfunc log, char const* context) {
  if (context == nullptr) context = "calling parameters";
  char text[composedsize];
  if (container == nullptr || !container->isnamedlist()) {
    snprintf(text, sizeof text, "'%s' does not conatin named objects; '%s' can not be found",
             context, name);
    report(log, text);
    errorflag = true;
    return nullptr;
  }
  variable* element = container->find(name);
  if (element == nullptr) {
    if (optional) return nullptr;
    snprintf(text, sizeof text, "element '%s' missing in '%s'", name, context);
    report(log, text);
    errorflag = true;
    return nullptr;
  }
  if (element->isof(type)) {
    element->processed(true);
    return element;
  }
  snprintf(text, sizeof text, "element '%s' in '%s' is %s, should be %s", name, context,
           typephrase(element->type(), "of unknown type"), typephrase(type, "something else"));
  report(log, text);
  errorflag = true;
  return nullptr;
}

} // namespace vesk
