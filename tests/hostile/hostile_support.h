// Helpers of the hostile-input tests: every damaged input is run through the
// real code as one row of a table; the row must end normally or with the
// message it names, within a time limit, and without writing outside the
// InstallState fields the code is allowed to change.
//
// Portable C++ only (no <windows.h>): the same files are built natively under
// AddressSanitizer, which checks every other buffer.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/fatal.h"
#include "base/state.h"
#include "support/test_support.h"
#include "support/watchdog.h"

namespace hostile {

using testing_support::u16;
using testing_support::u8;

// A row that takes longer than this fails; one that takes more than twice
// as long is taken for a hang and ends the test program, naming the row.
constexpr double kRowSeconds = 20.0;

// How a row ended.
struct Outcome {
  enum class End { Normal, Fatal, Exception } end = End::Normal;
  FatalKind kind = FatalKind::Error;
  std::u16string message;  // fatal message, or the exception's what()
  double seconds = 0;
};

// One way a row may end. A message that ends in "*" matches every message
// that starts with the text before the "*".
struct Allowed {
  Outcome::End end = Outcome::End::Normal;
  FatalKind kind = FatalKind::Error;
  std::u16string message;
};

inline Allowed normal() { return {}; }
inline Allowed fatal(std::u16string message) {
  return {Outcome::End::Fatal, FatalKind::Error, std::move(message)};
}
inline Allowed loaderFatal(std::u16string message) {
  return {Outcome::End::Fatal, FatalKind::StringsLoader, std::move(message)};
}

inline std::string describe(const Outcome& o) {
  switch (o.end) {
    case Outcome::End::Normal: return "a normal end";
    case Outcome::End::Exception: return "an escaped C++ exception (" + u8(o.message) + ")";
    case Outcome::End::Fatal: break;
  }
  std::string kind = o.kind == FatalKind::Error ? "Error" : "StringsLoader";
  return "fatal " + kind + " \"" + u8(o.message) + "\"";
}

inline std::string describe(const Allowed& a) {
  if (a.end == Outcome::End::Normal) return "a normal end";
  std::string kind = a.kind == FatalKind::Error ? "Error" : "StringsLoader";
  return "fatal " + kind + " \"" + u8(a.message) + "\"";
}

inline bool matches(const Outcome& o, const Allowed& a) {
  if (o.end != a.end) return false;
  if (o.end == Outcome::End::Normal) return true;
  if (o.kind != a.kind) return false;
  if (!a.message.empty() && a.message.back() == u'*') {
    std::u16string_view start(a.message.data(), a.message.size() - 1);
    return std::u16string_view(o.message).substr(0, start.size()) == start;
  }
  return o.message == a.message;
}

// Runs `body` under the watchdog and reports how it ended.
inline Outcome runRow(const std::string& row, const std::function<void()>& body) {
  Outcome outcome;
  testing_support::Watchdog watchdog(row, 2 * kRowSeconds);
  auto start = std::chrono::steady_clock::now();
  try {
    body();
  } catch (const testing_support::FatalExit& e) {
    outcome.end = Outcome::End::Fatal;
    outcome.kind = e.kind;
    outcome.message = e.message;
  } catch (const std::exception& e) {
    outcome.end = Outcome::End::Exception;
    outcome.message = u16(e.what());
  }
  outcome.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return outcome;
}

// Checks an outcome against the allowed ends and the time limit; every
// failure names the row, what it got and what was expected.
inline void expectOutcome(const std::string& row, const Outcome& got,
                          const std::vector<Allowed>& allowed) {
  bool ok = false;
  for (const Allowed& a : allowed) ok = ok || matches(got, a);
  if (!ok) {
    std::string expected;
    for (const Allowed& a : allowed) expected += (expected.empty() ? "" : " or ") + describe(a);
    ADD_FAILURE() << "row \"" << row << "\": got " << describe(got) << ", expected "
                  << expected;
  }
  EXPECT_LT(got.seconds, kRowSeconds) << "row \"" << row << "\" took " << got.seconds << " s";
}

// Rows and their times, printed at the end of each table for the report.
inline void printTime(const std::string& table, const std::string& row, const Outcome& got) {
  std::printf("  [%s] %-58s %8.3f s  %s\n", table.c_str(), row.c_str(), got.seconds,
              describe(got).c_str());
}

// The InstallState as bytes before an operation. check() reports every
// byte that changed outside the fields the operation may write, and every
// allowed text field left without its terminating zero inside its capacity.
class StateGuard {
 public:
  StateGuard() { take(); }
  void take() {
    const auto* p = reinterpret_cast<const unsigned char*>(&state);
    before_.assign(p, p + sizeof state);
  }

