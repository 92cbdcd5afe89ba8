// SHA-256 against published test vectors, the length in one block and two.
#include "text/sha256.h"

#include <gtest/gtest.h>

TEST(Sha256, PublishedVectors) {
  const std::pair<std::string, const char*> rows[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [bytes, digest] : rows) EXPECT_EQ(sha256Hex(bytes), digest) << bytes.size();
}
