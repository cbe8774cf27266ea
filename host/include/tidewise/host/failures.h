#pragma once
// What the host's calls into components throw: a member that failed, and a
// request the item, its tree or a page cannot carry out.

#include <stdexcept>
#include <string>
#include <string_view>

#include "tidewise/com/hresult.h"

namespace tw::host {

// A member the host called failed. The message names the member, its status
// code and the error information the member left.
class MemberFailure : public std::runtime_error {
 public:
  MemberFailure(std::string member, com::HRESULT code, std::string description);
  const std::string& member() const { return member_; }  // "IMetaDataPage.UnloadPage"
  std::string interface_name() const;                    // "IMetaDataPage"
  com::HRESULT code() const { return code_; }
  const std::string& description() const { return description_; }

 private:
  std::string member_;
  com::HRESULT code_;
  std::string description_;
};

// Tests the status of a call the host made; throws MemberFailure with the
// error information the call left.
void call(com::HRESULT hr, std::string_view member);

// Something was asked that the item, its tree or the page cannot do (a page
// that is not in the tree, a control the page lacks). Nothing was changed.
class InvalidRequest : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

}  // namespace tw::host
