// A disk that refuses a write, a flush, a rename or a read at any point of
// the language step: the run ends with the message of the step that failed,
// dict.ini and every word list stay exactly as they were before that step,
// tmp.ini and the lists' replacements are gone, and a second run on a sound
// disk completes from there.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/state.h"
#include "hostile_support.h"
#include "platform/faults.h"
#include "platform/file.h"
#include "platform/screen.h"
#include "install/registry_step.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"
#include "text/strings_step.h"
#include "text/collate.h"
#include "install/language_step.h"

#if defined(_WIN32)
#include <winerror.h>
#endif

using namespace hostile;
using platform::faults::Op;
using testing_support::ScratchDir;

using testing_support::kEofMarker;
using testing_support::crlf;
using testing_support::record;

namespace {

const std::string kConfig =
    "a,a,0,Dutch\r\ndutch.src\r\ndutch.out\r\nb,b,0,German\r\ngerman.src\r\ngerman.out\r\n";

// Counts the language headings drawn: the number of the language being
// processed.
class HeadingCounter : public platform::Screen {
 public:
  int headings = 0;
  void heading(const char*, platform::Rect) override { ++headings; }
};

const char* opName(Op op) {
  switch (op) {
    case Op::Write: return "write";
    case Op::Flush: return "flush";
    case Op::Rename: return "rename";
    case Op::MakeDir: return "make directory";
    case Op::Read: return "read";
    default: return "?";
  }
}

// The registry's states in the course of a sound run: [0] before the step
// (absent: ""), then after the removal and after the addition of each
// language. With no registry at first, [0] is the skeleton that the first
// language creates.
std::vector<std::string> referenceStates(const std::string& original) {
  ScratchDir ref;
  std::vector<std::string> states;
  std::strcpy(state.inputListName, "dutch.src");
  if (original.empty()) {
    ensureRegistry();
  } else {
    ref.write(u"dict.ini", original);
  }
  states.push_back(ref.read(u"dict.ini"));
  removeLanguageEntry("Dutch");
  states.push_back(ref.read(u"dict.ini"));
  addLanguageEntry("a", "a", "0", "Dutch");
  states.push_back(ref.read(u"dict.ini"));
  removeLanguageEntry("German");
  states.push_back(ref.read(u"dict.ini"));
  addLanguageEntry("b", "b", "0", "German");
  states.push_back(ref.read(u"dict.ini"));
  return states;
}

bool fromListBuilder(const std::u16string& message) {
  return message == u"Write error tempfile" || message == u"Write error output file" ||
         message.rfind(u"Read error ", 0) == 0 || message.rfind(u"Can't replace output ", 0) == 0;
}

void writeDistribution() {
  testing_support::writeFileBytes(u"taal.cf", kConfig);
  testing_support::writeFileBytes(u"dutch.src", record("huis", "house, home"));
  testing_support::writeFileBytes(u"german.src", record("Haus", "house"));
}

// A whole file; nothing when it is not there.
std::optional<std::string> fileBytes(std::u16string_view name) {
  platform::File f = platform::File::open(name, platform::OpenMode::ReadBinary);
  if (!f) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  std::size_t k;
  while ((k = f.read(buffer, sizeof buffer)) > 0) bytes.append(buffer, k);
  return bytes;
}

const std::u16string kLists[] = {u"dutch.out", u"german.out"};
const std::string kRegistry =
    crlf("; registry\n\n[Language]\nz,z,0,Zulu\nd,d,0,Dutch\n\n" + kEofMarker);
// An earlier installation's lists (different words).
const std::vector<std::string> kEarlierLists = {record("oud", "old"), record("alt", "old")};

// The lists that a sound run writes.
std::vector<std::string> referenceLists() {
  ScratchDir ref;
  writeDistribution();
  HeadingCounter screen;
  platform::setScreen(&screen);
  processLanguages();
  platform::setScreen(nullptr);
  return {*fileBytes(kLists[0]), *fileBytes(kLists[1])};
}

struct FaultCase {
  Op op;
  std::vector<Allowed> messages;
  std::vector<std::u16string> mustSee;  // each seen at least once over all N
};

}  // namespace

