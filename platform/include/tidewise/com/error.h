#pragma once
// Error information and the one translator between exceptions (inside a
// component) and status codes (at every interface member).
//
// Error information is per thread: the member that fails sets it, the caller
// that sees the failure takes it once (taking it clears it).

#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "tidewise/com/hresult.h"

namespace tw::com {

struct ErrorInfo {
  std::string source;       // "Interface.Member" that failed
  std::string description;  // begins with the source: "IMetadataValues.WriteValue: ..."
};

void SetErrorInfo(ErrorInfo info);
// Hands over the current error information and clears it.
std::optional<ErrorInfo> GetErrorInfo();
void ClearErrorInfo();

// What a component throws inside itself. An error that was raised by a call
// on another object already names that object's member; one raised locally
// is named by the member whose boundary it crosses.
class Error : public std::runtime_error {
 public:
  Error(HRESULT code, const std::string& description, std::string source = {})
      : Error(description, code, description, std::move(source), {}) {}

  HRESULT code() const noexcept { return code_; }
  const std::string& source() const noexcept { return source_; }
  bool named() const noexcept { return !source_.empty(); }
  // The text error information carries. It is what() too, except that a
  // MemberFailure's what() also names the call and its code.
  const std::string& description() const noexcept { return description_; }
  // The call that failed ("IMetaDataPage.UnloadPage") when this is a
  // MemberFailure; empty when the error was raised here.
  const std::string& member() const noexcept { return member_; }
  std::string interface_name() const;  // "IMetaDataPage"
  // How a front shows it: with its code, which a MemberFailure's what()
  // already carries.
  std::string message() const;

 protected:
  Error(const std::string& what, HRESULT code, std::string description, std::string source,
        std::string member)
      : std::runtime_error(what),
        code_(code),
        description_(std::move(description)),
        source_(std::move(source)),
        member_(std::move(member)) {}

 private:
  HRESULT code_;
  std::string description_;
  std::string source_;
  std::string member_;
};

// A member this side called failed, where the failure ends (a host, a tool)
// rather than being passed on: "IMetaDataPage.LoadPage failed (0x80004005):
// <the error information's text>". It carries no source, so that crossing a
// boundary it is named by that boundary's member, as any local error.
class MemberFailure : public Error {
 public:
  MemberFailure(const std::string& member, HRESULT code, const std::string& description);
};

[[noreturn]] void raise(HRESULT code, const std::string& description);

// Tests the status of a call on another object; on failure takes that call's
// error information and throws it on, keeping the original code. `member` is
// "Interface.Member" of the call made.
void check(HRESULT hr, std::string_view member);

// As check, for the side that reports the failure instead of passing it on:
// throws MemberFailure naming `member` with the error information it left.
void call(HRESULT hr, std::string_view member);

// Turns whatever escaped `body` into a status code plus error information
// naming `member`. `body` returns nothing (the member then succeeds with S_OK)
// or its own HRESULT.
template <class Body>
HRESULT boundary(std::string_view member, Body&& body) noexcept {
  try {
    ClearErrorInfo();
    if constexpr (std::is_same_v<decltype(body()), void>) {
      body();
      return S_OK;
    } else {
      return body();
    }
  } catch (const Error& e) {
    if (e.named()) {
      SetErrorInfo({e.source(), e.description()});
    } else {
      SetErrorInfo({std::string(member), std::string(member) + ": " + e.what()});
    }
    return e.code();
  } catch (const std::bad_alloc&) {
    SetErrorInfo({std::string(member), std::string(member) + ": out of memory"});
    return E_OUTOFMEMORY;
  } catch (const std::exception& e) {
    SetErrorInfo({std::string(member), std::string(member) + ": " + e.what()});
    return E_FAIL;
  } catch (...) {
    SetErrorInfo({std::string(member), std::string(member) + ": unexpected failure"});
    return E_FAIL;
  }
}

// Out parameters: refuse a null one, and clear it before any work so that it
// is cleared on every failure path.
template <class T>
T& out_param(T* out) {
  if (out == nullptr) raise(E_POINTER, "null out parameter");
  *out = T{};
  return *out;
}

}  // namespace tw::com
