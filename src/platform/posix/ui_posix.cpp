// Message boxes on a POSIX host go to the test hook or to standard error.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/posix/host_path.h"
#include "platform/ui.h"
#include "platform/utf8.h"

namespace platform {
namespace {
MessageBoxHook boxHook = nullptr;

const char* iconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error: return "error";
    case BoxIcon::Warning: return "warning";
    case BoxIcon::None: break;
  }
  return "message";
}
}  // namespace

void setMessageBoxHook(MessageBoxHook hook) { boxHook = hook; }

void messageBox(void*, std::u16string_view text, std::u16string_view caption, BoxIcon icon) {
  if (boxHook) {
    boxHook(text, caption, icon);
    return;
  }
  std::string t = posix::utf8(text).value_or("?"), c = posix::utf8(caption).value_or("?");
  std::fprintf(stderr, "[%s] %s: %s\n", iconName(icon), c.c_str(), t.c_str());
}

void messageBoxNarrow(void* owner, const char* text, const char* caption, BoxIcon icon) {
  messageBox(owner, widenBytes(text), widenBytes(caption), icon);
}

void showArrowCursor() {}

void exitProcess(int code) {
  std::fflush(stderr);
  _exit(code);
}

}  // namespace platform
