#include "script/install_script.h"

#include <string>

#include "script/script_fixture.h"

namespace script_test {
namespace {

// The commands and findings in the file's order: "keyword:line arguments",
// a name that breaks the rule as "!name"; a finding as "[kind:line]".
std::string listed(const InstallScript& script) {
  const char* kinds[] = {"overlong", "unknown", "misspelled", "noarg", "extra", "readerror"};
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i <= script.commands.size(); ++i) {
    for (; next < script.findings.size() && script.findings[next].before <= i; ++next) {
      const ScriptFinding& f = script.findings[next];
      out += std::string(out.empty() ? "" : "; ") + "[" + kinds[static_cast<int>(f.kind)] + ":" +
             std::to_string(f.line) + "]";
    }
    if (i == script.commands.size()) break;
    const ScriptCommand& c = script.commands[i];
    out += std::string(out.empty() ? "" : "; ") + keywordName(c.keyword) + ":" +
           std::to_string(c.line);
    for (const ScriptArgument& a : c.arguments)
      out += " " + std::string(a.problem.empty() ? "" : "!") + u8(a.text);
  }
  return out;
}

std::string firstProblem(const InstallScript& script) {
  for (const ScriptCommand& c : script.commands) {
    for (const ScriptArgument& a : c.arguments) {
      if (!a.problem.empty()) return a.problem;
    }
  }
  return "";
}

TEST_F(ScriptTest, ReadOnceIntoCommands) {
  struct Row {
    const char* name;
    std::string script, listed, problem;  // problem: the first refused name's
  } rows[] = {
      {"sound names as written", "mkdir lists\ncopy a.txt docs\\a.txt\nxcopy sub\\*.d?t l\n"
       "sndcopy snd lists\niconexe docs\\a.txt\ndisplay end.txt\nsetini A=B\nmkwlist\n",
       "mkdir:1 lists; copy:2 a.txt docs\\a.txt; xcopy:3 sub\\*.d?t l; sndcopy:4 snd lists; "
       "iconexe:5 docs\\a.txt; display:6 end.txt; setini:7 A=B; mkwlist:8", ""},
      {"..", "mkdir ..\\up\n", "mkdir:1 !..\\up", "climbs out of its folder with \"..\""},
      {"absolute", "copy a.txt \\b.txt\n", "copy:1 a.txt !\\b.txt", "is not relative"},
      {"drive", "copy C:a.txt b.txt\n", "copy:1 !C:a.txt b.txt", "names a drive"},
      {"UNC", "sndcopy \\\\srv\\s snd\n", "sndcopy:1 !\\\\srv\\s snd", "is a UNC path"},
      {"stream", "copy a.txt b.txt:s\n", "copy:1 a.txt !b.txt:s", "holds \":\""},
      {"device", "display nul.txt\niconexe docs\\COM1\n", "display:1 !nul.txt; iconexe:2 "
       "!docs\\COM1", "names the device nul: Windows opens the device, not a file"},
      {"trailing dot or space", "mkdir docs.\nmkdir docs \n", "mkdir:1 !docs.; mkdir:2 !docs ",
       "has a part ending in a dot or a space"},
      {"wildcards only in xcopy's pattern's last part",
       "xcopy *\\a.txt\ncopy a*.txt b.txt\nxcopy *.str l?sts\n",
       "xcopy:1 !*\\a.txt; copy:2 !a*.txt b.txt; xcopy:3 *.str !l?sts", "holds \"*\""},
      {"line findings in their place", "Titles T\nfrob\ncopy a\ncopy a b c\n#" +
       std::string(100, 'c') + "\ndebug\n", "[misspelled:1]; title:1 T; [unknown:2]; [noarg:3]; "
       "[extra:4]; copy:4 a b; [overlong:5]; [unknown:5]; debug:6", ""},
      {"a copy's folder written with a separator at its end",
       "xcopy *.txt docs\\\nsndcopy snd lists\\\ncopy a.txt docs\\\nsndcopy snd\\ l\n",
       "xcopy:1 *.txt docs\\; sndcopy:2 snd lists\\; copy:3 a.txt !docs\\; sndcopy:4 !snd\\ l",
       "has an empty part"},
      {"the empty text", "iconexe \ndisplay \nmkdir \n",
       "[noarg:1]; iconexe:1 ; [noarg:2]; display:2 ; [noarg:3]", ""},
  };
  for (const Row& row : rows) {
    writeScript(row.script);
    InstallScript script = readInstallScript(at(u"setup\\install.inf"), 1252);
    EXPECT_EQ(listed(script), row.listed) << row.name;
    EXPECT_EQ(firstProblem(script).substr(0, row.problem.size()), row.problem) << row.name;
  }
  EXPECT_FALSE(readInstallScript(at(u"setup\\none.inf"), 1252).opened);
}

}  // namespace
}  // namespace script_test
