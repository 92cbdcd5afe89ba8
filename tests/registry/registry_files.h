// Helpers of the dict.ini tests: the file in a scratch directory, written
// and read in text mode, and the skeleton of a new one.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/test_support.h"

namespace registry_test {

using testing_support::crlf;
using testing_support::kEofMarker;
using testing_support::lf;

class RegistryFiles : public ::testing::Test {
 protected:
  void writeRegistry(std::string_view text) { dir.write(u"dict.ini", crlf(text)); }
  std::string registry() const { return lf(dir.read(u"dict.ini")); }

  testing_support::ScratchDir dir;
};

// The skeleton of a new dict.ini whose first list is "first.lst", with the
// first line "; dictionary registry" and the Addnew line "count=0".
inline std::string skeleton(std::string_view header = "[Language]") {
  return "; dictionary registry\n\n[Addnew]\ncount=0\n\n[Selected]\nfirst.lst\n\n" +
         std::string(header) + "\n\n\n" + kEofMarker;
}

}  // namespace registry_test
