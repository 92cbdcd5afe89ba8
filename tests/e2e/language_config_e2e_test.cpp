// The language step through the real setup.exe, on files as editors leave
// them: a configuration file that ends in Ctrl-Z, and a dict.ini whose last
// entry has no line end.
#include "e2e/e2e_fixture.h"

#include <sstream>
#include <vector>

namespace e2e {
namespace {

std::string record(const std::string& word, const std::string& translations) {
  std::string r(84, '\0');
  r.replace(0, word.size(), word);
  r.replace(31, translations.size(), translations);
  return r;
}

// The lines behind "[Language]" up to the first empty line.
std::vector<std::string> languageSection(const std::string& registry) {
  std::vector<std::string> section;
  std::istringstream in(registry);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (inside && line.empty()) break;
    if (inside) section.push_back(line);
    if (line == "[Language]") inside = true;
  }
  return section;
}

class LanguageConfigE2E : public SetupE2E {
 protected:
  // A distribution with two languages, Dutch first; `config` is the
  // language configuration file.
  void writeDistribution(const std::string& config) {
    ASSERT_NO_FATAL_FAILURE(writeSetupFolder(standardScript() +
                                             "copy taal.src taal.cf\r\n"
                                             "copy dutch.wl dutch.wl\r\n"
                                             "copy german.wl german.wl\r\n"
                                             "mkwlist\r\n"));
    ASSERT_TRUE(writeFile(setupDir() + L"\\taal.src", config));
    ASSERT_TRUE(writeFile(setupDir() + L"\\dutch.wl",
                          record("huis", "house, home") + record("boom", "tree")));
    ASSERT_TRUE(writeFile(setupDir() + L"\\german.wl", record("Haus", "house")));
  }

  // Installs into target() and expects the closing box and exit code 0.
  void install() {
    HWND main = startToMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(setText(control(main, kDirEdit), target()));
    clickButton(main, kStartButton);
    ASSERT_NO_FATAL_FAILURE(expectBoxAndPressOk(L"Installation finished.", L"Installation"));
    ASSERT_NO_FATAL_FAILURE(expectExit(0));
  }

  std::wstring target() { return work() / L"target"; }
};

const std::string kGroups =
    "d,x,0,Dutch\r\ndutch.wl\r\nrev-dutch.wl\r\n"
    "g,x,0,German\r\ngerman.wl\r\nrev-german.wl\r\n";

TEST_F(LanguageConfigE2E, ConfigurationEndingInCtrlZInstallsEveryLanguage) {
  // What follows the Ctrl-Z would end the run if it were read.
  ASSERT_NO_FATAL_FAILURE(writeDistribution(kGroups + "\x1a" "broken,line\r\n"));
  ASSERT_NO_FATAL_FAILURE(install());

  for (const wchar_t* list : {L"rev-dutch.wl", L"rev-german.wl"}) {
    std::string bytes = readFile(target() + L"\\" + list);
    EXPECT_GT(bytes.size(), 0u) << utf8(list);
    EXPECT_EQ(bytes.size() % 84, 0u) << utf8(list);
  }
  EXPECT_EQ(languageSection(readFile(target() + L"\\dict.ini")),
            (std::vector<std::string>{"d,x,0,Dutch", "g,x,0,German"}));
  EXPECT_FALSE(fileExists(target() + L"\\taal.cf")) << "deleted once every language was done";
}

TEST_F(LanguageConfigE2E, LastEntryWithoutLineEndIsReplacedNotDoubled) {
  ASSERT_NO_FATAL_FAILURE(writeDistribution(kGroups));
  ASSERT_TRUE(CreateDirectoryW(target().c_str(), nullptr));
  // Dutch, the first language installed, stands last, without a line end.
  ASSERT_TRUE(
      writeFile(target() + L"\\dict.ini", "[Language]\r\nold,x,0,German\r\nold,x,0,Dutch"));
  ASSERT_NO_FATAL_FAILURE(install());

  EXPECT_EQ(languageSection(readFile(target() + L"\\dict.ini")),
            (std::vector<std::string>{"d,x,0,Dutch", "g,x,0,German"}));
}

}  // namespace
}  // namespace e2e
