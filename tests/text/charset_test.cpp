#include <gtest/gtest.h>

#include "text/charset.h"

TEST(CharsetToCodePage, FixedTable) {
  EXPECT_EQ(charsetToCodePage(0), 1252u);
}
