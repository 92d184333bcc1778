// reference.h - the reference way of running a statement: the parser reads its line and every
// instruction runs through the dispatch as soon as it is read, every name resolved when it is
// read. Lines not compiled (yet) run this way, and with the shortcuts off every line does: it
// is what the compiled lines and their quick tiers are compared with.
#pragma once

#include "parser.h"
#include "runner.h"

namespace vesk {

class referencerun final : public sink, public resolver {
public:
  explicit referencerun(runner& e) : engine(e) {}
  emitresult emit(instruction const& in) override {
    return engine.lacksvalue(in.code) ? failed : engine.exec(&in, 1, nullptr, 0);
  }
  bool running() const override { return true; }
  namekind kindof(char const* name, int) override { return engine.resolve(name, &engine.pending); }

private:
  runner& engine;
};

} // namespace vesk
