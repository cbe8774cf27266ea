#pragma once
// How the editor answers a request that failed: every failure becomes an
// ApiError (a status, a message and what the browser needs besides), here
// and nowhere else.

#include <exception>

#include "catalog.h"
#include "tidewise/com/error.h"
#include "tidewise/host/failures.h"

namespace tw::server {

// A member that failed (a com::MemberFailure, whose member() is set): 500,
// its message, and as "failure" the interface, member, code and text the
// browser shows; `extra` adds to the answer.
ApiError member_failed(const com::Error& failure, Json extra = Json::object());

// Whatever a request threw, as the browser is answered: an ApiError as it
// is, a request the item cannot carry out 400, a member that failed as
// above, any other failure 500 (with its status code when it has one).
ApiError as_api_error(std::exception_ptr error);

}  // namespace tw::server
