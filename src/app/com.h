// COM on the calling thread for the life of an object.
#pragma once

#include <objbase.h>

namespace com {

// CoInitialize at construction, CoUninitialize at the end when it succeeded
// (S_OK, or S_FALSE when the thread had it already: both count). A failure
// is kept: nothing is undone, and what needs COM fails on its own.
class Apartment {
 public:
  Apartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~Apartment() {
    if (initialised_) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;

  bool initialised() const { return initialised_; }

 private:
  bool initialised_;
};

}  // namespace com
