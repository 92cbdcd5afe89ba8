// The common frame of the end-to-end tests: a work folder with a setup
// folder and a proposed installation folder, the program under test, and
// the clean-up of what a run leaves in the Wine prefix (win.ini's
// "Dictionary" section, new Start-menu entries).
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "e2e/driver.h"

namespace e2e {

// Control identifiers of the main window.
enum ControlId : int {
  kFrameBox = 249,
  kDirEdit = 350,
  kDriveList = 300,
  kDirList = 301,
  kStartButton = 200,
  kStopButton = 201,
  kChdirButton = 202,
  kInstDirLabel = 250,
  kDriveLabel = 251,
  kDirLabel = 252,
};

class SetupE2E : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The title line of the standard script.
  static constexpr const char* kTitle = "Vocabulary Trainer E2E";

  // title and dir lines: the proposed directory is proposedDir().
  std::string standardScript() const;
  // Writes install.inf (unless empty), language.in_ and english.str.
  void writeSetupFolder(const std::string& installInf);

  // Starts setup.exe in the setup folder and waits for its main window;
  // null (with a test failure naming what came up instead) otherwise.
  HWND startToMainWindow();
  // Waits for the exit and checks the code.
  void expectExit(DWORD expected);
  // Waits for a message box, checks text and caption, presses OK.
  void expectBoxAndPressOk(const std::wstring& text, const std::wstring& caption);
  // Saves the screen as ARTIFACTS\name.png.
  void saveScreenshot(const std::wstring& name);

  const std::wstring& setupDir() const { return setupDir_; }
  const std::wstring& proposedDir() const { return proposedDir_; }
  TempFolder& work() { return work_; }
  SetupProcess& setup() { return setup_; }

 private:
  TempFolder work_;
  std::wstring setupDir_, proposedDir_;
  SetupProcess setup_;
  std::wstring programsDir_;
  std::set<std::wstring> programsBefore_;
};

// The bundled sample distribution copied into the setup folder; the folder
// its script proposes (installDir_) is removed before and after each test, as
// a run that was cut short may have left it behind.
class SampleSetupE2E : public SetupE2E {
 protected:
  void SetUp() override;
  void TearDown() override;
  // One whole installation: Start on the proposed folder, the closing box
  // (caption "Dictionary Setup") answered with OK, exit code 0.
  void installToTheEnd();
  std::wstring installDir_;
};

// win.ini's "Dictionary" section as "key=value" lines (empty when none).
std::wstring winIniDictionary();

// The Start menu's "Programs" folder of all users, where setup makes its
// group (empty when Windows does not name one).
std::wstring programsFolder();

}  // namespace e2e