TEST(HostileFaults, EveryFailingOperationOfTheLanguageStep) {
  ScratchDir dir;
  testing_support::writeStringsFiles();
  loadStrings(u"C:\\unused");
  setCollationLocale(u"english");
  const std::string& original = kRegistry;
  const std::vector<std::string>& earlierLists = kEarlierLists;
  const std::vector<std::string> newLists = referenceLists();

  const std::vector<FaultCase> cases = {
      {Op::Write,
       {fatal(u"Write error tempfile"), fatal(u"Write error output file"),
        fatal(u"Write error TMP.INI")},
       {u"Write error tempfile", u"Write error output file", u"Write error TMP.INI"}},
      {Op::Flush,
       {fatal(u"Write error output file"), fatal(u"Write error TMP.INI")},
       {u"Write error output file", u"Write error TMP.INI"}},
      {Op::Rename,
       {fatal(u"Can't replace output file \"dutch.out\""),
        fatal(u"Can't replace output file \"german.out\""), fatal(u"Can't replace DICT.INI"),
        fatal(u"Can't create DICT.INI")},
       {u"Can't replace output file \"dutch.out\"", u"Can't replace output file \"german.out\"",
        u"Can't replace DICT.INI"}},
      {Op::Read, {fatal(u"Read error *")}, {}},
      {Op::MakeDir, {}, {}},
  };

  int run = 0;
  for (bool withRegistry : {true, false}) {
    std::vector<std::string> states = referenceStates(withRegistry ? original : "");
    for (const FaultCase& fc : cases) {
      std::set<std::u16string> seen;
      bool completed = false;
      int failures = 0;
      for (int n = 1; n < 500 && !completed; ++n) {
        std::string row = std::string(withRegistry ? "dict.ini present" : "no dict.ini") + ", " +
                          opName(fc.op) + " number " + std::to_string(n) + " fails";
        SCOPED_TRACE(row);
        std::u16string runDir = dir.path() + u"\\run" + u16(std::to_string(++run));
        ASSERT_TRUE(platform::createDirectory(runDir));
        ASSERT_TRUE(platform::setCurrentDirectory(runDir));
        writeDistribution();
        if (withRegistry) {
          testing_support::writeFileBytes(u"dict.ini", original);
          for (int i = 0; i < 2; ++i) testing_support::writeFileBytes(kLists[i], earlierLists[i]);
        }
        HeadingCounter screen;
        platform::setScreen(&screen);
        platform::faults::reset();
        platform::faults::failNth(fc.op, n);
        Outcome got = runRow(row, [] { processLanguages(); });
        platform::faults::reset();
        platform::setScreen(nullptr);

        std::optional<std::string> registry = fileBytes(u"dict.ini");
        bool present = registry.has_value();
        std::string now = registry.value_or("");

        if (got.end == Outcome::End::Normal) {
          completed = true;
          EXPECT_EQ(now, states.back()) << row << ": a sound run ends with both languages";
          for (int i = 0; i < 2; ++i) EXPECT_EQ(fileBytes(kLists[i]), newLists[i]) << row;
          EXPECT_FALSE(platform::pathExists(u"taal.cf")) << row;
          continue;
        }
        ++failures;
        seen.insert(got.message);
        expectOutcome(row, got, fc.messages);

        // dict.ini as it was before the failed step.
        int language = screen.headings;  // 1 or 2; 0 before the first heading
        std::vector<std::string> allowed;
        bool mayBeAbsent = !withRegistry && language <= 1;
        if (language >= 1) {
          std::size_t before = static_cast<std::size_t>(2 * (language - 1));
          allowed.push_back(states[before]);
          if (!fromListBuilder(got.message)) allowed.push_back(states[before + 1]);
        }
        bool ok = (!present && mayBeAbsent) ||
                  (present && std::find(allowed.begin(), allowed.end(), now) != allowed.end());
        if (!ok) {
          ADD_FAILURE() << "row \"" << row << "\": dict.ini "
                        << (present ? "is not the state before the failed step:\n" + now
                                    : std::string("is gone"))
                        << "\n(failed in language " << language << " with \""
                        << u8(got.message) << "\")";
        }
        EXPECT_FALSE(platform::pathExists(u"tmp.ini")) << row << ": tmp.ini left behind";

        // Each list: the new one for the languages done, the earlier one
        // (or none) for those to come; the language that failed has either,
        // and the earlier one when its list build failed.
        for (int i = 0; i < 2; ++i) {
          std::optional<std::string> list = fileBytes(kLists[i]);
          std::optional<std::string> earlier;
          if (withRegistry) earlier = earlierLists[i];
          bool isNew = list == newLists[i], isEarlier = list == earlier;
          bool ok = isNew || isEarlier;
          if (i + 1 < language) ok = isNew;
          if (i + 1 > language || (i + 1 == language && fromListBuilder(got.message))) {
            ok = isEarlier;
          }
          EXPECT_TRUE(ok) << row << ": " << u8(kLists[i]) << " is "
                          << (!list ? std::string("gone")
                                    : isNew ? "the new list" : isEarlier ? "the earlier list"
                                                                         : "neither list")
                          << " after \"" << u8(got.message) << "\" in language " << language;
          EXPECT_FALSE(platform::pathExists(kLists[i] + u".$$$"))
              << row << ": replacement of " << u8(kLists[i]) << " left behind";
        }
        EXPECT_TRUE(platform::pathExists(u"taal.cf")) << row << ": kept after a failure";

        // The same run again on a sound disk completes from where the
        // failure left the folder.
        std::string again = row + ", run again";
        Outcome second = runRow(again, [] { processLanguages(); });
        expectOutcome(again, second, {normal()});
        EXPECT_EQ(fileBytes(u"dict.ini").value_or(""), states.back()) << again;
        for (int i = 0; i < 2; ++i) EXPECT_EQ(fileBytes(kLists[i]), newLists[i]) << again;
        EXPECT_FALSE(platform::pathExists(u"taal.tmp")) << again << ": temporary list left";
        EXPECT_FALSE(platform::pathExists(u"tmp.ini")) << again;
      }
      std::string summary = std::string(withRegistry ? "dict.ini present" : "no dict.ini") +
                            ", " + opName(fc.op) + ": " + std::to_string(failures) +
                            " failing points";
      std::printf("  [faults] %s\n", summary.c_str());
      EXPECT_TRUE(completed) << summary << ": never completed";
      for (const std::u16string& m : fc.mustSee) {
        EXPECT_EQ(seen.count(m), 1u) << summary << ": never saw \"" << u8(m) << "\"";
      }
      platform::setCurrentDirectory(dir.path());
    }
  }
  strings = StringsTable{};
  setCollationLocale(u"C");
}

