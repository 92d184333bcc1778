// tokenlines.h - the recorded tokens of a run's lines: a line is scanned as text on its first
// pass, recorded on its second and replayed from the recording on every later pass. Runs on
// several threads may share one table; a line recorded by two at once keeps one recording.
#pragma once

#include <atomic>
#include <cstddef>

namespace vesk {

class tokenlines {
public:
  // A table for `count` lines; null without memory.
  static tokenlines* make(int count);
  static void release(tokenlines* table);

  // The recording of line `index`, whose text is `text` and stays unchanged while the table
  // lives; null on the line's first pass, and whenever memory or the table's budget is short:
  // the caller scans the text then.
  unsigned char const* recording(int index, char const* text);
  // The recording of line `index` if it has one; no pass is counted.
  unsigned char const* recorded(int index) const;

private:
  tokenlines() = default;
  unsigned char const* record(std::atomic<unsigned char*>& slot, char const* text);

  std::atomic<unsigned char*>* slots = nullptr;
  int count = 0;
  std::atomic<std::size_t> used{0}; // bytes of recordings
  std::atomic<bool> exhausted{false}; // no more recordings are made
};

} // namespace vesk
