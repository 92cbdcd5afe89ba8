// Installing again over a complete installation of the sample distribution:
// a run that is killed while it writes the word lists, or that cannot write
// or replace a list, leaves every list that dict.ini registers whole (the
// earlier one or the complete new one), and the next complete run ends with
// exactly the files of a clean installation.
#include <cstdio>
#include <map>

#include "e2e/e2e_fixture.h"

namespace e2e {
namespace {

// A source list long enough for a run to be caught while it writes its
// reversal: `records` records, each a word and two of `headwords` words.
std::string bigSourceList(char prefix, int records, int headwords) {
  auto letters = [](int n) {
    std::string text(4, 'a');
    for (int i = 3; i >= 0; --i, n /= 26) text[i] = static_cast<char>('a' + n % 26);
    return text;
  };
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(records) * 84);
  for (int i = 0; i < records; ++i) {
    std::string record(84, '\0');
    std::string word = std::string(1, prefix) + "wort" + letters(i);
    std::string translations = "t" + letters(i % headwords) + ", t" +
                               letters((i * 7 + 3) % headwords);
    record.replace(0, word.size(), word);
    record.replace(31, translations.size(), translations);
    bytes += record;
  }
  return bytes;
}

int64_t fileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

class ReinstallE2E : public SampleSetupE2E {
 protected:
  HWND startAndPressStart() {
    HWND main = startToMainWindow();
    if (main) clickButton(main, kStartButton);
    return main;
  }

  // A whole run up to the closing text; then the installation holds
  // exactly the files of a clean one, but for uninstall.ini, which gains its
  // "program" key in every run that finds the folder at start-up.
  void completeRunLikeACleanOne(bool clean = true) {
    ASSERT_NE(startAndPressStart(), nullptr);
    std::optional<BoxInfo> box = setup().waitMessageBox(180000);
    ASSERT_TRUE(box.has_value()) << setup().error();
    EXPECT_EQ(utf8(box->caption), "Dictionary Setup") << utf8(box->text);
    setup().pressOk(*box);
    ASSERT_NO_FATAL_FAILURE(expectExit(0));
    if (clean) {
      auto withoutRecord = [](std::string digests) {
        const std::string name = "  uninstall.ini\n";
        std::size_t at = digests.find(name);
        if (at != std::string::npos && at >= 64) digests.erase(at - 64, 64 + name.size());
        return digests;
      };
      EXPECT_EQ(withoutRecord(digestList(snapshotTree(installDir_))),
                withoutRecord(recordedSampleDigests()))
          << "not the files of a clean installation";
    }
  }

  // list name -> content of every list that dict.ini registers.
  std::map<std::string, std::string> registeredLists() const {
    std::map<std::string, std::string> lists;
    for (const std::string& entry : languageSection(readFile(installDir_ + L"\\dict.ini"))) {
      std::string name = entry.substr(0, entry.find(','));
      lists[name] = readFile(installDir_ + L"\\lists\\" + wide(name));
    }
    return lists;
  }

};

const std::vector<std::string> kSampleLists = {"eng-deu.wl", "eng-ell.wl", "eng-jpn.wl",
                                               "eng-pol.wl"};

// The run is killed at four moments, each seen by polling the installation
// folder: the German pairs being written, the German list's replacement just
// created (before the sort) and half written, and the Polish one half
// written (German done and registered). The sources are large and new, so
// that each moment lasts long enough to be caught.
TEST_F(ReinstallE2E, RunKilledWhileWritingListsLeavesEveryRegisteredListWhole) {
  ASSERT_NO_FATAL_FAILURE(completeRunLikeACleanOne());
  const std::map<std::string, std::string> earlier = registeredLists();
  ASSERT_EQ(earlier.size(), kSampleLists.size());

  ASSERT_TRUE(writeFile(setupDir() + L"\\lists\\deu.wl", bigSourceList('d', 150000, 50000)));
  ASSERT_TRUE(writeFile(setupDir() + L"\\lists\\pol.wl", bigSourceList('p', 150000, 50000)));

  struct Moment {
    const char* name;
    const wchar_t* file;
    int64_t minSize;
  };
  const std::vector<Moment> moments = {
      {"German pairs being written", L"reverse.tmp", 1 << 20},
      {"German replacement created", L"lists\\eng-deu.wl.$$$", 0},
      {"German replacement half written", L"lists\\eng-deu.wl.$$$", 2 << 20},
      {"Polish replacement half written", L"lists\\eng-pol.wl.$$$", 2 << 20},
  };
  struct Killed {
    std::string moment;
    std::map<std::string, std::string> lists;
  };
  std::vector<Killed> killed;
  for (const Moment& m : moments) {
    SCOPED_TRACE(m.name);
    ASSERT_NE(startAndPressStart(), nullptr);
    std::wstring watched = installDir_ + L"\\" + m.file;
    bool seen = false;
    DWORD start = GetTickCount();
    for (int poll = 0; setup().running() && GetTickCount() - start < 120000; ++poll) {
      if (fileSize(watched) >= m.minSize) {
        seen = true;
        break;
      }
      if (poll % 100 == 0 && !setup().messageBoxes().empty()) break;  // the run has ended
      Sleep(1);
    }
    setup().kill();
    ASSERT_TRUE(seen) << "the run ended before " << m.name << " could be seen";
    std::optional<DWORD> code = setup().waitExit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0xDEADu) << "killed, not ended by itself";
    std::map<std::string, std::string> lists = registeredLists();
    EXPECT_EQ(lists.size(), kSampleLists.size()) << "every language stays registered";
    bool left = fileExists(watched);
    std::printf("  [reinstall] killed at \"%s\": %s %s\n", m.name, utf8(m.file).c_str(),
                left ? "left behind" : "gone");
    // Caught in the middle of writing a list, not after it.
    if (m.minSize > 0 && std::wstring(m.file).ends_with(L".$$$")) {
      EXPECT_TRUE(left) << "the list was complete before the kill";
    }
    killed.push_back({m.name, lists});
  }

