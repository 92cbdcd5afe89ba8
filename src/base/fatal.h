// Fatal exits.
//
// raiseFatal is the one way a failed installation ends: arrow cursor, a
// message box owned by the main window captioned "Error" with the error
// icon, exit code 1. The strings loader has its own box (no owner, caption
// "Dictionary", warning icon), also with exit code 1.
#pragma once

#include <string_view>

[[noreturn]] void raiseFatal(std::u16string_view message);

// The strings loader's failure box; the narrow form shows 8-bit text.
[[noreturn]] void stringsLoaderFailure(std::u16string_view message);
[[noreturn]] void stringsLoaderFailureNarrow(const char* message);

// Test seam: a hook sees every fatal exit before the box would be shown.
// A hook that throws keeps the process alive; one that returns lets the
// normal exit go ahead.
enum class FatalKind { Error, StringsLoader };
using FatalHook = void (*)(FatalKind kind, std::u16string_view message);
void setFatalHook(FatalHook hook);
