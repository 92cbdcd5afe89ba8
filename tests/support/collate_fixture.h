// Collation tests start and end with the runtime's "C" collation, no sort
// table and no collation setter.
#pragma once

#include <gtest/gtest.h>

#include "platform/collate.h"
#include "text/collate.h"

namespace testing_support {

class CollateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetSortTable();
    platform::setRuntimeCollation(u"C");
  }
  void TearDown() override {
    setCollationSetter(nullptr);
    resetSortTable();
    platform::setRuntimeCollation(u"C");
  }
};

}  // namespace testing_support
