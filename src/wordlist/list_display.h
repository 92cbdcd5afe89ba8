// What a list build shows while it runs. The installer draws it on its
// window (progress bar, running counters, phase labels); a tool may print it
// or show nothing, which is what the defaults do.
#pragma once

#include <cstdint>
#include <string_view>

// How far a build has come: the steps of its progress bar.
enum class ListMilestone {
  Started,   //   0%
  Loaded,    //  10%: the source list opened and is being loaded
  Reversed,  //  25%: the reversed pairs are being written
  Reread,    //  50%: the reversed pairs are being read back
  Sorted,    //  75%: the merged list is being written
  Finished,  // 100%
};
inline constexpr int milestonePercent(ListMilestone milestone) {
  constexpr int kPercent[] = {0, 10, 25, 50, 75, 100};
  return kPercent[static_cast<int>(milestone)];
}

// The build's phases, each announced with its label (shown only while
// debug lines are on).
enum class ListPhase { Loading, Reversing, Rereading, Sorting, Merging };

class ListDisplay {
 public:
  virtual ~ListDisplay() = default;
  // A list starts and ends (the installer shows the wait cursor meanwhile).
  virtual void begin() {}
  virtual void end() {}
  // The build has reached a step of its progress.
  virtual void progress(ListMilestone milestone) {}
  // A phase begins, with its label; announced only while debug lines are on.
  virtual void phase(ListPhase phase, std::u16string_view label) {}
  // The current phase is done: "Done", and the next debug line.
  virtual void done() {}
  // The counter moves to the current debug line.
  virtual void placeCounter() {}
  // A number into the counter, drawn only when `draw` (drawing every value
  // would dominate the run).
  virtual void counter(int64_t value, bool draw) {}
};

// Shows record index `i` of a loop in the counter: drawn when i is a
// multiple of 100. `finishRecordCounter` leaves the last index in the
// counter when a loop ends.
inline void countRecord(ListDisplay& display, int32_t i) {
  if (i % 100 == 0) display.counter(i, true);
}
inline void finishRecordCounter(ListDisplay& display, int32_t last) {
  if (last >= 0) display.counter(last, false);
}

// The running count of headword comparisons, kept across lists. While
// counting, each comparison puts the count into the counter (drawn at every
// multiple of 1000) and then adds one.
struct ComparisonCounter {
  bool counting = false;
  int32_t count = 0;
  ListDisplay* display = nullptr;

  void tick() {
    if (!counting) return;
    if (display) display->counter(count, count % 1000 == 0);
    count = static_cast<int32_t>(static_cast<uint32_t>(count) + 1u);
  }
  // The same for the key sort's many comparisons: the counter is touched
  // only when it is drawn, and finish() then leaves the last comparison's
  // number in it, as tick() would have.
  void tickDrawnOnly() {
    if (!counting) return;
    if (display && count % 1000 == 0) display->counter(count, true);
    count = static_cast<int32_t>(static_cast<uint32_t>(count) + 1u);
  }
  void finish(int32_t before) {
    if (counting && display && count != before) {
      display->counter(static_cast<int32_t>(static_cast<uint32_t>(count) - 1u), false);
    }
  }
};
