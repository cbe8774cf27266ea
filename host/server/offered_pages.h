#pragma once
// Pages that no book of the tree lists but that the editor offers beside a
// book, each shown as a book of its own.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw::server {

struct OfferedPage {
  std::string_view unique_name;
  std::string_view page_class;
  std::string_view before_book;  // the key of the book it is shown before
};

std::span<const OfferedPage> offered_pages();
// The offered page of that name, if there is one.
const OfferedPage* offered_page(std::string_view unique_name);

// Where the offered pages stand among books of these keys, in order: for
// each position 0..keys.size() (before the book there, the last one after
// every book) the offered pages shown there, by index in offered_pages().
// A page stands before the first book it goes with, or at the end when the
// tree has no such book; each stands once.
std::vector<std::vector<std::size_t>> offered_places(const std::vector<std::string>& book_keys);

}  // namespace tw::server
