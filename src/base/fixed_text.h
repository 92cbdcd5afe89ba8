// Fixed-capacity text buffers for the installer's records.
//
// The installer keeps its paths and texts in buffers of fixed size, as the
// files it exchanges with the application expect. These wrappers make every
// write bounded: assign and append never write past the buffer, always leave
// a terminating zero, and report whether the whole text fitted.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

// A path: a wide text of at most 259 characters and its terminator.
constexpr int kPathCapacity = 260;

template <typename Char, std::size_t N>
struct FixedText {
  static_assert(N > 0);
  Char data[N] = {};

  static constexpr std::size_t capacity() { return N; }  // terminator included
  std::size_t length() const {
    std::size_t n = 0;
    while (n < N && data[n] != 0) ++n;
    return n;
  }
  bool empty() const { return data[0] == 0; }
  void clear() { data[0] = 0; }
  const Char* c_str() const { return data; }
  Char* buffer() { return data; }
  std::basic_string_view<Char> view() const { return {data, length()}; }
  operator std::basic_string_view<Char>() const { return view(); }

  // Replaces the text. Returns false when it had to be cut to N - 1 units.
  bool assign(std::basic_string_view<Char> text) {
    clear();
    return append(text);
  }
  // Appends to the text. Returns false when it had to be cut.
  bool append(std::basic_string_view<Char> text) {
    std::size_t len = length();
    if (len >= N) len = N - 1;  // buffer filled by hand without a terminator
    std::size_t room = N - 1 - len;
    std::size_t n = text.size() < room ? text.size() : room;
    for (std::size_t i = 0; i < n; ++i) data[len + i] = text[i];
    data[len + n] = 0;
    return n == text.size();
  }
  bool append(Char c) { return append(std::basic_string_view<Char>(&c, 1)); }
  // Ends the text with a backslash unless it already ends in one.
  bool ensureTrailingBackslash() {
    std::size_t len = length();
    if (len > 0 && data[len - 1] == Char('\\')) return true;
    return append(Char('\\'));
  }
};

template <std::size_t N>
using WideText = FixedText<char16_t, N>;
template <std::size_t N>
using NarrowText = FixedText<char, N>;

// out := the parts one after the other. False when they do not fit: such a
// path is never used, since a cut one names another file.
template <std::size_t N>
bool joinPath(WideText<N>& out, std::initializer_list<std::u16string_view> parts) {
  out.clear();
  for (std::u16string_view part : parts) {
    if (!out.append(part)) return false;
  }
  return true;
}
