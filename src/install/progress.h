// The progress display of the installation: language headings, one progress
// bar per word list and the debug lines (phase labels, running counters and
// "Done" marks). The positions live in the InstallState; the painting goes
// to platform::screen().
#pragma once

#include <cstdint>
#include <string_view>

#include "wordlist/list_display.h"

// Heading of one language at headingY; headingY moves down 50.
void drawLanguageHeading(const char* name);
// Starts the display of one list.
void beginListDisplay();
// The progress bar at progressY filled up to x = fillEdge.
void drawProgress(int fillEdge, const char* percentText);
// A phase label on the current debug line (right edge 480, or 400 for the
// sorting label).
void drawPhaseLabel(std::u16string_view label, int rightEdge = 480);
// Puts the counter on the current debug line.
void placeCounter();
// Puts a number into the counter (its decimal text); nothing is drawn.
void setCounterNumber(int64_t value);
// Draws the counter's text.
void drawCounter();
// "Done" on the current debug line; the next line starts 25 pixels down.
void drawDoneMark();
// Ends the display of one list: the next bar comes 50 pixels down.
void endListDisplay();

// A list build shown on the installer's window with the functions above,
// the wait cursor showing meanwhile.
class WindowListDisplay : public ListDisplay {
 public:
  void begin() override;
  void end() override;
  // Each milestone fills the bar to its place; the sorting label ends
  // further left than the others, clear of the comparison counter.
  void progress(ListMilestone milestone) override;
  void phase(ListPhase phase, std::u16string_view label) override;
  void done() override { drawDoneMark(); }
  void placeCounter() override { ::placeCounter(); }
  void counter(int64_t value, bool draw) override {
    setCounterNumber(value);
    if (draw) drawCounter();
  }
};
