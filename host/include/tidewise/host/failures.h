#pragma once
// What the host's calls into components throw: a member that failed
// (com::MemberFailure, from com::call), and a request the item, its tree or a
// page cannot carry out.

#include <stdexcept>

#include "tidewise/com/error.h"

namespace tw::host {

// Something was asked that the item, its tree or the page cannot do (a page
// that is not in the tree, a control the page lacks). Nothing was changed.
class InvalidRequest : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

}  // namespace tw::host