  // The new lists, from a complete run over what the last kill left.
  ASSERT_NO_FATAL_FAILURE(completeRunLikeACleanOne(false));
  const std::map<std::string, std::string> newer = registeredLists();
  EXPECT_NE(newer.at("eng-deu.wl"), earlier.at("eng-deu.wl"));
  EXPECT_NE(newer.at("eng-pol.wl"), earlier.at("eng-pol.wl"));
  for (const std::string& name : kSampleLists) {
    EXPECT_FALSE(fileExists(installDir_ + L"\\lists\\" + wide(name) + L".$$$")) << name;
  }

  for (const Killed& k : killed) {
    for (const auto& [name, bytes] : k.lists) {
      bool whole = bytes == earlier.at(name) || bytes == newer.at(name);
      EXPECT_TRUE(whole) << "killed at \"" << k.moment << "\": " << name << " ("
                         << bytes.size() << " bytes) is neither the earlier nor the new list";
    }
    // German is registered anew only after its list is complete; while its
    // pairs are written its list is the earlier one.
    if (k.moment == moments[0].name) {
      EXPECT_EQ(k.lists.at("eng-deu.wl"), earlier.at("eng-deu.wl")) << k.moment;
    }
    if (k.moment == moments[3].name) {
      EXPECT_EQ(k.lists.at("eng-deu.wl"), newer.at("eng-deu.wl")) << k.moment;
    }
  }

  // Back to the sample's lists: the next run ends like a clean one.
  ASSERT_TRUE(copyTree(sampleDistPath() + L"\\lists", setupDir() + L"\\lists"));
  ASSERT_NO_FATAL_FAILURE(completeRunLikeACleanOne());
}

// A list that cannot be written or replaced ends the run with a box naming
// it; every list stays as the clean installation left it, no replacement is
// left, and once the obstacle is gone the next run ends like a clean one.
// Wine has no disk-full simulation for one folder, so the write failure is a
// folder standing where the replacement would be created; the replace
// failure is a list that another program holds open without delete sharing
// (the dictionary itself, say), which Wine refuses as Windows does.
TEST_F(ReinstallE2E, ListThatCannotBeWrittenOrReplacedStaysAsItWas) {
  ASSERT_NO_FATAL_FAILURE(completeRunLikeACleanOne());
  const std::map<std::string, std::string> clean = registeredLists();
  const std::wstring lists = installDir_ + L"\\lists\\";

  struct Obstacle {
    const char* name;
    std::wstring list;  // of the language that fails
    std::string message;
  };
  const std::vector<Obstacle> obstacles = {
      {"a folder where Polish's replacement goes", L"eng-pol.wl",
       "Can't create output file \"lists\\eng-pol.wl\" "},
      {"Greek list held open without delete sharing", L"eng-ell.wl",
       "Can't replace output file \"lists\\eng-ell.wl\""},
      {"Japanese list marked read-only", L"eng-jpn.wl",
       "Can't create output file \"lists\\eng-jpn.wl\" "},
  };
  for (const Obstacle& o : obstacles) {
    SCOPED_TRACE(o.name);
    const std::wstring list = lists + o.list, replacement = list + L".$$$";
    HANDLE held = INVALID_HANDLE_VALUE;
    bool readOnly = std::string(o.name).ends_with("read-only");
    if (readOnly) {
      ASSERT_TRUE(SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_READONLY));
    } else if (o.message.rfind("Can't create", 0) == 0) {
      ASSERT_TRUE(CreateDirectoryW(replacement.c_str(), nullptr));
    } else {
      held = CreateFileW(list.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
    }
    ASSERT_NE(startAndPressStart(), nullptr);
    std::optional<BoxInfo> box = setup().waitMessageBox(120000);
    ASSERT_TRUE(box.has_value()) << setup().error();
    EXPECT_EQ(utf8(box->caption), "Error");
    EXPECT_EQ(utf8(box->text), o.message);
    setup().pressOk(*box);
    ASSERT_NO_FATAL_FAILURE(expectExit(1));
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    if (readOnly) {
      EXPECT_TRUE(SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_NORMAL));
    }
    if (directoryExists(replacement)) {
      EXPECT_TRUE(RemoveDirectoryW(replacement.c_str()));
    } else {
      EXPECT_FALSE(fileExists(replacement)) << "replacement left behind";
    }
    std::map<std::string, std::string> now = registeredLists();
    ASSERT_EQ(now.size(), clean.size()) << "every language stays registered";
    for (const auto& [name, bytes] : now) {
      EXPECT_TRUE(clean.count(name) && bytes == clean.at(name)) << name << " changed";
    }
  }
  ASSERT_NO_FATAL_FAILURE(completeRunLikeACleanOne());
}

}  // namespace
}  // namespace e2e
