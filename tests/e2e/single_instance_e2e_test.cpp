// A second setup.exe started while one runs: it installs nothing, shows
// nothing, brings the running window to the front and ends with exit code 0
// at once; the first goes on and installs exactly what it installs alone.
#include "e2e/e2e_fixture.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <ostream>

namespace e2e {
namespace {

// The mutex that the first setup.exe of a session holds while it runs.
constexpr wchar_t kSetupMutex[] =
    L"Local\\DictionarySetup.OneInstance.384bb393-6541-4e1e-8c83-ed83a79b066d";

// How long the second setup.exe may take from its start to its end.
constexpr ULONGLONG kSecondLimitMs = 5000;

// Holds every thread of a process still until it goes away. The sample
// installation takes well under a second here, too short to start another
// process into; a frozen installer looks to every other process just like
// one that is deep in a long installation (its thread answers no message).
class Freeze {
 public:
  explicit Freeze(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID != pid) continue;
      HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
      if (!thread) continue;
      if (SuspendThread(thread) == static_cast<DWORD>(-1)) {
        CloseHandle(thread);
        continue;
      }
      threads_.push_back(thread);
    }
    CloseHandle(snapshot);
  }
  ~Freeze() {
    for (HANDLE thread : threads_) {
      ResumeThread(thread);
      CloseHandle(thread);
    }
  }
  Freeze(const Freeze&) = delete;
  Freeze& operator=(const Freeze&) = delete;
  bool holds() const { return !threads_.empty(); }

 private:
  std::vector<HANDLE> threads_;
};

