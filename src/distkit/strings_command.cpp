// distkit strings pack IN.txt OUT.str  |  distkit strings unpack IN.str
//
// pack turns a UTF-8 strings source into the scrambled strings file that the
// installer reads; unpack prints a strings file as UTF-8 source lines.
// Failures print one line on stderr and exit with 2; pack never leaves a
// half-written OUT behind (it writes a side file of its own beside OUT,
// ~distkit-<random>.tmp, and renames it over OUT).

#include <cstdio>
#include <string>
#include <vector>

#include "distkit/outcome.h"
#include "distkit/commands.h"
#include "distkit/console.h"
#include "distkit/tool_files.h"
#include "platform/file.h"
#include "platform/replacing_file.h"
#include "platform/utf8.h"
#include "text/strings_pack.h"

namespace {

int fail(const std::string& message) { return distkit::fail("strings", message); }

bool readWhole(std::u16string_view path, std::string& data, std::string& error) {
  platform::File file = platform::File::open(path, platform::OpenMode::ReadBinary);
  if (!file) {
    error = platform::utf16ToUtf8(path) + ": cannot open for reading";
    return false;
  }
  int64_t size = file.size();
  if (size < 0 || size > 0x7FFFFFFF) {
    error = platform::utf16ToUtf8(path) + ": cannot determine the size, or larger than 2 GB";
    return false;
  }
  data.assign(static_cast<std::size_t>(size), '\0');
  if (file.read(data.data(), data.size()) != data.size()) {
    error = platform::utf16ToUtf8(path) + ": read error";
    return false;
  }
  return true;
}

// Writes `data` to `path` through a side file of this run's own, so that
// `path` is either the old file or the complete new one.
// A `path` that is a link of the user's own: the file it names is replaced,
// the link stays.
bool writeReplacing(std::u16string_view given, std::string_view data, std::string& error) {
  const std::u16string followed = platform::followedPath(given);
  std::u16string_view path = followed;
  std::u16string temp = reserveSideName(folderOf(path), u".tmp");
  if (temp.empty()) {
    error = platform::utf16ToUtf8(path) + ": cannot make a file beside it";
    return false;
  }
  platform::ReplacingFile file(platform::Folder::userPaths(), path, temp,
                               platform::ReplacingFile::Mode::Binary);
  if (!file.create()) {
    platform::removeFile(temp);
    error = platform::utf16ToUtf8(temp) + ": cannot create";
    return false;
  }
  file.file().writeAll(data);
  switch (file.commit()) {
    case platform::ReplacingFile::Outcome::Done: return true;
    case platform::ReplacingFile::Outcome::WriteFailed:
      error = platform::utf16ToUtf8(temp) + ": write error";
      return false;
    case platform::ReplacingFile::Outcome::ReplaceFailed: break;
  }
  error = platform::utf16ToUtf8(path) + ": cannot replace with " + platform::utf16ToUtf8(temp);
  return false;
}

int pack(const std::u16string& in, const std::u16string& out) {
  std::string source, packed, error;
  if (!readWhole(in, source, error)) return fail(error);
  std::vector<std::string> warnings;
  StringsSourceProblem problem;
  if (!packStrings(source, packed, problem, &warnings))
    return fail(platform::utf16ToUtf8(in) + ": " + problem.text());
  for (const std::string& w : warnings) {
    std::fprintf(stderr, "distkit strings: warning: %s: %s\n", platform::utf16ToUtf8(in).c_str(),
                 w.c_str());
  }
  if (!writeReplacing(out, packed, error)) return fail(error);
  return distkit::kExitOk;
}

int unpack(const std::u16string& in) {
  std::string packed, source, error;
  if (!readWhole(in, packed, error)) return fail(error);
  if (!unpackStrings(packed, source, error)) return fail(platform::utf16ToUtf8(in) + ": " + error);
  // The lines are UTF-8 with '\n' ends, byte for byte.
  std::fflush(stdout);
  setBinaryStdout();
  if (std::fwrite(source.data(), 1, source.size(), stdout) != source.size() ||
      std::fflush(stdout) != 0) {
    return fail("cannot write to standard output");
  }
  return distkit::kExitOk;
}

int usage() {
  return fail(
      "usage: distkit strings pack IN.txt OUT.str | distkit strings unpack IN.str");
}

}  // namespace

int runStringsCommand(const Args& args) {
  if (args.size() == 3 && args[0] == u"pack") return pack(args[1], args[2]);
  if (args.size() == 2 && args[0] == u"unpack") return unpack(args[1]);
  return usage();
}