  template <typename Field>
  StateGuard& allow(const Field& field) {
    std::size_t at = offsetOf(field);
    allowed_.push_back({at, at + sizeof field});
    return *this;
  }
  // Allows every field from `first` up to and including `last`.
  template <typename First, typename Last>
  StateGuard& allowRange(const First& first, const Last& last) {
    allowed_.push_back({offsetOf(first), offsetOf(last) + sizeof last});
    return *this;
  }

  // Empty when all is well, else a description of the first problem.
  std::string check() const {
    const auto* p = reinterpret_cast<const unsigned char*>(&state);
    for (std::size_t i = 0; i < sizeof state; ++i) {
      if (p[i] == before_[i] || isAllowed(i)) continue;
      return "InstallState byte " + std::to_string(i) + " (" + fieldAt(i) +
             ") changed outside the fields the operation may write";
    }
    return unterminatedField();
  }

 private:
  template <typename Field>
  static std::size_t offsetOf(const Field& field) {
    return static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(&field) -
                                    reinterpret_cast<const unsigned char*>(&state));
  }
  bool isAllowed(std::size_t i) const {
    for (const auto& [from, to] : allowed_) {
      if (i >= from && i < to) return true;
    }
    return false;
  }

  struct Named {
    const char* name;
    std::size_t from, to;
    bool wide;
  };
  static std::vector<Named> textFields() {
    std::vector<Named> fields;
    auto addWide = [&](const char* name, const auto& f) {
      fields.push_back({name, offsetOf(f), offsetOf(f) + sizeof f, true});
    };
    auto addNarrow = [&](const char* name, const auto& f) {
      fields.push_back({name, offsetOf(f), offsetOf(f) + sizeof f, false});
    };
    addWide("setupDir", state.setupDir);
    addWide("defaultDir", state.defaultDir);
    addWide("installDir", state.installDir);
    addWide("uninstallPath", state.uninstallPath);
    addWide("titleText", state.titleText);
    addWide("shortcutArgs", state.shortcutArgs);
    addWide("shortcutName", state.shortcutName);
    addWide("shortcutTarget", state.shortcutTarget);
    addWide("groupName", state.groupName);
    addWide("closingTextFile", state.closingTextFile);
    addWide("counterText", state.counterText);
    addNarrow("configLine", state.configLine);
    addNarrow("languageName", state.languageName);
    addNarrow("inputListName", state.inputListName);
    addNarrow("outputListName", state.outputListName);
    addWide("registryPath", state.registryPath);
    return fields;
  }
  static std::string fieldAt(std::size_t i) {
    for (const Named& f : textFields()) {
      if (i >= f.from && i < f.to) return f.name;
    }
    return "a flag, number or handle";
  }
  std::string unterminatedField() const {
    const auto* p = reinterpret_cast<const unsigned char*>(&state);
    for (const Named& f : textFields()) {
      bool terminated = false;
      if (f.wide) {
        for (std::size_t i = f.from; i + 1 < f.to && !terminated; i += 2) {
          terminated = p[i] == 0 && p[i + 1] == 0;
        }
      } else {
        terminated = std::memchr(p + f.from, 0, f.to - f.from) != nullptr;
      }
      if (!terminated) return std::string(f.name) + " has no terminating zero";
    }
    return "";
  }

  std::vector<unsigned char> before_;
  std::vector<std::pair<std::size_t, std::size_t>> allowed_;
};

// Deterministic random bytes.
inline std::string randomBytes(uint32_t seed, std::size_t size) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; i += 4) {
    uint32_t r = generator();
    for (std::size_t k = 0; k < 4 && i + k < size; ++k) bytes[i + k] = static_cast<char>(r >> 8 * k);
  }
  return bytes;
}

// Random printable ASCII text with newlines now and then (no zero bytes).
inline std::string randomText(uint32_t seed, std::size_t size) {
  std::mt19937 generator(seed);
  std::string text(size, ' ');
  for (char& c : text) {
    uint32_t r = generator() % 100;
    c = r < 4 ? '\n' : static_cast<char>(' ' + generator() % 95);
  }
  return text;
}

// Text-mode round trip of file bytes: what a reader that turns CR LF into a
// newline and a writer that turns a newline into CR LF give back.
inline std::string textModeRoundTrip(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    if (bytes[i] == '\n') out += '\r';
    out += bytes[i];
  }
  return out;
}

}  // namespace hostile
