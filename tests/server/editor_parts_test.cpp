// The editor's small parts: where the offered pages stand among the books,
// and how a failure is answered.

#include <gtest/gtest.h>

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "failures.h"
#include "offered_pages.h"
#include "tidewise/com/error.h"

namespace tw::server {
namespace {

TEST(OfferedPages, StandBeforeTheirBookOnceOrAtTheEnd) {
  ASSERT_EQ(offered_pages().size(), 1u);
  const std::string book(offered_pages()[0].before_book);
  using Places = std::vector<std::vector<std::size_t>>;
  const struct {
    std::vector<std::string> keys;
    Places places;
  } cases[] = {
      {{"GeneralInfo", book, "DistInfo"}, {{}, {0}, {}, {}}},
      {{book}, {{0}, {}}},
      {{"GeneralInfo", "DistInfo"}, {{}, {}, {0}}},
      {{}, {{0}}},
      {{book, book}, {{0}, {}, {}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(offered_places(c.keys), c.places) << c.keys.size();
  }
  EXPECT_EQ(offered_page(offered_pages()[0].unique_name), &offered_pages()[0]);
  EXPECT_EQ(offered_page("GeneralInfo"), nullptr);
}

TEST(AsApiError, EveryFailureIsAnsweredWithItsStatusMessageAndDetails) {
  const std::string hex_fail = com::hresult_hex(com::E_FAIL);
  const struct {
    std::exception_ptr error;
    int status;
    std::string message;
    Json extra;
  } cases[] = {
      {std::make_exception_ptr(ApiError(409, "moved on", {{"state", 7}})),
       409,
       "moved on",
       {{"state", 7}}},
      {std::make_exception_ptr(host::InvalidRequest("no page Nowhere")), 400, "no page Nowhere",
       Json::object()},
      {std::make_exception_ptr(
           com::MemberFailure("IMetaDataPage.LoadPage", com::E_FAIL, "IMetaDataPage.LoadPage: x")),
       500,
       "IMetaDataPage.LoadPage failed (" + hex_fail + "): IMetaDataPage.LoadPage: x",
       {{"failure",
         {{"interface", "IMetaDataPage"},
          {"member", "IMetaDataPage.LoadPage"},
          {"code", hex_fail},
          {"text", "IMetaDataPage.LoadPage: x"}}}}},
      {std::make_exception_ptr(com::Error(com::E_ACCESSDENIED, "cannot write")), 500,
       "cannot write (" + com::hresult_hex(com::E_ACCESSDENIED) + ")", Json::object()},
      {std::make_exception_ptr(std::runtime_error("lost")), 500, "lost", Json::object()},
  };
  for (const auto& c : cases) {
    const ApiError answer = as_api_error(c.error);
    EXPECT_EQ(answer.status(), c.status) << c.message;
    EXPECT_EQ(answer.what(), c.message);
    EXPECT_EQ(answer.extra(), c.extra) << c.message;
  }
}

}  // namespace
}  // namespace tw::server
