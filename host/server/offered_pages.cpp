#include "offered_pages.h"

#include <iterator>

namespace tw::server {

namespace {
constexpr OfferedPage kOfferedPages[] = {
    {"QualityReport", "QualityReport", "QualityBook"},
};
}  // namespace

std::span<const OfferedPage> offered_pages() {
  return kOfferedPages;
}

const OfferedPage* offered_page(std::string_view unique_name) {
  for (const OfferedPage& page : kOfferedPages) {
    if (page.unique_name == unique_name) return &page;
  }
  return nullptr;
}

std::vector<std::vector<std::size_t>> offered_places(const std::vector<std::string>& book_keys) {
  std::vector<std::vector<std::size_t>> places(book_keys.size() + 1);
  for (std::size_t i = 0; i < std::size(kOfferedPages); ++i) {
    std::size_t at = 0;
    while (at < book_keys.size() && book_keys[at] != kOfferedPages[i].before_book) ++at;
    places[at].push_back(i);
  }
  return places;
}

}  // namespace tw::server
