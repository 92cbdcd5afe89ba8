// Measures one reversed-list build: the time of each phase, records per
// second and the process's peak memory.
//
//   wordlist_bench IN.lst OUT.lst --list-cp N --home-cp N --locale NAME
//                  [--method keys|compare] [--pairs PAIRS.lst]
//
// IN.lst and OUT.lst are names relative to the current directory (the
// installer's list paths are limited to 79 characters). --locale "table"
// sorts with tables\table.stb, which must exist. --pairs keeps a copy of the
// reversed pairs (the temporary file) for comparisons with other sorters.
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/state.h"
#include "platform/collate.h"
#include "platform/file.h"
#include "platform/screen.h"
#include "platform/utf8.h"
#include "text/strings_step.h"
#include "text/collate.h"
#include "install/language_step.h"
#include "install/progress.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// Takes the time of every "Done" mark and progress point of the build.
class TimingScreen : public platform::Screen {
 public:
  std::vector<Clock::time_point> done;
  std::vector<std::pair<std::string, Clock::time_point>> points;
  std::u16string pairsCopy;

  void progress(platform::Rect, int, const char* percentText) override {
    points.emplace_back(percentText, Clock::now());
    // At 50% the temporary file is complete and open for reading.
    if (!pairsCopy.empty() && std::strcmp(percentText, "50%") == 0) {
      std::wstring from(L"bench.tmp"), to(pairsCopy.begin(), pairsCopy.end());
      CopyFileW(from.c_str(), to.c_str(), FALSE);
    }
  }
  void label(std::u16string_view text, platform::Rect) override {
    if (text == u"Done") done.push_back(Clock::now());
  }
};

long long fileSize(const char* name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int usage() {
  std::fputs(
      "usage: wordlist_bench IN.lst OUT.lst --list-cp N --home-cp N --locale NAME\n"
      "                      [--method keys|compare] [--pairs PAIRS.lst]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const char* in = argv[1];
  const char* out = argv[2];
  uint32_t listCp = 1252, homeCp = 1252;
  std::string locale = "C", method = "keys", pairs;
  for (int i = 3; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--list-cp")
      listCp = std::stoul(argv[i + 1]);
    else if (option == "--home-cp")
      homeCp = std::stoul(argv[i + 1]);
    else if (option == "--locale")
      locale = argv[i + 1];
    else if (option == "--method")
      method = argv[i + 1];
    else if (option == "--pairs")
      pairs = argv[i + 1];
    else
      return usage();
  }
  if (std::strlen(in) >= sizeof state.inputListName ||
      std::strlen(out) >= sizeof state.outputListName) {
    return usage();
  }

  std::u16string localeName = platform::widenBytes(locale.c_str());
  auto set = [](StringKey key, const char16_t* value) {
    strings.values[static_cast<int>(key)] = value;
  };
  set(StringKey::PathLanguage, u"");
  set(StringKey::Install_TaalTemp, u"bench.tmp");
  set(StringKey::Done, u"Done");
  set(StringKey::Locale, localeName.c_str());
  state.uiCodePage = 1252;
  state.listCodePage = listCp;
  state.homeCodePage = homeCp;
  std::strcpy(state.inputListName, in);
  std::strcpy(state.outputListName, out);
  if (locale != "table" && !setCollationLocale(localeName)) {
    std::fprintf(stderr, "locale \"%s\" refused\n", locale.c_str());
    return 1;
  }

  TimingScreen screen;
  screen.pairsCopy = platform::widenBytes(pairs.c_str());
  platform::setScreen(&screen);

  PROCESS_MEMORY_COUNTERS before{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  Clock::time_point start = Clock::now();
  if (method == "compare") {
    // The reference sort, through the word-list layer with the step's job.
    ListJobPaths paths;
    ListCounts counts;
    WindowListDisplay display;
    buildReversedList(currentListJob(paths), counts, display, ListSort::PerComparison);
    state.recordCount = counts.records;
    state.comparisonCount = counts.comparisons.count;
  } else {
    buildReversedList();
  }
  Clock::time_point end = Clock::now();
  PROCESS_MEMORY_COUNTERS after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);

  if (screen.done.size() != 5 || screen.points.size() != 6) {
    std::fprintf(stderr, "unexpected display: %zu done marks, %zu progress points\n",
                 screen.done.size(), screen.points.size());
    return 1;
  }
  auto at = [&](const char* percent) {
    for (auto& p : screen.points)
      if (p.first == percent) return p.second;
    return end;
  };
  long long sourceBytes = fileSize(in), outputBytes = fileSize(out);
  long long pairsCount = state.recordCount;  // the last count: the temporary file's
  double total = secondsBetween(start, end);
  std::printf("method            %s (%s, list cp %u, home cp %u)\n", method.c_str(), locale.c_str(),
              listCp, homeCp);
  std::printf("source records    %lld\n", sourceBytes / 84);
  std::printf("reversed pairs    %lld\n", pairsCount);
  std::printf("output records    %lld (%lld bytes)\n", outputBytes / 84, outputBytes);
  std::printf("load source       %8.3f s\n", secondsBetween(at("10%"), screen.done[0]));
  std::printf("reverse           %8.3f s\n", secondsBetween(at("25%"), screen.done[1]));
  std::printf("load pairs        %8.3f s\n", secondsBetween(at("50%"), screen.done[2]));
  std::printf("sort              %8.3f s\n", secondsBetween(screen.done[2], screen.done[3]));
  std::printf("merge and write   %8.3f s\n", secondsBetween(at("75%"), screen.done[4]));
  std::printf("whole build       %8.3f s\n", total);
  std::printf("pairs per second  %8.0f\n", pairsCount / total);
  std::printf("comparisons       %ld\n", static_cast<long>(state.comparisonCount));
  const double mb = 1024.0 * 1024.0;
  std::printf("peak working set  %8.1f MB (%.1f MB before the build)\n",
              after.PeakWorkingSetSize / mb, before.WorkingSetSize / mb);
  std::printf("peak private      %8.1f MB (%.1f MB before the build; Wine does not track it)\n",
              after.PeakPagefileUsage / mb, before.PagefileUsage / mb);
  std::printf("peak / output     %8.2f (peak working set over the output size)\n",
              after.PeakWorkingSetSize / static_cast<double>(outputBytes));
  std::printf(
      "growth / output   %8.2f (peak working set minus before, over the output size)\n",
      (after.PeakWorkingSetSize - before.WorkingSetSize) / static_cast<double>(outputBytes));
  return 0;
}
