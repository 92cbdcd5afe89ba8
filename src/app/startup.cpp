#include "app/startup.h"

#include <windows.h>

#include "app/state.h"

int runSetup(void* instance, int showMode) {
  state.instance = instance;
  state.showMode = showMode;
  return 0;
}
