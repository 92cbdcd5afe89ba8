#include <gtest/gtest.h>

#include <string>

#include "platform/faults.h"
#include "platform/file.h"
#include "platform/replacing_file.h"
#include "support/planted_link.h"
#include "support/test_support.h"

using platform::File;
using platform::OpenMode;
using platform::ReplacingFile;
using platform::faults::Op;
using testing_support::contentOf;
using testing_support::ScratchDir;

// The target is replaced only by a complete side file, and whatever happens
// the side file does not stay behind, unless it was never ours: a link or a
// folder in its way is left as it is.
TEST(ReplacingFile, ReplacesOnlyWhenCompleteAndNeverLeavesItsSideFile) {
  enum class Planted { Nothing, Leftover, SideLink, SideFolder, TargetLink };
  struct Row {
    const char* name;
    Planted planted;
    ReplacingFile::Mode mode;
    bool held;  // the names below a held folder, or the user's own paths
    Op fault;  // Op::Count: none
    bool commit;
    bool created;
    ReplacingFile::Outcome outcome;  // of the commit, when created and committed
  };
  using Mode = ReplacingFile::Mode;
  using Outcome = ReplacingFile::Outcome;
  const Row rows[] = {
      {"committed", Planted::Nothing, Mode::Binary, true, Op::Count, true, true,
       Outcome::Done},
      {"committed in text mode", Planted::Nothing, Mode::Text, true, Op::Count, true,
       true, Outcome::Done},
      {"a plain leftover is removed first", Planted::Leftover, Mode::Binary, true,
       Op::Count, true, true, Outcome::Done},
      {"dropped without a commit", Planted::Nothing, Mode::Binary, true, Op::Count, false,
       true, Outcome::Done},
      {"write fails", Planted::Nothing, Mode::Binary, true, Op::Write, true, true,
       Outcome::WriteFailed},
      {"flush fails", Planted::Nothing, Mode::Text, true, Op::Flush, true, true,
       Outcome::WriteFailed},
      {"replace fails", Planted::Nothing, Mode::Binary, false, Op::Rename, true, true,
       Outcome::ReplaceFailed},
      {"a link at the side name", Planted::SideLink, Mode::Binary, true, Op::Count, true,
       false, Outcome::Done},
      {"a folder at the side name", Planted::SideFolder, Mode::Text, true, Op::Count,
       true, false, Outcome::Done},
      {"a target that is a link, refused", Planted::TargetLink, Mode::Binary, true,
       Op::Count, true, true, Outcome::ReplaceFailed},
      {"a target that is a link, replaced as a name", Planted::TargetLink, Mode::Binary,
       false, Op::Count, true, true, Outcome::Done},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir dir;
    dir.write(u"theirs.txt", "theirs");
    switch (row.planted) {
      case Planted::Nothing: break;
      case Planted::Leftover: dir.write(u"target.new", "half"); break;
      case Planted::SideLink:
        ASSERT_TRUE(testing_support::plantLink(u"target.new", u"theirs.txt"));
        break;
      case Planted::SideFolder:
        dir.mkdir(u"target.new");
        dir.write(u"target.new\\inside.txt", "inside");
        break;
      case Planted::TargetLink:
        ASSERT_TRUE(testing_support::plantLink(u"target.txt", u"theirs.txt"));
        break;
    }
    if (row.planted != Planted::TargetLink) dir.write(u"target.txt", "old");
    const std::string targetBefore = contentOf(u"target.txt");
    const std::string sideBefore = row.planted == Planted::Leftover ? "" : contentOf(u"target.new");
    {
      platform::Folder folder = row.held ? platform::Folder::hold(u".") : platform::Folder();
      ASSERT_EQ(folder.held(), row.held);
      ReplacingFile file(folder, u"target.txt", u"target.new", row.mode);
      EXPECT_EQ(file.create(), row.created);
      if (row.created && row.commit) {
        if (row.fault != Op::Count) platform::faults::failNth(row.fault, 1);
        file.file().writeAll("new\n");
        // Held open for reading, the target could not be replaced on Windows.
        File reading = File::open(u"target.txt", OpenMode::ReadBinary);
        EXPECT_EQ(file.commit(&reading), row.outcome);
        EXPECT_FALSE(reading.isOpen());
      } else if (row.created) {
        file.file().writeAll("new\n");
      }
    }
    bool replaced = row.created && row.commit && row.outcome == Outcome::Done;
    std::string written = row.mode == Mode::Text ? "file:new\r\n" : "file:new\n";
    EXPECT_EQ(contentOf(u"target.txt"), replaced ? written : targetBefore);
    EXPECT_EQ(contentOf(u"target.new"), sideBefore);
    EXPECT_EQ(contentOf(u"theirs.txt"), "file:theirs");
    testing_support::stopReportingLinks();
  }
}
