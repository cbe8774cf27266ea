#include "failures.h"

#include "tidewise/com/error.h"

namespace tw::server {

ApiError member_failed(const com::Error& failure, Json extra) {
  extra["failure"] = {{"interface", failure.interface_name()},
                      {"member", failure.member()},
                      {"code", com::hresult_hex(failure.code())},
                      {"text", failure.description()}};
  return {500, failure.what(), std::move(extra)};
}

ApiError as_api_error(std::exception_ptr error) {
  try {
    std::rethrow_exception(std::move(error));
  } catch (const ApiError& e) {
    return e;
  } catch (const host::InvalidRequest& e) {
    return {400, e.what()};
  } catch (const com::Error& e) {
    if (!e.member().empty()) return member_failed(e);
    return {500, e.message()};
  } catch (const std::exception& e) {
    return {500, e.what()};
  }
}

}  // namespace tw::server
