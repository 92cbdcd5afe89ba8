// distkit reverse SOURCE OUT --list-cp N --home-cp N (--locale NAME | --table FILE) [--tsv]
//
// The reversed list that setup.exe writes for SOURCE, made by the
// installer's own list builder (wordlist's buildReversedList: the same
// reader, reversal, sort and merge), so that a distribution's author sees
// the installed list before shipping. --locale takes the strings key
// Locale's value and sets the collation as the installer does; --table
// sorts by a 256-byte weight table as tables\<Locale>.stb would. --tsv
// writes the result as UTF-8 "headword<TAB>translations" lines instead.
//
// Every failure exits with 2 and leaves OUT as it was: the reversed pairs,
// the list and the builder's replacement of it are written under fresh
// names in OUT's folder, each made with create-new semantics, so no file of
// the user's is ever overwritten but OUT; the finished list (or its text
// form) takes OUT's place in one step.
#include <chrono>
#include <cstdio>
#include <string>

#include "distkit/outcome.h"
#include "distkit/commands.h"
#include "distkit/console.h"
#include "distkit/tool_files.h"
#include "platform/file.h"
#include "platform/replacing_file.h"
#include "platform/utf8.h"
#include "text/collate.h"
#include "wordlist/list_text.h"
#include "wordlist/reverser.h"

namespace {

constexpr std::size_t kSortTableBytes = 256;

int fail(const std::string& message) { return distkit::fail("reverse", message); }

std::string shown(std::u16string_view path) { return "\"" + platform::utf16ToUtf8(path) + "\""; }

struct Options {
  std::u16string source, out;
  uint32_t listCodePage = 0, homeCodePage = 0;
  std::u16string locale, table;
  bool haveLocale = false, haveTable = false, tsv = false;
};

constexpr const char* kUsage =
    "usage: distkit reverse SOURCE OUT --list-cp N --home-cp N (--locale NAME | --table FILE) "
    "[--tsv]";

bool parseOptions(const Args& args, Options& options, std::string& error) {
  std::vector<std::u16string> names;
  bool haveList = false, haveHome = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::u16string& a = args[i];
    if (a == u"--tsv") {
      options.tsv = true;
      continue;
    }
    if (a != u"--list-cp" && a != u"--home-cp" && a != u"--locale" && a != u"--table") {
      names.push_back(a);
      continue;
    }
    if (i + 1 >= args.size()) {
      error = platform::utf16ToUtf8(a) + " needs a value";
      return false;
    }
    const std::u16string& value = args[++i];
    if (a == u"--list-cp" || a == u"--home-cp") {
      uint32_t& target = a == u"--list-cp" ? options.listCodePage : options.homeCodePage;
      if (!parseCodePage(value, target)) {
        error = "unknown code page \"" + platform::utf16ToUtf8(value) + "\"";
        return false;
      }
      (a == u"--list-cp" ? haveList : haveHome) = true;
    } else if (a == u"--locale") {
      options.locale = value;
      options.haveLocale = true;
    } else {
      options.table = value;
      options.haveTable = true;
    }
  }
  if (names.size() != 2 || !haveList || !haveHome ||
      options.haveLocale == options.haveTable) {
    error = kUsage;
    return false;
  }
  options.source = names[0];
  // OUT may be a link of the user's own: the file it names is replaced, the
  // link stays.
  options.out = platform::followedPath(names[1]);
  return true;
}

// The collation of the build: the locale as the installer sets it from the
// strings key Locale, or a sort table that must be a whole one.
bool setOrder(const Options& options, std::string& error) {
  resetSortTable();
  if (options.haveTable) {
    std::string weights;
    if (!readWholeFile(options.table, weights)) {
      error = "cannot read the sort table " + shown(options.table);
      return false;
    }
    if (weights.size() != kSortTableBytes) {
      error = "the sort table " + shown(options.table) + " has " +
              std::to_string(weights.size()) + " bytes, not one weight for each of 256 bytes";
      return false;
    }
    return true;
  }
#ifndef _WIN32
  // A named locale orders by the Windows system's sort keys
  // (LCMapStringW), which no other system reproduces; an order of our own
  // would give a list that differs from the installed one.
  if (options.locale != u"C") {
    error = "the collation of locale " + shown(options.locale) +
            " is that of Windows and cannot be reproduced here; use distkit.exe (under Wine), "
            "--locale C or --table FILE";
    return false;
  }
#endif
  if (!setCollationLocale(options.locale)) {
    error = "locale " + shown(options.locale) + " is refused by the system";
    return false;
  }
  return true;
}

// A side file of our own beside OUT (reserveSideName); with
// `alsoReplacement`, the name the list builder writes through (the name +
// ".$$$") is made the same way, so neither side file can be a file of the
// user's.
std::u16string reserveFreshName(const std::u16string& folder, const char16_t* suffix,
                                bool alsoReplacement) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::u16string name = reserveSideName(folder, suffix);
    if (name.empty()) return name;
    if (!alsoReplacement || platform::createNewFile(replacementPath(name))) return name;
    platform::removeFile(name);
  }
  return {};
}

