// The installation sequence without its window: accepting the directory,
// the steps after the install pass, the closing text. The window's part
// (controls, fonts, repainting, the closing box) is app/sequence.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Accepts the text in installDir (an existing directory, or one created one
// level deep) and holds it (installFolder): 0; otherwise, or when it cannot
// be held, shows "Invalid Directory" and returns -1.
int acceptInstallDir();

// The steps after the install pass, in this order: the directory as the user
// typed it (the first `typedLength` characters of installDir, without the
// backslash the install pass added) becomes the current directory and
// `entered` is called (the window repaints there); the word lists when the
// script asked for them; the language section of dict.ini sorted when it
// holds more than one entry; the shortcut step; setupDir the current
// directory again, and installFolder let go.
void runInstallSteps(std::size_t typedLength, void (*entered)());

// The closing box shows at most this many characters of the file's text.
constexpr std::size_t kClosingTextLimit = 4999;

// The text of the closing-text file `fileName` (relative names are found in
// the current directory): its bytes up to the first zero byte in `codePage`,
// cut to kClosingTextLimit characters, never inside a surrogate pair. Empty
// when there is no name, no readable file or no text: the box then shows
// Install_Finished.
std::u16string readClosingText(std::u16string_view fileName, uint32_t codePage);
