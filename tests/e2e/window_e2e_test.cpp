// The main window as the user sees and handles it: the painted screen, the
// controls in their places, the directory chooser, and Start/Enter/Stop.
#include "e2e/e2e_fixture.h"

#include <iterator>

namespace e2e {
namespace {

class WindowE2E : public SetupE2E {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SetupE2E::SetUp());
    ASSERT_NO_FATAL_FAILURE(writeSetupFolder(standardScript()));
  }

  // The screen once the window's painting has reached it: the first scan
  // line at the right edge is in the gradient's first colour and the title
  // has been drawn.
  Image paintedScreen() {
    Image image;
    waitUntil([&] {
      image = captureScreen();
      return image.width > 1000 && image.at(image.width - 1, 0) == Rgb{0, 0, 200} &&
             titlePixels(image, {230, 230, 230}) > 100;
    });
    return image;
  }

  static int titlePixels(const Image& image, Rgb colour) {
    int count = 0;
    for (int y = 20; y < 90 && y < image.height; ++y) {
      for (int x = 30; x < 800 && x < image.width; ++x) {
        if (image.at(x, y) == colour) ++count;
      }
    }
    return count;
  }

  // Waits until dirEdit shows `expected` (compared ignoring case).
  void expectDirEdit(HWND main, const std::wstring& expected) {
    HWND edit = control(main, kDirEdit);
    std::wstring shown;
    bool ok = waitUntil([&] { return equalsIgnoringCase(shown = readText(edit), expected); }, 5000);
    EXPECT_TRUE(ok) << "dirEdit shows \"" << utf8(shown) << "\", expected \"" << utf8(expected)
                    << "\"";
  }

  HWND openChooser() {
    HWND main = startToMainWindow();
    if (!main) return nullptr;
    clickButton(main, kChdirButton);
    bool open = waitUntil([&] { return isVisible(control(main, kDirList)); });
    EXPECT_TRUE(open) << "the directory list did not appear after the change-directory click";
    return open ? main : nullptr;
  }
};

bool contains(const std::vector<std::wstring>& items, const std::wstring& item) {
  for (const std::wstring& s : items) {
    if (equalsIgnoringCase(s, item)) return true;
  }
  return false;
}

std::string joined(const std::vector<std::wstring>& items) {
  std::string out;
  for (const std::wstring& s : items) out += (out.empty() ? "" : ", ") + utf8(s);
  return "{" + out + "}";
}

// ---- The painted screen ------------------------------------------------------

TEST_F(WindowE2E, StartScreenShowsGradientAndTitle) {
  ASSERT_GE(screenDepth(), 24) << "this test needs a 24- or 32-bit display";
  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  Image screen = paintedScreen();
  ASSERT_EQ(screen.width, 1024);
  ASSERT_EQ(screen.height, 768);
  saveScreenshot(L"start-screen");

  // Scan lines away from the title and the controls.
  struct Line {
    int y;
    Rgb colour;
  } lines[] = {{0, {0, 0, 200}}, {384, {0, 0, 107}}, {767, {0, 0, 14}}};
  for (const Line& line : lines) {
    for (int x : {0, 600, 900, 1023}) {
      EXPECT_EQ(describe(screen.at(x, line.y)), describe(line.colour))
          << "pixel " << x << "," << line.y;
    }
  }

  // The title: light text with a black shadow inside 30,20-800,90.
  EXPECT_GT(titlePixels(screen, {230, 230, 230}), 100) << "pixels of the title's colour";
  EXPECT_GT(titlePixels(screen, {0, 0, 0}), 20) << "pixels of the title's black shadow";

  clickButton(main, kStopButton);
  expectExit(0);
}

// ---- Controls ------------------------------------------------------------------

struct Placement {
  const char* name;
  int id;
  int x, y, width, height;
  bool visible;
};

