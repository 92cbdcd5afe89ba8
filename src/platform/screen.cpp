#include "platform/screen.h"

namespace platform {
namespace {
Screen nullScreen;
Screen* current = &nullScreen;
}  // namespace

Screen& screen() { return *current; }
void setScreen(Screen* s) { current = s ? s : &nullScreen; }

}  // namespace platform
