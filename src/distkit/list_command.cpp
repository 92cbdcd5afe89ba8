// distkit list pack|unpack: source word lists to and from UTF-8 text.

#include <cstdio>
#include <string>

#include "distkit/outcome.h"
#include "distkit/commands.h"
#include "distkit/console.h"
#include "distkit/tool_files.h"
#include "platform/file.h"
#include "platform/replacing_file.h"
#include "platform/utf8.h"
#include "wordlist/list_text.h"
#include "wordlist/records.h"

namespace {

int fail(const std::string& message, distkit::ExitCode code) {
  return distkit::fail("list", message, code);
}

struct Options {
  std::u16string in, out;
  uint32_t wordCodePage = 0, translationsCodePage = 0;
};

// Positional arguments (`positional` of them) and the two code pages.
bool parseOptions(const Args& args, std::size_t positional, Options& options, std::string& error) {
  std::vector<std::u16string> names;
  bool haveWord = false, haveTranslations = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::u16string& a = args[i];
    if (a == u"--word-cp" || a == u"--trans-cp") {
      if (i + 1 >= args.size()) {
        error = platform::utf16ToUtf8(a) + " needs a code page number";
        return false;
      }
      uint32_t& target = a == u"--word-cp" ? options.wordCodePage : options.translationsCodePage;
      if (!parseCodePage(args[++i], target)) {
        error = "unknown code page \"" + platform::utf16ToUtf8(args[i]) + "\"";
        return false;
      }
      (a == u"--word-cp" ? haveWord : haveTranslations) = true;
    } else {
      names.push_back(a);
    }
  }
  if (names.size() != positional || !haveWord || !haveTranslations) {
    error =
        "usage: distkit list pack IN.tsv OUT --word-cp N --trans-cp N\n"
        "       distkit list unpack IN --word-cp N --trans-cp N";
    return false;
  }
  options.in = names[0];
  // OUT may be a link of the user's own: the file it names is replaced.
  if (positional > 1) options.out = platform::followedPath(names[1]);
  return true;
}

int pack(const Options& options) {
  std::string text;
  if (!readWholeFile(options.in, text))
    return fail("cannot read \"" + platform::utf16ToUtf8(options.in) + "\"", distkit::kExitProblems);
  std::vector<ListTextProblem> problems;
  std::string records =
      packListText(text, options.wordCodePage, options.translationsCodePage, problems);
  if (!problems.empty()) {
    for (const ListTextProblem& p : problems) {
      std::fprintf(stderr, "%s:%d: %s\n", platform::utf16ToUtf8(options.in).c_str(), p.line,
                   p.message.c_str());
    }
    return fail(std::to_string(problems.size()) + " line(s) refused; nothing written", distkit::kExitRefused);
  }
  // Written into a side file of this run's own beside the destination
  // first, so that a failed write never leaves a partial list under the
  // real name.
  std::u16string partial = reserveSideName(folderOf(options.out), u".part");
  if (partial.empty())
    return fail("cannot make a file beside \"" + platform::utf16ToUtf8(options.out) + "\"",
                distkit::kExitProblems);
  platform::ReplacingFile file(platform::Folder::userPaths(), options.out, partial,
                               platform::ReplacingFile::Mode::Binary);
  if (!file.create()) {
    platform::removeFile(partial);
    return fail("cannot create \"" + platform::utf16ToUtf8(partial) + "\"", distkit::kExitProblems);
  }
  file.file().writeAll(records);
  if (file.commit() != platform::ReplacingFile::Outcome::Done) {
    return fail("cannot write \"" + platform::utf16ToUtf8(options.out) + "\"", distkit::kExitProblems);
  }
  std::fprintf(stderr, "%zu records\n", records.size() / kWordRecordSize);
  return distkit::kExitOk;
}

int unpack(const Options& options) {
  std::string records;
  if (!readWholeFile(options.in, records))
    return fail("cannot read \"" + platform::utf16ToUtf8(options.in) + "\"", distkit::kExitProblems);
  if (records.size() % kWordRecordSize != 0) {
    std::fprintf(stderr, "distkit list: %zu trailing bytes ignored\n",
                 records.size() % kWordRecordSize);
  }
  std::string text = unpackListRecords(records, options.wordCodePage, options.translationsCodePage);
  setBinaryStdout();  // LF line ends, as packed
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    return fail("cannot write the output", distkit::kExitProblems);
  }
  return distkit::kExitOk;
}

}  // namespace

int runListCommand(const Args& args) {
  std::string error;
  Options options;
  if (!args.empty() && args[0] == u"pack") {
    if (!parseOptions(args, 2, options, error)) return fail(error, distkit::kExitRefused);
    return pack(options);
  }
  if (!args.empty() && args[0] == u"unpack") {
    if (!parseOptions(args, 1, options, error)) return fail(error, distkit::kExitRefused);
    return unpack(options);
  }
  return fail("usage: distkit list pack|unpack ...", distkit::kExitRefused);
}
