#pragma once
// IUnknown and the smart pointer that owns references to it.

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "tidewise/com/error.h"
#include "tidewise/com/guid.h"
#include "tidewise/com/hresult.h"

namespace tw::com {

// Every interface names its identifier `IID` and its own name `Name`.
struct IUnknown {
  static constexpr GUID IID = guid("{00000000-0000-0000-C000-000000000046}");
  static constexpr std::string_view Name = "IUnknown";

  virtual HRESULT QueryInterface(const GUID& iid, void** out) noexcept = 0;
  virtual std::uint32_t AddRef() noexcept = 0;
  virtual std::uint32_t Release() noexcept = 0;

 protected:
  ~IUnknown() = default;
};

template <class I>
concept Interface = requires {
  { I::IID } -> std::convertible_to<GUID>;
  { I::Name } -> std::convertible_to<std::string_view>;
};

// Owns one reference. Verbs: get (borrow), put (fill an empty pointer from an
// out parameter), attach (adopt a reference), detach (give it up), copy_to
// (hand out a new reference), as (query, throws), try_as (query, may be null).
template <class T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  // Borrows: takes a reference of its own.
  explicit ComPtr(T* borrowed) noexcept : p_(borrowed) { add_ref(); }
  ComPtr(const ComPtr& other) noexcept : p_(other.p_) { add_ref(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class U>
  requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other)
  noexcept : p_(other.get()) { add_ref(); }
  ~ComPtr() { release(); }

  // Copy and swap: assigning a pointer to itself takes a reference, then drops it.
  ComPtr& operator=(const ComPtr& other) noexcept {  // NOLINT(bugprone-unhandled-self-assignment)
    ComPtr(other).swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) noexcept {
    release();
    return *this;
  }

  static ComPtr adopt(T* owned) noexcept {
    ComPtr result;
    result.p_ = owned;
    return result;
  }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept {
    assert(p_ != nullptr);
    return p_;
  }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  T** put() noexcept {
    assert(p_ == nullptr && "put() on a pointer that still owns a reference");
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  void attach(T* owned) noexcept {
    release();
    p_ = owned;
  }
  [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
  void copy_to(T** out) const noexcept {
    *out = p_;
    if (p_) p_->AddRef();
  }
  void reset() noexcept { release(); }
  void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

  template <Interface U>
  ComPtr<U> try_as() const noexcept {
    ComPtr<U> result;
    if (p_) p_->QueryInterface(U::IID, result.put_void());
    return result;
  }

  // A missing interface fails as IUnknown.QueryInterface with E_NOINTERFACE.
  template <Interface U>
  ComPtr<U> as() const {
    if (!p_) raise(E_POINTER, "null object");
    ComPtr<U> result;
    const HRESULT hr = p_->QueryInterface(U::IID, result.put_void());
    if (failed(hr)) {
      throw Error(hr, "IUnknown.QueryInterface: the object does not offer " + std::string(U::Name),
                  "IUnknown.QueryInterface");
    }
    return result;
  }

  friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.p_ == b.p_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

 private:
  void add_ref() noexcept {
    if (p_) p_->AddRef();
  }
  void release() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }

  T* p_ = nullptr;
};

}  // namespace tw::com