#if defined(_WIN32)
// A file that another program keeps open while the step replaces it: the
// replacement is tried again for the whole time budget (on the tests' own
// clock), then the run ends with the step's message, the file as it was and
// its replacement gone.
TEST(HostileFaults, AFileHeldForGoodEndsTheStepAfterTheRetryBudget) {
  ScratchDir dir;
  testing_support::writeStringsFiles();
  loadStrings(u"C:\\unused");
  setCollationLocale(u"english");
  // One try at once, then one after each pause of 100 ms.
  const int wholeBudget = static_cast<int>(platform::kReplaceRetryMilliseconds / 100) + 1;
  struct Row {
    int rename;  // the first rename held (the list comes before dict.ini)
    std::u16string message, held, replacement;
  } rows[] = {
      {1, u"Can't replace output file \"dutch.out\"", u"dutch.out", u"dutch.out.$$$"},
      {2, u"Can't replace DICT.INI", u"dict.ini", u"tmp.ini"},
  };
  for (const Row& row : rows) {
    std::string name = u8(row.held) + " held";
    SCOPED_TRACE(name);
    ScratchDir run;
    writeDistribution();
    testing_support::writeFileBytes(u"dict.ini", kRegistry);
    for (int i = 0; i < 2; ++i) testing_support::writeFileBytes(kLists[i], kEarlierLists[i]);
    std::optional<std::string> before = fileBytes(row.held);
    HeadingCounter screen;
    platform::setScreen(&screen);
    platform::faults::useFakeClock();
    platform::faults::failNth(Op::Rename, row.rename, 1000, ERROR_SHARING_VIOLATION);
    Outcome got = runRow(name, [] { processLanguages(); });
    int tries = platform::faults::injectedFailures(Op::Rename);
    platform::faults::reset();
    platform::setScreen(nullptr);
    expectOutcome(name, got, {fatal(row.message)});
    EXPECT_EQ(tries, wholeBudget);
    EXPECT_EQ(fileBytes(row.held), before);
    EXPECT_FALSE(platform::pathExists(row.replacement));
  }
  strings = StringsTable{};
  setCollationLocale(u"C");
}
#endif
