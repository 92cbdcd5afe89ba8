#include "support/watchdog.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#ifdef _WIN32
// mingw-w64's win32 thread model (the one the shipped programs use) has no
// std::thread: the watcher is a plain Win32 thread waiting on an event.
#include <windows.h>
#else
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace testing_support {

namespace {
[[noreturn]] void reportHang(const std::string& row, double seconds) {
  std::fprintf(stderr, "\nHANG: row \"%s\" still running after %.0f s\n", row.c_str(), seconds);
  std::fflush(stderr);
  std::_Exit(3);
}
}  // namespace

#ifdef _WIN32
struct Watchdog::Impl {
  std::string row;
  double seconds;
  HANDLE done = nullptr;
  HANDLE thread = nullptr;

  static DWORD WINAPI watch(void* param) {
    auto* self = static_cast<Impl*>(param);
    DWORD limit = static_cast<DWORD>(self->seconds * 1000);
    if (WaitForSingleObject(self->done, limit) == WAIT_TIMEOUT) reportHang(self->row, self->seconds);
    return 0;
  }
};

Watchdog::Watchdog(std::string row, double seconds) : impl_(new Impl(std::move(row), seconds)) {
  impl_->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (impl_->done) impl_->thread = CreateThread(nullptr, 0, &Impl::watch, impl_.get(), 0, nullptr);
}

Watchdog::~Watchdog() {
  if (impl_->thread) {
    SetEvent(impl_->done);
    WaitForSingleObject(impl_->thread, INFINITE);
    CloseHandle(impl_->thread);
  }
  if (impl_->done) CloseHandle(impl_->done);
}
#else
struct Watchdog::Impl {
  Impl(std::string r, double s) : row(std::move(r)), seconds(s) {}
  std::string row;
  double seconds;
  std::mutex mutex;
  std::condition_variable wake;
  bool finished = false;
  std::thread thread;
};

Watchdog::Watchdog(std::string row, double seconds) : impl_(new Impl(std::move(row), seconds)) {
  impl_->thread = std::thread([impl = impl_.get()] {
    std::unique_lock<std::mutex> lock(impl->mutex);
    auto limit = std::chrono::duration<double>(impl->seconds);
    if (!impl->wake.wait_for(lock, limit, [impl] { return impl->finished; })) {
      reportHang(impl->row, impl->seconds);
    }
  });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->finished = true;
  }
  impl_->wake.notify_all();
  impl_->thread.join();
}
#endif

}  // namespace testing_support
