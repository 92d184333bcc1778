// streamer.h - the general way of running a statement: the parser reads its line and every
// instruction runs as soon as it is read; a name is resolved when it is read.
#pragma once

#include "engine.h"
#include "parser.h"

namespace vesk {

class streamer final : public sink, public resolver {
public:
  explicit streamer(engine& e) : machine(e) {}
  emitresult emit(instruction const& in) override {
    return machine.lacksvalue(in.code) ? failed : machine.exec(&in, 1, nullptr, 0);
  }
  bool running() const override { return true; }
  namekind kindof(char const* name, int) override { return machine.resolve(name, machine.pending); }

private:
  engine& machine;
};

} // namespace vesk