const Placement kStartPlacements[] = {
    {"frameBox", kFrameBox, 110, 138, 440, 110, true},
    {"dirEdit", kDirEdit, 120, 170, 420, 25, true},
    {"driveList", kDriveList, 120, 280, 150, 100, false},
    {"dirList", kDirList, 280, 280, 260, 180, false},
    {"startButton", kStartButton, 120, 205, 100, 30, true},
    {"stopButton", kStopButton, 440, 205, 100, 30, true},
    {"chdirButton", kChdirButton, 230, 205, 200, 30, true},
    {"instDirLabel", kInstDirLabel, 120, 148, 420, 22, true},
    {"driveLabel", kDriveLabel, 120, 260, 150, 20, false},
    {"dirLabel", kDirLabel, 280, 260, 260, 20, false},
};

void expectPlacements(HWND main, const Placement* rows, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const Placement& row = rows[i];
    HWND window = control(main, row.id);
    ASSERT_NE(window, nullptr) << row.name << " (id " << row.id << ") does not exist";
    RECT r = rectIn(window, main);
    EXPECT_EQ(r.left, row.x) << row.name << " left";
    EXPECT_EQ(r.top, row.y) << row.name << " top";
    EXPECT_EQ(r.right - r.left, row.width) << row.name << " width";
    int height = r.bottom - r.top;
    if (row.id == kDriveList || row.id == kDirList) {
      // Without LBS_NOINTEGRALHEIGHT the system trims a list box to whole
      // lines, so it may come out shorter by less than one line.
      DWORD_PTR line = 0;
      SendMessageTimeoutW(window, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 2000, &line);
      EXPECT_LE(height, row.height) << row.name << " height";
      EXPECT_GT(height, row.height - static_cast<int>(line))
          << row.name << " height, line " << line;
    } else {
      EXPECT_EQ(height, row.height) << row.name << " height";
    }
    EXPECT_EQ(isVisible(window), row.visible) << row.name << " visibility";
  }
}

TEST_F(WindowE2E, ControlsSitAtTheirPlaces) {
  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  expectPlacements(main, kStartPlacements, std::size(kStartPlacements));
  EXPECT_TRUE(isEnabled(control(main, kChdirButton)));
  clickButton(main, kStopButton);
  expectExit(0);
}

// ---- The directory chooser -------------------------------------------------------

TEST_F(WindowE2E, ChangeDirectoryOpensTheChooserAtDriveC) {
  HWND main = openChooser();
  ASSERT_NE(main, nullptr);
  expectDirEdit(main, L"c:\\");
  EXPECT_EQ(readText(control(main, kDirEdit)), L"c:\\") << "as the system reports it";

  Placement chooser[] = {
      {"frameBox", kFrameBox, 110, 138, 440, 320, true},
      {"driveList", kDriveList, 120, 280, 150, 100, true},
      {"dirList", kDirList, 280, 280, 260, 180, true},
      {"driveLabel", kDriveLabel, 120, 260, 150, 20, true},
      {"dirLabel", kDirLabel, 280, 260, 260, 20, true},
      {"startButton", kStartButton, 120, 205, 100, 30, true},
      {"stopButton", kStopButton, 440, 205, 100, 30, true},
      {"chdirButton", kChdirButton, 230, 205, 200, 30, true},
  };
  expectPlacements(main, chooser, std::size(chooser));
  EXPECT_FALSE(isEnabled(control(main, kChdirButton))) << "the button works only once";

  std::vector<std::wstring> drives = listItems(control(main, kDriveList));
  EXPECT_TRUE(contains(drives, L"c:\\")) << joined(drives);
  EXPECT_TRUE(contains(drives, L"z:\\")) << joined(drives);
  std::vector<std::wstring> dirs = listItems(control(main, kDirList));
  EXPECT_TRUE(contains(dirs, L"windows")) << joined(dirs);
  EXPECT_TRUE(contains(dirs, L"users")) << joined(dirs);
  EXPECT_FALSE(contains(dirs, L".")) << "a drive root has no . entry: " << joined(dirs);
  EXPECT_FALSE(contains(dirs, L"..")) << "a drive root has no .. entry: " << joined(dirs);
  saveScreenshot(L"chooser-open");

  clickButton(main, kStopButton);
  expectExit(0);
}

