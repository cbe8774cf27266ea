#include "tidewise/host/failures.h"

#include "tidewise/com/error.h"

namespace tw::host {

MemberFailure::MemberFailure(std::string member, com::HRESULT code, std::string description)
    : std::runtime_error(member + " failed (" + com::hresult_hex(code) + ")" +
                         (description.empty() ? "" : ": " + description)),
      member_(std::move(member)),
      code_(code),
      description_(std::move(description)) {}

std::string MemberFailure::interface_name() const {
  const auto dot = member_.find('.');
  return dot == std::string::npos ? std::string() : member_.substr(0, dot);
}

void call(com::HRESULT hr, std::string_view member) {
  if (com::succeeded(hr)) return;
  const auto info = com::GetErrorInfo();
  throw MemberFailure(std::string(member), hr, info ? info->description : "");
}

}  // namespace tw::host
