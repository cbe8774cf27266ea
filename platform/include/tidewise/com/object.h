#pragma once
// Reference-counted objects whose QueryInterface comes from their list of
// interfaces. The first interface listed is the object's identity.

#include <atomic>
#include <cstdint>
#include <utility>

#include "tidewise/com/unknown.h"

namespace tw::com {

// Live objects and server locks of one library, for DllCanUnloadNow. Hidden
// whatever the library's visibility setting, so that every library and
// executable has its own copy instead of one shared through the loader.
struct __attribute__((visibility("hidden"))) ModuleCount {
  static inline std::atomic<long> count{0};
};

template <class Derived, Interface First, Interface... Rest>
class Object : public First, public Rest... {
 public:
  Object() noexcept { ++ModuleCount::count; }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() { --ModuleCount::count; }

  HRESULT QueryInterface(const GUID& iid, void** out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid == IUnknown::IID) {
      *out = static_cast<IUnknown*>(static_cast<First*>(this));
    } else if (!(find<First>(iid, out) || (find<Rest>(iid, out) || ...))) {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  std::uint32_t AddRef() noexcept override { return ++refs_; }
  std::uint32_t Release() noexcept override {
    const std::uint32_t left = --refs_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

  // The identity, as the caller's first reference.
  IUnknown* identity() noexcept { return static_cast<First*>(this); }

 private:
  template <class I>
  bool find(const GUID& iid, void** out) noexcept {
    if (iid != I::IID) return false;
    *out = static_cast<I*>(this);
    return true;
  }

  std::atomic<std::uint32_t> refs_{1};
};

// Creates an object holding the one reference that the returned pointer owns.
template <class T, class... Args>
ComPtr<T> make_object(Args&&... args) {
  return ComPtr<T>::adopt(new T(std::forward<Args>(args)...));
}

}  // namespace tw::com
