#pragma once
// How the host's pages lay their controls out: a label column and a field
// column in rows under the heading, lists with their buttons to the right,
// and frames for what belongs together. Positions and sizes in twips.

#include <algorithm>
#include <array>
#include <string_view>

#include "tidewise/forms/forms.h"
#include "tidewise/pages/page.h"

namespace tw::hostpages {

using forms::ControlSpec;
using forms::Kind;

inline constexpr int kFirstRow = 900;
inline constexpr int kRow = 400;
inline constexpr int kLabelLeft = 240, kLabelWidth = 2760;
inline constexpr int kFieldLeft = 3120, kFieldWidth = 6240;
inline constexpr int kLineHeight = 315;
inline constexpr int kButtonWidth = 1440;
inline constexpr int kListWidth = 7620;  // a list with its buttons to its right

constexpr int row_top(double row) {
  return kFirstRow + static_cast<int>(row * kRow);
}

// A label in the label column, or anywhere.
constexpr ControlSpec label(std::string_view name, std::string_view caption, double row,
                            int left = kLabelLeft, int width = kLabelWidth,
                            std::string_view container = {}) {
  return {.name = name,
          .kind = Kind::Label,
          .caption = caption,
          .left = left,
          .top = row_top(row) + 30,
          .width = width,
          .height = 255,
          .container = container};
}

// A text box in the field column; `lines` rows high.
constexpr ControlSpec text(std::string_view name, double row, int tab, int left = kFieldLeft,
                           int width = kFieldWidth, double lines = 1, std::string_view type = {},
                           std::string_view container = {}) {
  return {.name = name,
          .kind = Kind::TextBox,
          .left = left,
          .top = row_top(row),
          .width = width,
          .height = lines <= 1 ? kLineHeight : static_cast<int>(lines * kRow) - 85,
          .tab_index = tab,
          .container = container,
          .value_type = type};
}

// An editable drop-down list; its items come from the field's words.
constexpr ControlSpec combo(std::string_view name, double row, int tab, int left = kFieldLeft,
                            int width = 3600, std::string_view container = {}) {
  return {.name = name,
          .kind = Kind::ComboBox,
          .left = left,
          .top = row_top(row),
          .width = width,
          .height = kLineHeight,
          .tab_index = tab,
          .container = container};
}

constexpr ControlSpec list_box(std::string_view name, double row, double rows, int tab,
                               int left = kLabelLeft, int width = kListWidth,
                               bool check_marks = false) {
  return {.name = name,
          .kind = Kind::ListBox,
          .left = left,
          .top = row_top(row),
          .width = width,
          .height = static_cast<int>(rows * kRow) - 85,
          .tab_index = tab,
          .check_marks = check_marks};
}

constexpr ControlSpec button(std::string_view name, std::string_view caption, double row, int tab,
                             int left = kLabelLeft + kListWidth + 60, int width = kButtonWidth) {
  return {.name = name,
          .kind = Kind::CommandButton,
          .caption = caption,
          .left = left,
          .top = row_top(row),
          .width = width,
          .height = kLineHeight + 30,
          .tab_index = tab};
}

constexpr ControlSpec frame(std::string_view name, std::string_view caption, double row,
                            double rows) {
  return {.name = name,
          .kind = Kind::Frame,
          .caption = caption,
          .left = 120,
          .top = row_top(row),
          .width = pages::kPageWidth - 240,
          .height = static_cast<int>(rows * kRow)};
}

// The line under the heading that says what the page is for.
constexpr ControlSpec intro(std::string_view caption) {
  return {.name = "lblIntro",
          .kind = Kind::Label,
          .caption = caption,
          .left = kLabelLeft,
          .top = 540,
          .width = pages::kPageWidth - 480,
          .height = 255};
}

// The second half of a row: a label and a narrower field right of the first.
inline constexpr int kHalfWidth = 2400;
inline constexpr int kSecondLabel = 5640, kSecondLabelWidth = 1320;
inline constexpr int kSecondField = 7080, kSecondFieldWidth = 2280;
inline constexpr int kFullLeft = kLabelLeft, kFullWidth = pages::kPageWidth - 480;

// The controls of a page from its parts, in order.
template <std::size_t... N>
constexpr auto join(const std::array<ControlSpec, N>&... parts) {
  std::array<ControlSpec, (N + ...)> all{};
  std::size_t i = 0;
  ((std::copy(parts.begin(), parts.end(), all.begin() + static_cast<std::ptrdiff_t>(i)), i += N),
   ...);
  return all;
}

// The buttons of a list, in a column right of it: add, remove, up, down.
constexpr std::array<ControlSpec, 4> list_buttons(std::string_view prefix_add,
                                                  std::string_view remove, std::string_view up,
                                                  std::string_view down, double row, int tab) {
  return {{button(prefix_add, "Add", row, tab), button(remove, "Remove", row + 1, tab + 1),
           button(up, "Move up", row + 2, tab + 2), button(down, "Move down", row + 3, tab + 3)}};
}

}  // namespace tw::hostpages
