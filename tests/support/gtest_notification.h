// GoogleTest's Notification (used by its thread helper) is written with
// std::mutex, which mingw-w64's win32 thread model lacks. This one waits on a
// Win32 event instead; the build includes this header before GoogleTest's
// own and defines GTEST_HAS_NOTIFICATION_ so that GoogleTest takes it.
#pragma once

namespace testing::internal {

class Notification {
 public:
  Notification();
  ~Notification();
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify();
  void WaitForNotification();

 private:
  void* event_;
};

}  // namespace testing::internal