std::string describe(ListError error, const Options& options) {
  switch (error) {
    case ListError::SourceMissing: return "cannot open the source list " + shown(options.source);
    case ListError::SourceOutOfMemory:
      return "not enough memory to load the source list " + shown(options.source);
    case ListError::SourceReadFailed: return "cannot read the source list " + shown(options.source);
    case ListError::TempCreateFailed:
    case ListError::TempWriteFailed:
    case ListError::TempOpenFailed:
    case ListError::TempReadFailed:
      return "cannot write and read back the reversed pairs beside " + shown(options.out);
    case ListError::TempOutOfMemory:
    case ListError::SortOutOfMemory: return "not enough memory to sort the reversed list";
    case ListError::OutputCreateFailed:
    case ListError::OutputWriteFailed:
    case ListError::OutputReplaceFailed: return "cannot write " + shown(options.out);
    case ListError::SourcePathTooLong:
    case ListError::OutputPathTooLong:
    case ListError::None: break;
  }
  return "the list build failed";
}

// Progress on stderr: the builder's percent points, redrawn in place on a
// terminal once a build has run for a second, nothing when stderr is a file
// or a pipe.
class TerminalProgress : public ListDisplay {
 public:
  explicit TerminalProgress(bool terminal) : terminal_(terminal) {}

  void begin() override { start_ = Clock::now(); }
  void progress(ListMilestone milestone) override {
    percent_ = std::to_string(milestonePercent(milestone)) + "%";
    if (shown_ || longRunning()) show();
  }
  void counter(int64_t, bool draw) override {
    if (draw && !shown_ && longRunning()) show();
  }
  void end() override {
    if (shown_) std::fputc('\n', stderr);
  }

 private:
  using Clock = std::chrono::steady_clock;

  bool longRunning() const {
    return terminal_ && Clock::now() - start_ > std::chrono::seconds(1);
  }
  void show() {
    std::fprintf(stderr, "\rdistkit reverse: %-4s", percent_.c_str());
    std::fflush(stderr);
    shown_ = true;
  }

  bool terminal_;
  bool shown_ = false;
  std::string percent_;
  Clock::time_point start_ = Clock::now();
};

// Puts the reversed list that the builder left at `list` (a name of our
// own) in OUT's place in one step; with --tsv it is first read and written
// anew, as text, under the same name. False when that fails; OUT is then as
// it was.
bool publish(const std::u16string& list, const Options& options) {
  if (!options.tsv) {
    // The list builder has written the list whole, flushed and closed: it
    // takes OUT's place as it is.
    if (platform::replaceFile(list, options.out)) return true;
    platform::removeFile(list);
    return false;
  }
  std::string bytes;
  if (!readWholeFile(list, bytes)) {
    platform::removeFile(list);
    return false;
  }
  bytes = unpackListRecords(bytes, options.homeCodePage, options.listCodePage);
  platform::ReplacingFile out(platform::Folder::userPaths(), options.out, list,
                              platform::ReplacingFile::Mode::Binary);
  if (!out.create()) return false;
  out.file().writeAll(bytes);
  return out.commit() == platform::ReplacingFile::Outcome::Done;
}

int reverse(const Options& options) {
  std::string error;
  if (!setOrder(options, error)) return fail(error);
  if (platform::pathKind(options.out) == platform::PathKind::Directory)
    return fail(shown(options.out) + " is a folder");
  if (platform::isReadOnly(options.out)) return fail(shown(options.out) + " is read-only");

  // The pairs and the list are written under fresh names of our own beside
  // OUT; OUT is replaced by the finished list in one step at the end.
  std::u16string folder = folderOf(options.out);
  std::u16string pairs = reserveFreshName(folder, u".pairs", false);
  std::u16string list = pairs.empty() ? u"" : reserveFreshName(folder, u".part", true);
  if (list.empty()) {
    if (!pairs.empty()) platform::removeFile(pairs);
    return fail("cannot make a file beside " + shown(options.out));
  }
  ListJob job;
  job.sourcePath = options.source;
  job.tempPath = pairs;
  job.outputPath = list;
  job.sortTablePath = options.table;  // empty with --locale: no table is read
  job.listCodePage = options.listCodePage;
  job.homeCodePage = options.homeCodePage;

  ListCounts counts;
  TerminalProgress display(stderrIsTerminal());
  ListError built = buildReversedList(job, counts, display);
  platform::removeFile(pairs);
  if (built != ListError::None) {
    platform::removeFile(replacementPath(list));
    platform::removeFile(list);
    return fail(describe(built, options));
  }
  if (!publish(list, options)) return fail("cannot write " + shown(options.out));
  return distkit::kExitOk;
}

}  // namespace

int runReverseCommand(const Args& args) {
  Options options;
  std::string error;
  if (!parseOptions(args, options, error)) return fail(error);
  return reverse(options);
}
