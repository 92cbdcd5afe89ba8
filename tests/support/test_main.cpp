// The entry point of every test program from base/ up: a fatal exit becomes
// a FatalExit exception, and each test starts with a fresh InstallState.
#include "base/fatal.h"
#include "base/state.h"
#include "support/test_support.h"

namespace {
void throwOnFatal(FatalKind kind, std::u16string_view message) {
  throw testing_support::FatalExit{kind, std::u16string(message)};
}
}  // namespace

int main(int argc, char** argv) {
  setFatalHook(throwOnFatal);
  return testing_support::runTests(argc, argv, resetInstallState);
}
