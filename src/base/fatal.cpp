#include "base/fatal.h"

#include <string>

#include "base/state.h"
#include "platform/ui.h"
#include "platform/utf8.h"

namespace {
FatalHook fatalHook = nullptr;
}

void setFatalHook(FatalHook hook) { fatalHook = hook; }

void raiseFatal(std::u16string_view message) {
  if (fatalHook) fatalHook(FatalKind::Error, message);
  platform::showArrowCursor();
  platform::messageBox(state.mainWindow, message, u"Error", platform::BoxIcon::Error);
  platform::exitProcess(1);
}

void stringsLoaderFailure(std::u16string_view message) {
  if (fatalHook) fatalHook(FatalKind::StringsLoader, message);
  platform::messageBox(nullptr, message, u"Dictionary", platform::BoxIcon::Warning);
  platform::exitProcess(1);
}

void stringsLoaderFailureNarrow(const char* message) {
  if (fatalHook) fatalHook(FatalKind::StringsLoader, platform::widenBytes(message));
  platform::messageBoxNarrow(nullptr, message, "Dictionary", platform::BoxIcon::Warning);
  platform::exitProcess(1);
}
