// Shared set-up of the install script tests: a scratch folder holding a
// distribution folder "setup" (setupDir) and an installation folder "inst".
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/state.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "platform/screen.h"
#include "support/test_support.h"

namespace script_test {

using testing_support::u16;
using testing_support::u8;

// Records the copy destinations that the install pass shows.
class DestinationScreen : public platform::Screen {
 public:
  std::vector<std::string> shown;
  void showDestination(std::u16string_view path) override { shown.push_back(u8(path)); }
};

class ScriptTest : public ::testing::Test {
 protected:
  testing_support::ScratchDir scratch;

  void SetUp() override {
    scratch.mkdir(u"setup");
    scratch.mkdir(u"inst");
    state.setupDir.assign(at(u"setup"));
    state.installDir.assign(at(u"inst"));
  }

  // Full path of a name under the scratch folder.
  std::u16string at(std::u16string_view name) const {
    return scratch.path() + u"\\" + std::u16string(name);
  }
  void writeScript(std::string_view text) const { scratch.write(u"setup\\install.inf", text); }

  // The value of a key in section "Dictionary" of a profile file; "<none>"
  // when the key is missing.
  static std::string profileValue(std::u16string_view key, std::u16string_view file) {
    char16_t buffer[300];
    platform::profileString(u"Dictionary", key, u"<none>", buffer, 300, file);
    return u8(buffer);
  }

  static std::string currentDir() {
    char16_t buffer[kPathCapacity];
    platform::currentDirectory(buffer, kPathCapacity);
    return u8(buffer);
  }
};

}  // namespace script_test
