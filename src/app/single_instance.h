// One setup at a time in a logon session. The first process holds a named
// mutex for as long as it lives; a later one finds the name taken, brings
// the running setup's window to the front and ends without showing anything.
#pragma once

#include <windows.h>

// The setup's mutex. "Local\" is the logon session's namespace: the running
// window can only be brought forward in its own session anyway, and a setup
// left open in a disconnected terminal-server session must not keep every
// other session from installing without a word.
inline constexpr wchar_t kSetupMutexName[] =
    L"Local\\DictionarySetup.OneInstance.384bb393-6541-4e1e-8c83-ed83a79b066d";

// Creates (or opens) the named mutex and keeps its handle until destruction.
class InstanceLock {
 public:
  explicit InstanceLock(const wchar_t* name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when another process had created the name first. A name that
  // exists but may not be opened (an owner with higher integrity or another
  // account) counts as taken. Any other failure to create it counts as free:
  // a setup that cannot make its mutex still installs, as it always did.
  bool heldElsewhere() const { return heldElsewhere_; }

 private:
  HANDLE handle_ = nullptr;
  bool heldElsewhere_ = false;
};

// Brings the visible main window of the setup that is running (class
// "Installation", in a process that runs the same program file as this one)
// to the front, restoring it first when it is minimized. A window of that
// class that belongs to another program is left alone.
// Does nothing when there is none yet (still starting) or no longer (ending).
// Never waits on that window's thread, which is busy while it installs.
void bringRunningSetupToFront();
