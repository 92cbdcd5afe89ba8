// distkit reverse: the arguments reach the list builder in their roles, and
// every failure exits with 2 leaving OUT as it was and no file of its own
// behind.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "distkit/commands.h"
#include "platform/file.h"
#include "support/test_support.h"
#include "wordlist/list_helpers.h"

using testing_support::ScratchDir;
using testing_support::u16;

namespace {

// дом -> "house, home", очаг -> "home", здание -> "Building" (code page 1251).
const std::string kSource = list_test::records({{"\xE4\xEE\xEC", "house, home"},
                                                {"\xEE\xF7\xE0\xE3", "home"},
                                                {"\xE7\xE4\xE0\xED\xE8\xE5", "Building"}});

Args argsOf(const std::vector<std::string>& utf8) {
  Args args;
  for (const std::string& a : utf8) args.push_back(u16(a));
  return args;
}

std::set<std::string> namesIn(const ScratchDir& dir, const std::string& folder = "") {
  std::set<std::string> names;
  platform::FileSearch search;
  std::u16string pattern = dir.path() + u"\\" + u16(folder.empty() ? "*" : folder + "\\*");
  for (bool more = search.first(pattern); more; more = search.next()) {
    std::string name = testing_support::u8(search.name());
    if (name != "." && name != "..") names.insert(name);
  }
  return names;
}

TEST(DistkitReverse, WritesTheReversedSortedMergedListOrItsText) {
  struct Case {
    std::vector<std::string> extra;
    std::string expected;
  } cases[] = {
      // Headwords in the home code page, folded "C" order; equal headwords
      // merged in the order of their pairs.
      {{"--locale", "C"},
       list_test::records({{"Building", "\xE7\xE4\xE0\xED\xE8\xE5"},
                           {"home", "\xE4\xEE\xEC, \xEE\xF7\xE0\xE3"},
                           {"house", "\xE4\xEE\xEC"}})},
      {{"--locale", "C", "--tsv"},
       "Building\tздание\nhome\tдом, очаг\nhouse\tдом\n"},
      // Weights of a table that puts 'h' before 'B'.
      {{"--table", "order.stb"},
       list_test::records({{"home", "\xE4\xEE\xEC, \xEE\xF7\xE0\xE3"},
                           {"house", "\xE4\xEE\xEC"},
                           {"Building", "\xE7\xE4\xE0\xED\xE8\xE5"}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra.back());
    ScratchDir dir;
    dir.write(u"ru.wl", kSource);
    std::string table(256, '\0');
    for (int b = 1; b < 256; ++b) table[b] = static_cast<char>(b);
    table['h'] = 2;
    dir.write(u"order.stb", table);
    dir.write(u"out.wl", "an older list");
    dir.write(u"out.wl.$$$", "mine");  // the name the builder writes through by itself
    std::vector<std::string> args = {"ru.wl", "out.wl", "--list-cp", "1251", "--home-cp", "1252"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(runReverseCommand(argsOf(args)), 0);
    EXPECT_EQ(dir.read(u"out.wl"), c.expected);
    EXPECT_EQ(dir.read(u"out.wl.$$$"), "mine");
    EXPECT_EQ(namesIn(dir), (std::set<std::string>{"order.stb", "out.wl", "out.wl.$$$", "ru.wl"}));
  }
}

TEST(DistkitReverse, EveryFailureExitsWithTwoAndLeavesOutAsItWas) {
  const std::vector<std::string> cps = {"--list-cp", "1251", "--home-cp", "1252"};
  struct Case {
    const char* why;
    std::vector<std::string> args;
  } cases[] = {
      {"no arguments", {}},
      {"one name", {"ru.wl", "--list-cp", "1251", "--home-cp", "1252", "--locale", "C"}},
      {"three names", {"ru.wl", "out.wl", "x", "--list-cp", "1251", "--home-cp", "1252",
                       "--locale", "C"}},
      {"no home code page", {"ru.wl", "out.wl", "--list-cp", "1251", "--locale", "C"}},
      {"unknown code page", {"ru.wl", "out.wl", "--list-cp", "77777", "--home-cp", "1252",
                             "--locale", "C"}},
      {"no order", {"ru.wl", "out.wl", "--list-cp", "1251", "--home-cp", "1252"}},
      {"locale and table", {"ru.wl", "out.wl", "--list-cp", "1251", "--home-cp", "1252",
                            "--locale", "C", "--table", "short.stb"}},
      {"option without value", {"ru.wl", "out.wl", "--list-cp", "1251", "--home-cp", "1252",
                                "--locale"}},
      {"refused locale", {"ru.wl", "out.wl", "--list-cp", "1251", "--home-cp", "1252",
                          "--locale", "no such locale"}},
      {"missing table", {"ru.wl", "out.wl", "--list-cp", "1251", "--home-cp", "1252",
                         "--table", "none.stb"}},
      {"short table", {"ru.wl", "out.wl", "--list-cp", "1251", "--home-cp", "1252", "--table",
                       "short.stb"}},
      {"missing source", {"none.wl", "out.wl", "--list-cp", "1251", "--home-cp", "1252",
                          "--locale", "C"}},
      {"source is a folder", {"sub", "out.wl", "--list-cp", "1251", "--home-cp", "1252",
                              "--locale", "C"}},
      {"output folder missing", {"ru.wl", "none\\out.wl", "--list-cp", "1251", "--home-cp",
                                 "1252", "--locale", "C"}},
      {"output is a folder", {"ru.wl", "sub", "--list-cp", "1251", "--home-cp", "1252",
                              "--locale", "C"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ScratchDir dir;
    dir.write(u"ru.wl", kSource);
    dir.write(u"out.wl", "an older list");
    dir.write(u"short.stb", std::string(255, '\x02'));
    dir.mkdir(u"sub");
    EXPECT_EQ(runReverseCommand(argsOf(c.args)), 2);
    EXPECT_EQ(dir.read(u"out.wl"), "an older list");
    EXPECT_EQ(namesIn(dir), (std::set<std::string>{"out.wl", "ru.wl", "short.stb", "sub"}));
    EXPECT_TRUE(namesIn(dir, "sub").empty());
  }
}

}  // namespace
