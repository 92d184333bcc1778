// stdiochannel.h - the client's stream of `vesk --dap`: standard input and output, taken over
// whole. The protocol keeps a private copy of standard output, and standard output itself is
// pointed at standard error, so that nothing else the process writes there (an extension
// library's printf) can break a message in two.
#pragma once

#include "channel.h"

namespace dap {

class stdiochannel : public channel {
public:
  stdiochannel();
  ~stdiochannel() override;
  stdiochannel(stdiochannel const&) = delete;
  stdiochannel& operator=(stdiochannel const&) = delete;

  std::size_t read(char* buffer, std::size_t size) override;
  bool write(char const* data, std::size_t size) override;
  void close() override;

private:
  int input;
  int output;
};

} // namespace dap
