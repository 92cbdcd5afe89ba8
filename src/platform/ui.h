// The few user-interface services that the portable code needs: message
// boxes, the arrow cursor and ending the process.
#pragma once

#include <string_view>

namespace platform {

enum class BoxIcon { None, Error, Warning };

// Shows a modal message box with an OK button and returns when it is closed.
// `owner` is a window handle or nullptr for none.
void messageBox(void* owner, std::u16string_view text, std::u16string_view caption, BoxIcon icon);
// The same with 8-bit text and caption (MessageBoxA).
void messageBoxNarrow(void* owner, const char* text, const char* caption, BoxIcon icon);

// Shows the system's standard arrow cursor.
void showArrowCursor();

// Ends the process at once with `code`.
[[noreturn]] void exitProcess(int code);

// Test seam: while a hook is set, message boxes go to it instead of the
// screen (8-bit texts are widened byte by byte).
using MessageBoxHook = void (*)(std::u16string_view text, std::u16string_view caption,
                                BoxIcon icon);
void setMessageBoxHook(MessageBoxHook hook);

}  // namespace platform