TEST_F(WindowE2E, DirectoryListWalksDownAndUpAndHidesWhatItShould) {
  // nav holds a plain folder, a hidden folder and a file.
  std::wstring nav = work() / L"nav";
  ASSERT_TRUE(CreateDirectoryW(nav.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((nav + L"\\visible").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((nav + L"\\secret").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesW((nav + L"\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(writeFile(nav + L"\\file.txt", "not a folder"));
  ASSERT_TRUE(equalsIgnoringCase(nav.substr(0, 3), L"c:\\")) << utf8(nav);

  HWND main = openChooser();
  ASSERT_NE(main, nullptr);
  HWND dirList = control(main, kDirList);

  // Down from c:\ one folder at a time, along the path of nav.
  std::wstring current = L"c:";
  std::wstring rest = nav.substr(3);
  while (!rest.empty()) {
    size_t cut = rest.find(L'\\');
    std::wstring name = rest.substr(0, cut);
    rest = cut == std::wstring::npos ? L"" : rest.substr(cut + 1);
    SCOPED_TRACE("entering " + utf8(name) + " from " + utf8(current));
    std::vector<std::wstring> before = listItems(dirList);
    ASSERT_TRUE(chooseListItem(main, kDirList, name)) << "not listed: " << joined(before);
    current += L"\\" + name;
    ASSERT_NO_FATAL_FAILURE(expectDirEdit(main, current));
    std::vector<std::wstring> after;
    waitUntil([&] { return contains(after = listItems(dirList), L".."); }, 5000);
    EXPECT_TRUE(contains(after, L"..")) << joined(after);
    EXPECT_FALSE(contains(after, L".")) << "no . after a directory choice: " << joined(after);
  }
  std::vector<std::wstring> inNav = listItems(dirList);
  EXPECT_EQ(joined(inNav), "{.., visible}") << "no hidden folder, no file";

  // Up again: the work folder's own folders, with .. and without .
  ASSERT_TRUE(chooseListItem(main, kDirList, L".."));
  ASSERT_NO_FATAL_FAILURE(expectDirEdit(main, work().path()));
  std::vector<std::wstring> inWork;
  waitUntil([&] { return contains(inWork = listItems(dirList), L"nav"); }, 5000);
  EXPECT_EQ(joined(inWork), "{.., nav, proposed, setup}");

  clickButton(main, kStopButton);
  expectExit(0);
}

TEST_F(WindowE2E, DriveChoiceMovesToThatDriveAndBack) {
  HWND main = openChooser();
  ASSERT_NE(main, nullptr);
  HWND dirList = control(main, kDirList);

  ASSERT_TRUE(chooseListItem(main, kDriveList, L"z:\\"));
  ASSERT_NO_FATAL_FAILURE(expectDirEdit(main, L"z:\\"));
  std::vector<std::wstring> root;
  waitUntil([&] { return contains(root = listItems(dirList), L"tmp"); }, 5000);
  EXPECT_TRUE(contains(root, L"tmp")) << joined(root);
  EXPECT_TRUE(contains(root, L"usr")) << joined(root);
  EXPECT_FALSE(contains(root, L".")) << joined(root);
  EXPECT_FALSE(contains(root, L"..")) << joined(root);

  ASSERT_TRUE(chooseListItem(main, kDriveList, L"c:\\"));
  ASSERT_NO_FATAL_FAILURE(expectDirEdit(main, L"c:\\"));
  std::vector<std::wstring> back;
  waitUntil([&] { return contains(back = listItems(dirList), L"windows"); }, 5000);
  EXPECT_TRUE(contains(back, L"windows")) << joined(back);
  EXPECT_FALSE(contains(back, L"tmp")) << "the list was emptied first: " << joined(back);

  clickButton(main, kStopButton);
  expectExit(0);
}

// ---- Start, Enter, refusal -------------------------------------------------------

TEST_F(WindowE2E, DirectoryWithMissingParentIsRefusedAndTheWindowStaysUsable) {
  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  std::wstring refused = work() / L"missing\\deeper";
  ASSERT_TRUE(setText(control(main, kDirEdit), refused));
  clickButton(main, kStartButton);
  ASSERT_NO_FATAL_FAILURE(expectBoxAndPressOk(L"Invalid Directory", L"Error"));

  EXPECT_FALSE(directoryExists(work() / L"missing")) << "nothing is created";
  EXPECT_TRUE(isVisible(main));
  expectPlacements(main, kStartPlacements, std::size(kStartPlacements));
  EXPECT_EQ(utf8(readText(control(main, kDirEdit))), utf8(refused)) << "the typed text stays";

  // Corrected, the same window goes on to install.
  std::wstring target = work() / L"target";
  ASSERT_TRUE(setText(control(main, kDirEdit), target));
  clickButton(main, kStartButton);
  ASSERT_NO_FATAL_FAILURE(expectBoxAndPressOk(L"Installation finished.", L"Installation"));
  EXPECT_TRUE(directoryExists(target));
  expectExit(0);
}

struct StartWay {
  const char* name;
  bool enter;        // Enter in dirEdit instead of the Start button
  bool targetExists;
};

class StartE2E : public WindowE2E, public ::testing::WithParamInterface<StartWay> {};

TEST_P(StartE2E, RunsTheInstallationToItsClosingBox) {
  const StartWay& way = GetParam();
  std::wstring target = work() / L"target";
  if (way.targetExists) {
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
  }
  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  HWND edit = control(main, kDirEdit);
  ASSERT_TRUE(setText(edit, target));
  if (way.enter) {
    pressEnter(edit);
  } else {
    clickButton(main, kStartButton);
  }

  std::optional<BoxInfo> box = setup().waitMessageBox();
  ASSERT_TRUE(box.has_value()) << setup().error();
  EXPECT_EQ(utf8(box->text), "Installation finished.");
  EXPECT_EQ(utf8(box->caption), "Installation");
  EXPECT_TRUE(directoryExists(target)) << "the typed directory is used";
  // Behind the closing box only the background and the title remain.
  for (int id : {kFrameBox, kDirEdit, kStartButton, kStopButton, kChdirButton, kInstDirLabel}) {
    EXPECT_FALSE(isVisible(control(main, id))) << "control " << id << " still visible";
  }
  EXPECT_EQ(describeChanges({}, snapshotTree(target)), "") << "an empty script installs nothing";
  setup().pressOk(*box);
  expectExit(0);
}

const StartWay kStartWays[] = {
    {"StartButtonNewDirectory", false, false},
    {"EnterKeyNewDirectory", true, false},
    {"StartButtonExistingDirectory", false, true},
    {"EnterKeyExistingDirectory", true, true},
};

INSTANTIATE_TEST_SUITE_P(Window, StartE2E, ::testing::ValuesIn(kStartWays),
                         [](const ::testing::TestParamInfo<StartWay>& info) {
                           return std::string(info.param.name);
                         });

// ---- A 16-bit display (run by the e2e_depth16 test on a display of its own) ----

class Depth16 : public WindowE2E {};

TEST_F(Depth16, BackgroundIsOneFlatColour) {
  ASSERT_EQ(screenDepth(), 16) << "run on a 16-bit display: ctest -R e2e_depth16";
  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  // (0,0,104) as a 16-bit display holds it: 5 bits of blue.
  Image screen;
  bool painted = waitUntil([&] {
    screen = captureScreen();
    Rgb c = screen.width > 0 ? screen.at(screen.width - 1, 0) : Rgb{};
    return c.r == 0 && c.g == 0 && (c.b >> 3) == (104 >> 3);
  });
  EXPECT_TRUE(painted) << "top right pixel " << describe(screen.at(screen.width - 1, 0));
  saveScreenshot(L"start-screen-16bit");
  Rgb first = screen.at(1023, 0);
  for (int y : {0, 100, 384, 600, 767}) {
    for (int x : {0, 900, 1023}) {
      EXPECT_EQ(describe(screen.at(x, y)), describe(first)) << "pixel " << x << "," << y;
    }
  }
  clickButton(main, kStopButton);
  expectExit(0);
}

}  // namespace
}  // namespace e2e
