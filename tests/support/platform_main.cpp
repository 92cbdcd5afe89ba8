// The entry point of the platform layer's test program, which has no
// InstallState and no fatal exits to catch.
#include "support/test_support.h"

int main(int argc, char** argv) { return testing_support::runTests(argc, argv, nullptr); }