// A small window of this test program, put in front of the installer so
// that the second start has something to bring forward.
class CoverWindow {
 public:
  CoverWindow()
      : window_(CreateWindowExW(0, L"STATIC", L"cover", WS_POPUP | WS_VISIBLE | WS_BORDER, 40,
                                40, 200, 100, nullptr, nullptr, nullptr, nullptr)) {}
  ~CoverWindow() {
    if (window_) DestroyWindow(window_);
  }
  CoverWindow(const CoverWindow&) = delete;
  CoverWindow& operator=(const CoverWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

// "class \"text\"" of every visible top-level window of a process.
std::vector<std::string> visibleWindowsOf(DWORD pid) {
  std::vector<std::string> found;
  for (HWND window : windowsOfProcess(pid)) {
    if (!IsWindowVisible(window)) continue;
    wchar_t name[256] = {}, text[256] = {};
    GetClassNameW(window, name, 256);
    GetWindowTextW(window, text, 256);
    found.push_back(utf8(name) + " \"" + utf8(text) + "\"");
  }
  return found;
}

// Where the first setup.exe is when the second one starts.
enum class Moment {
  kStarting,     // mutex made, window not shown yet (first frozen there)
  kStartScreen,  // waiting on its start screen
  kInstalling,   // inside the installation (first frozen there)
};

struct SecondStart {
  const char* name;
  Moment moment;
  // The first window minimized; otherwise a window of another program is
  // in front of it (once it has a window).
  bool minimized;
};

void PrintTo(const SecondStart& start, std::ostream* out) { *out << start.name; }

const SecondStart kSecondStarts[] = {
    {"WhileTheFirstIsStarting", Moment::kStarting, false},
    {"OnTheStartScreen", Moment::kStartScreen, false},
    {"OnTheMinimizedStartScreen", Moment::kStartScreen, true},
    {"WhileTheFirstIsInstalling", Moment::kInstalling, false},
    {"WhileTheMinimizedFirstIsInstalling", Moment::kInstalling, true},
};

class SingleInstanceE2E : public SampleSetupE2E,
                          public ::testing::WithParamInterface<SecondStart> {
 protected:
  // Starts the second setup.exe and watches it to its end: exit code 0
  // within the limit, no visible window of its own at any time.
  void runSecondAndExpectQuietExit() {
    SetupProcess second;
    ULONGLONG started = GetTickCount64();
    ASSERT_TRUE(second.start(setupDir())) << second.error();
    std::vector<std::string> shown;
    while (second.running() && GetTickCount64() - started < kSecondLimitMs) {
      for (const std::string& window : visibleWindowsOf(second.pid())) shown.push_back(window);
      Sleep(10);
    }
    ULONGLONG took = GetTickCount64() - started;
    EXPECT_TRUE(shown.empty()) << "the second setup.exe showed " << shown.front();
    std::optional<DWORD> code = second.waitExit(0);
    ASSERT_TRUE(code.has_value()) << "the second setup.exe: " << second.error();
    EXPECT_EQ(*code, 0u) << "exit code of the second setup.exe";
    EXPECT_LT(took, kSecondLimitMs);
  }

};

TEST_P(SingleInstanceE2E, SecondStartEndsQuietlyAndTheFirstInstallsAsAlone) {
  const SecondStart& row = GetParam();
  ASSERT_TRUE(setup().start(setupDir())) << setup().error();
  HWND main = nullptr;
  {
    std::optional<Freeze> frozen;
    std::optional<CoverWindow> cover;
    if (row.moment == Moment::kStarting) {
      // Polled without a pause: the start-up from the mutex to the shown
      // window is short.
      ULONGLONG end = GetTickCount64() + kStepTimeoutMs;
      HANDLE mutex = nullptr;
      while (!(mutex = OpenMutexW(SYNCHRONIZE, FALSE, kSetupMutex)) && setup().running() &&
             GetTickCount64() < end) {
        Sleep(0);
      }
      ASSERT_NE(mutex, nullptr) << "the first setup.exe made no mutex";
      frozen.emplace(setup().pid());
      CloseHandle(mutex);
      ASSERT_TRUE(frozen->holds());
      ASSERT_TRUE(visibleWindowsOf(setup().pid()).empty())
          << "the first setup.exe showed its window before it could be frozen";
    } else {
      main = setup().waitMainWindow();
      ASSERT_NE(main, nullptr) << setup().error();
      if (row.minimized) {
        ShowWindowAsync(main, SW_MINIMIZE);
        ASSERT_TRUE(waitUntil([&] { return IsIconic(main) != 0; })) << "cannot minimize";
      }
    }
    if (row.moment == Moment::kInstalling) {
      // The Start handler hides the Start button first and answers nothing
      // more until the closing box.
      HWND startButton = control(main, kStartButton);
      clickButton(main, kStartButton);
      ULONGLONG end = GetTickCount64() + kStepTimeoutMs;
      while (IsWindowVisible(startButton) && GetTickCount64() < end) Sleep(0);
      frozen.emplace(setup().pid());
      ASSERT_TRUE(frozen->holds());
      ASSERT_FALSE(IsWindowVisible(startButton)) << "the installation did not begin";
      ASSERT_TRUE(setup().messageBoxes().empty()) << "the installation ended before the freeze";
    }
    if (main && !row.minimized) {
      cover.emplace();
      ASSERT_NE(cover->get(), nullptr);
      SetForegroundWindow(cover->get());
      ASSERT_EQ(GetForegroundWindow(), cover->get()) << "the cover window is not in front";
    }

    ASSERT_NO_FATAL_FAILURE(runSecondAndExpectQuietExit());

    if (!main) {
      EXPECT_TRUE(visibleWindowsOf(setup().pid()).empty())
          << "the window of a starting setup was shown by the second start";
    } else if (!(frozen && row.minimized)) {
      EXPECT_TRUE(waitUntil([&] { return GetForegroundWindow() == main && !IsIconic(main); },
                            2000))
          << "the running setup's window was not brought to the front";
    }
  }  // the first setup.exe goes on

  if (row.moment != Moment::kInstalling) {
    main = setup().waitMainWindow();
    ASSERT_NE(main, nullptr) << setup().error();
    clickButton(main, kStartButton);
  }
  std::optional<BoxInfo> box = setup().waitMessageBox(120000);
  ASSERT_TRUE(box.has_value()) << setup().error();
  EXPECT_EQ(utf8(box->caption), "Dictionary Setup");
  // A busy installer restores itself once it takes messages again: here,
  // under its closing box.
  EXPECT_FALSE(IsIconic(main)) << "the minimized window was not restored";
  EXPECT_EQ(digestList(snapshotTree(installDir_)),
            recordedSampleDigests())
      << "installed files differ from tests/e2e/sample_install.sha256";
  setup().pressOk(*box);
  expectExit(0);
}

// Another program's window of the same plain class name, while the setup
// mutex is taken: the second setup.exe ends quietly and leaves that window
// as it is (still minimized).
TEST_F(SingleInstanceE2E, AnotherProgramsInstallationWindowIsLeftAlone) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"Installation";
  RegisterClassW(&wc);
  HWND foreign = CreateWindowExW(0, L"Installation", L"another program", WS_POPUP, 60, 60, 200,
                                 100, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(foreign, nullptr);
  ShowWindow(foreign, SW_SHOWMINNOACTIVE);
  ASSERT_TRUE(IsIconic(foreign) && IsWindowVisible(foreign));
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kSetupMutex);
  ASSERT_NE(mutex, nullptr);

  ASSERT_NO_FATAL_FAILURE(runSecondAndExpectQuietExit());
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_TRUE(IsIconic(foreign)) << "another program's window was restored";
  CloseHandle(mutex);
  DestroyWindow(foreign);
}

INSTANTIATE_TEST_SUITE_P(Moments, SingleInstanceE2E, ::testing::ValuesIn(kSecondStarts),
                         [](const ::testing::TestParamInfo<SecondStart>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace e2e
