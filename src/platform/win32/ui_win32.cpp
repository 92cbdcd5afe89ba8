#include <windows.h>

#include <string>

#include "platform/ui.h"
#include "platform/utf8.h"
#include "platform/win32/wide.h"

using platform::win32::wide;

namespace platform {
namespace {
MessageBoxHook boxHook = nullptr;

UINT iconFlags(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error: return MB_ICONERROR;
    case BoxIcon::Warning: return MB_ICONWARNING;
    case BoxIcon::None: break;
  }
  return 0;
}
}  // namespace

void setMessageBoxHook(MessageBoxHook hook) { boxHook = hook; }

void messageBox(void* owner, std::u16string_view text, std::u16string_view caption, BoxIcon icon) {
  if (boxHook) {
    boxHook(text, caption, icon);
    return;
  }
  MessageBoxW(static_cast<HWND>(owner), wide(text).c_str(), wide(caption).c_str(),
              MB_OK | iconFlags(icon));
}

void messageBoxNarrow(void* owner, const char* text, const char* caption, BoxIcon icon) {
  if (boxHook) {
    boxHook(widenBytes(text), widenBytes(caption), icon);
    return;
  }
  MessageBoxA(static_cast<HWND>(owner), text, caption, MB_OK | iconFlags(icon));
}

void showArrowCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }

void exitProcess(int code) { ExitProcess(static_cast<UINT>(code)); }

}  // namespace platform
