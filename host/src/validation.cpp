#include "tidewise/host/validation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <sstream>
#include <stdexcept>

#include "tidewise/platform.h"

namespace tw::host {

namespace {

using Kind = ValueType::Kind;

// ---- The value types of the project's pages
//
// Code lists: a combo box whose items are a whole ISO code list (or the
// project's mapping of one) is a code list, whether the page stores the
// name or a code; one whose items are suggestions (the project's themes) is
// free text. Values typed where ISO wants a number, a date or a boolean are
// typed as ISO does; where ISO 19139 has no element and the extension keeps
// text (projection and ellipsoid parameters), the type is what the value
// means. A value with a red mark on its page is required; one that ISO
// requires once its class is there is required beside the others.

constexpr ValueTypeEntry kTable[] = {
    // Identification and distribution
    {"Metadata", "cmbChar", "codeList"},
    {"Metadata", "cmbLevel", "codeList"},
    {"Metadata", "txtDate", "date"},
    {"Purpose", "txtInfo", "text required"},
    {"Lineage", "txtInfo", "text required"},
    {"Status", "cmbStatus", "codeList required"},
    {"Contact", "cmbRole",
     "codeList required-with=txtName,txtOrg,txtPos,txtDel,txtCity,txtAdmin,txtPostal,txtCountry,"
     "txtTel,txtFax,txtEmail"},
    {"Contact", "txtEmail", "email"},
    {"Constraint", "cmbAccess", "codeList required coded"},
    {"Constraint", "cmbUse", "codeList required coded"},
    {"SpatialRep", "cmbSpatial", "codeList required coded"},
    {"VectorRepresentation", "cmbLevel", "codeList"},
    {"VectorRepresentation", "txtName", "codeList required-with=txtNumber"},
    {"VectorRepresentation", "txtNumber", "integer >0"},
    // Quality
    {"QualityScope", "cmbLevel", "codeList required coded"},
    {"QualityExtent", "txtWest", "longitude required-with=txtEast,txtSouth,txtNorth"},
    {"QualityExtent", "txtEast", "longitude required-with=txtWest,txtSouth,txtNorth"},
    {"QualityExtent", "txtSouth", "latitude required-with=txtWest,txtEast,txtNorth"},
    {"QualityExtent", "txtNorth", "latitude >=@txtSouth required-with=txtWest,txtEast,txtSouth"},
    {"QualityExtent", "txtAltiLong", "real"},
    {"QualityExtent", "txtAltiLat", "real"},
    {"QualityExtent", "txtBegin", "date required-with=txtEnd"},
    {"QualityExtent", "txtEnd", "date >=@txtBegin required-with=txtBegin"},
    {"QualityExtent", "txtMin", "real required-with=txtMax"},
    {"QualityExtent", "txtMax", "real >=@txtMin required-with=txtMin"},
    {"QualityElement", "cmbEvalType", "codeList"},
    {"QualityElement", "txtDateTime", "dateTime"},
    {"QualityQuantitative", "txtUnit", "text required-with=txtType,txtError,txtValue"},
    {"QualityQuantitative", "txtValue", "text required-with=txtType,txtUnit,txtError"},
    // Reference system, representation and schema
    {"ProjectionDesc", "txtZone", "integer"},
    {"ProjectionDesc", "txtparallel", "latitude"},
    {"ProjectionDesc", "txtLineLong", "longitude"},
    {"ProjectionDesc", "txtLatOri", "latitude"},
    {"ProjectionDesc", "txtFalseEast", "real"},
    {"ProjectionDesc", "txtFalseNorth", "real"},
    {"ProjectionDesc", "txtScaleEqu", "real >0"},
    {"ProjectionDesc", "txtHeightView", "real"},
    {"ProjectionDesc", "txtLongAzi", "longitude"},
    {"ProjectionDesc", "txtLatAzi", "latitude"},
    {"ProjectionDesc", "txtScaleFactor", "real >0"},
    {"ProjectionDesc", "txtLongStraight", "longitude"},
    {"ProjectionDesc", "txtScaleProjOri", "real >0"},
    {"EllipsoidDesc", "txtRadius", "real >0"},
    {"EllipsoidDesc", "txtRatio", "real >0"},
    {"GridRepresentation", "txtAxis", "integer >0 required-with=ListIdent,txtTransform"},
    {"GridRepresentation", "ListIdent", "codeList required-with=txtAxis,txtTransform"},
    {"GridRepresentation", "txtTransform", "boolean required-with=txtAxis,ListIdent"},
    {"GridRepresentation", "ListDimName", "codeList required-with=txtDimension,txtResolution"},
    {"GridRepresentation", "txtDimension", "integer >0 required-with=ListDimName,txtResolution"},
    {"GridRepresentation", "txtResolution", "measure"},
    {"SchemaInfo", "txtGraphFile", "base64"},
    // TidewiseExt.listTidTheme: the project's themes are suggestions; any
    // text is a theme.
};

// ---- Text helpers

std::string in_quotes(std::string_view text) {
  return "\"" + platform::shown(text) + "\"";
}

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool blank(std::string_view text) {
  return trim(text).empty();
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool all_digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), is_digit);
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.emplace_back(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string number_text(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

// ---- Numbers, as XML Schema writes them

// [+-]? digits, with an optional point and fraction: xs:decimal.
bool is_decimal(std::string_view s) {
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
  const auto point = s.find('.');
  if (point == std::string_view::npos) return all_digits(s);
  const std::string_view whole = s.substr(0, point), fraction = s.substr(point + 1);
  return (whole.empty() || all_digits(whole)) && (fraction.empty() || all_digits(fraction)) &&
         !(whole.empty() && fraction.empty());
}

bool is_integer(std::string_view s) {
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
  return all_digits(s);
}

// xs:double: a decimal with an optional exponent, INF, -INF or NaN.
bool is_real(std::string_view s) {
  if (s == "INF" || s == "-INF" || s == "NaN") return true;
  const auto e = s.find_first_of("eE");
  if (e == std::string_view::npos) return is_decimal(s);
  return is_decimal(s.substr(0, e)) && is_integer(s.substr(e + 1));
}

double number_of(std::string_view s) {
  if (s == "INF") return HUGE_VAL;
  if (s == "-INF") return -HUGE_VAL;
  if (s == "NaN") return std::nan("");
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double value = 0;
  std::from_chars(s.data(), s.data() + s.size(), value);
  return value;
}

bool lexically_valid(Kind kind, std::string_view s) {
  switch (kind) {
    case Kind::Integer:
      return is_integer(s);
    case Kind::Real:
      return is_real(s);
    default:
      return is_decimal(s);
  }
}

std::string expected_number(Kind kind) {
  switch (kind) {
    case Kind::Integer:
      return "a whole number, like 3";
    case Kind::Latitude:
      return "a latitude in decimal degrees from -90 to 90, like 48.38";
    case Kind::Longitude:
      return "a longitude in decimal degrees from -180 to 180, like -4.52";
    default:
      return "a number, like 500000 or 0.9996";
  }
}

std::string bound_phrase(const ValueType& type) {
  const auto& lo = type.lower;
  const auto& hi = type.upper;
  if (lo && hi && lo->inclusive && hi->inclusive) {
    return "between " + number_text(lo->value) + " and " + number_text(hi->value);
  }
  std::string phrase;
  if (lo) {
    phrase += (lo->inclusive ? "at least " : "greater than ") + number_text(lo->value);
  }
  if (hi) {
    if (!phrase.empty()) phrase += " and ";
    phrase += (hi->inclusive ? "at most " : "less than ") + number_text(hi->value);
  }
  return phrase;
}

// The bounds a kind brings with it.
ValueType with_implicit_bounds(ValueType type) {
  const double limit = type.kind == Kind::Latitude ? 90 : type.kind == Kind::Longitude ? 180 : 0;
  if (limit != 0) {
    if (!type.lower || type.lower->value < -limit) type.lower = ValueType::Bound{-limit, true};
    if (!type.upper || type.upper->value > limit) type.upper = ValueType::Bound{limit, true};
  }
  return type;
}

std::optional<std::string> check_number(const ValueType& declared, std::string_view text) {
  const ValueType type = with_implicit_bounds(declared);
  const Kind kind = type.kind;
  if (!lexically_valid(kind, text)) {
    const std::string_view inner = trim(text);
    if (inner != text && lexically_valid(kind, inner)) {
      return "has spaces around the number: write " + in_quotes(inner) + " alone";
    }
    std::string pointed(inner);
    std::replace(pointed.begin(), pointed.end(), ',', '.');
    if (inner.find(',') != std::string_view::npos && inner.find(',') == inner.rfind(',') &&
        lexically_valid(kind == Kind::Integer ? Kind::Decimal : kind, pointed)) {
      return "uses a decimal comma: ISO writes numbers with a decimal point, like " +
             in_quotes(pointed);
    }
    if (kind == Kind::Integer && is_real(inner)) {
      return "is not a whole number: expected " + expected_number(kind);
    }
    if (is_real(inner) && inner.find_first_of("eE") != std::string_view::npos) {
      return "is written with an exponent, which ISO does not take here: expected " +
             expected_number(kind);
    }
    return "is not a number: expected " + expected_number(kind);
  }
  const double value = number_of(text);
  const bool below = type.lower && (std::isnan(value) || value < type.lower->value ||
                                    (!type.lower->inclusive && value == type.lower->value));
  const bool above = type.upper && (std::isnan(value) || value > type.upper->value ||
                                    (!type.upper->inclusive && value == type.upper->value));
  if (below || above) {
    if (kind == Kind::Latitude || kind == Kind::Longitude) {
      return "is out of range: expected " + expected_number(kind);
    }
    return "is out of range: expected a number " + bound_phrase(type);
  }
  return std::nullopt;
}

// ---- Dates and times, as XML Schema writes them (the forms ISO's Date,
// DateTime and time positions take)

struct When {
  std::int64_t year = 0;
  int month = 0;  // 0: the year alone
  int day = 0;    // 0: no day
  bool has_time = false;
  int hour = 0, minute = 0;
  double second = 0;
  std::optional<int> zone_minutes;
};

constexpr std::array<std::string_view, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

bool is_leap(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap(year) ? 29 : kDays[month - 1];
}

int two_digits(std::string_view s, std::size_t at) {
  return (s[at] - '0') * 10 + (s[at + 1] - '0');
}

bool digits_at(std::string_view s, std::size_t at, std::size_t count) {
  return at + count <= s.size() && all_digits(s.substr(at, count));
}

// Parses a date, a year and month, a year, or (with `time`) a date and
// time; what is wrong goes to `why` (a specific reason), or stays empty when
// the text has not the shape of one at all.
std::optional<When> parse_when(std::string_view s, bool want_time, std::string& why) {
  When when;
  std::size_t at = 0;
  const bool negative = !s.empty() && s.front() == '-';
  if (negative) at = 1;
  std::size_t year_end = at;
  while (year_end < s.size() && is_digit(s[year_end])) ++year_end;
  const std::size_t year_digits = year_end - at;
  if (year_digits < 4 || (year_digits > 4 && s[at] == '0') || year_digits > 12) return std::nullopt;
  std::from_chars(s.data() + at, s.data() + year_end, when.year);
  if (when.year == 0) {
    why = "has a year 0000, which ISO's calendar has not";
    return std::nullopt;
  }
  if (negative) when.year = -when.year;
  at = year_end;
  const auto zone = [&]() -> bool {
    if (at == s.size()) return true;
    if (s.substr(at) == "Z") {
      when.zone_minutes = 0;
      return true;
    }
    if (s.size() - at == 6 && (s[at] == '+' || s[at] == '-') && digits_at(s, at + 1, 2) &&
        s[at + 3] == ':' && digits_at(s, at + 4, 2)) {
      const int hours = two_digits(s, at + 1), minutes = two_digits(s, at + 4);
      if (hours > 14 || minutes > 59 || (hours == 14 && minutes != 0)) {
        why = "has a time zone outside -14:00 to +14:00";
        return false;
      }
      when.zone_minutes = (s[at] == '-' ? -1 : 1) * (hours * 60 + minutes);
      return true;
    }
    return false;
  };
  // Year alone, or year and month.
  for (int part = 0; part < 2; ++part) {
    if (at == s.size() || s[at] != '-') {
      if (want_time) return std::nullopt;
      return zone() ? std::optional(when) : std::nullopt;
    }
    if (!digits_at(s, at + 1, 2)) return std::nullopt;
    const int n = two_digits(s, at + 1);
    at += 3;
    if (part == 0) {
      if (n < 1 || n > 12) {
        why = "has no month " + std::to_string(n) + ": months go from 01 to 12";
        return std::nullopt;
      }
      when.month = n;
    } else {
      const int days = days_in(when.year, when.month);
      if (n < 1 || n > days) {
        why = n >= 1 && n <= 31
                  ? std::string(kMonths[when.month - 1]) + " " + std::to_string(when.year) +
                        " has " + std::to_string(days) + " days"
                  : "has no day " + std::to_string(n) + " in a month";
        return std::nullopt;
      }
      when.day = n;
    }
  }
  if (at == s.size() || s[at] != 'T') {
    if (want_time && (at == s.size() || s[at] == '+' || s[at] == '-' || s[at] == 'Z')) {
      why = "is a date without a time: expected a date and a time, like " +
            std::string(s.substr(0, at)) + "T09:30:00";
      return std::nullopt;
    }
    return zone() ? std::optional(when) : std::nullopt;
  }
  // The time: hh:mm:ss, an optional fraction.
  ++at;
  if (digits_at(s, at, 2) && at + 8 <= s.size() && s[at + 2] == '-' && s[at + 5] == '-') {
    why = "writes the time with hyphens: ISO writes it with colons, like " +
          std::string(s.substr(0, at)) + std::string(s.substr(at, 2)) + ":" +
          std::string(s.substr(at + 3, 2)) + ":" + std::string(s.substr(at + 6, 2));
    return std::nullopt;
  }
  if (!digits_at(s, at, 2) || at + 8 > s.size() || s[at + 2] != ':' || !digits_at(s, at + 3, 2) ||
      s[at + 5] != ':' || !digits_at(s, at + 6, 2)) {
    return std::nullopt;
  }
  when.has_time = true;
  when.hour = two_digits(s, at);
  when.minute = two_digits(s, at + 3);
  when.second = two_digits(s, at + 6);
  at += 8;
  bool fraction_zero = true;
  if (at < s.size() && s[at] == '.') {
    std::size_t end = at + 1;
    while (end < s.size() && is_digit(s[end])) ++end;
    if (end == at + 1) return std::nullopt;
    for (std::size_t i = at + 1; i < end; ++i) fraction_zero = fraction_zero && s[i] == '0';
    double fraction = 0;
    std::from_chars(s.data() + at, s.data() + end, fraction);
    when.second += fraction;
    at = end;
  }
  const bool end_of_day = when.hour == 24 && when.minute == 0 && when.second == 0 && fraction_zero;
  if ((when.hour > 23 && !end_of_day) || when.minute > 59 || when.second >= 60) {
    why = "has no such time of day: hours go from 00 to 23, minutes and seconds from 00 to 59";
    return std::nullopt;
  }
  return zone() ? std::optional(when) : std::nullopt;
}

// Days from 1970-01-01 to a day of the proleptic Gregorian calendar.
std::int64_t days_from_civil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// The first and the last instant a value names, in seconds; without a zone
// it is read as UTC.
std::pair<double, double> span_of(const When& w) {
  const int first_month = w.month ? w.month : 1, last_month = w.month ? w.month : 12;
  const int first_day = w.day ? w.day : 1;
  const int last_day = w.day ? w.day : days_in(w.year, last_month);
  const double zone = w.zone_minutes.value_or(0) * 60.0;
  double first = static_cast<double>(days_from_civil(w.year, first_month, first_day)) * 86400;
  double last = static_cast<double>(days_from_civil(w.year, last_month, last_day)) * 86400;
  if (w.has_time) {
    first += w.hour * 3600 + w.minute * 60 + w.second;
    last = first;
  } else {
    last += 86400;
  }
  return {first - zone, last - zone};
}

std::optional<std::string> check_when(Kind kind, std::string_view text) {
  std::string why;
  if (parse_when(text, kind == Kind::DateTime, why)) return std::nullopt;
  if (!why.empty()) return why;
  const std::string_view inner = trim(text);
  if (inner != text && parse_when(inner, kind == Kind::DateTime, why)) {
    return "has spaces around the date: write " + in_quotes(inner) + " alone";
  }
  if (kind == Kind::DateTime) {
    return "is not a date and time as ISO writes them: expected YYYY-MM-DDThh:mm:ss, like "
           "2024-03-01T09:30:00, with Z or +01:00 after it for the time zone";
  }
  return "is not a date as ISO writes it: expected YYYY-MM-DD, like 2024-02-29 (or YYYY-MM, "
         "YYYY, or a date and time YYYY-MM-DDThh:mm:ss)";
}

// ---- The other kinds

bool is_base64(std::string_view text) {
  std::string packed;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    packed += c;
  }
  if (packed.size() % 4 != 0) return false;
  const std::size_t padding = packed.size() - packed.find_last_not_of('=') - 1;
  if (packed.find_last_not_of('=') == std::string::npos || padding > 2) return false;
  return std::all_of(packed.begin(), packed.end() - static_cast<std::ptrdiff_t>(padding),
                     [](char c) {
                       return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || is_digit(c) ||
                              c == '+' || c == '/';
                     });
}

// A unit of measure as ISO's measures take it (GML's UomIdentifier): a symbol
// without colons or white space ("m"), or a URI ("urn:ogc:def:uom:EPSG::9001",
// "#m", "../units.xml#m") without white space.
bool is_unit(std::string_view unit) {
  if (unit.empty() || unit.find_first_of(" \t\r\n") != std::string_view::npos) return false;
  const auto colon = unit.find(':');
  if (colon == std::string_view::npos) return true;
  if (unit.starts_with('#') || unit.starts_with("./") || unit.starts_with("../")) return true;
  const std::string_view scheme = unit.substr(0, colon);
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  return !scheme.empty() && letter(scheme[0]) &&
         std::all_of(scheme.begin(), scheme.end(), [&](char c) {
           return letter(c) || is_digit(c) || c == '+' || c == '-' || c == '.';
         });
}

bool is_email(std::string_view text) {
  const auto at = text.find('@');
  if (at == std::string_view::npos || at == 0 || text.find('@', at + 1) != std::string_view::npos) {
    return false;
  }
  const std::string_view domain = text.substr(at + 1);
  const auto dot = domain.find('.');
  return dot != std::string_view::npos && dot != 0 && domain.back() != '.' &&
         text.find_first_of(" \t\r\n,;<>") == std::string_view::npos;
}

std::string list_of(std::span<const std::string> items) {
  std::string text;
  for (const std::string& item : items) {
    if (!text.empty()) text += ", ";
    text += item;
  }
  return text;
}

std::optional<std::string> check_code(const ValueType& type, std::string_view text,
                                      std::span<const std::string> items) {
  if (std::find(items.begin(), items.end(), text) != items.end()) return std::nullopt;
  std::string message;
  const std::string_view inner = trim(text);
  const auto near = std::find_if(items.begin(), items.end(), [&](const std::string& item) {
    return lower(item) == lower(inner);
  });
  if (near != items.end() && *near == inner) {
    message = "is not an entry of the list: it has a space at its " +
              std::string(inner.data() == text.data() ? "end" : "start") + "; the entry is " +
              in_quotes(*near);
  } else if (near != items.end()) {
    message = "is not an entry of the list; the entry " + in_quotes(*near) + " is written so";
  } else {
    message = "is not an entry of the list: expected one of " + list_of(items);
  }
  if (type.coded && !items.empty()) {
    message += "; the page would store " + in_quotes(items.front()) + " in its place";
  }
  return message;
}

bool less_than(Kind kind, std::string_view a, std::string_view b) {
  if (kind == Kind::Date || kind == Kind::DateTime) {
    std::string why;
    const auto first = parse_when(a, kind == Kind::DateTime, why);
    const auto second = parse_when(b, kind == Kind::DateTime, why);
    // A value lies before another when it ends before the other begins.
    return first && second && span_of(*first).second <= span_of(*second).first &&
           span_of(*first).first < span_of(*second).first;
  }
  return number_of(a) < number_of(b);
}

// ---- Obligations

struct Place {
  std::string_view prog_id;
  std::string_view control;
};

struct Obligation {
  std::span<const std::string_view> paths;  // any one that holds text meets it
  std::string_view message;
  std::span<const Place> where;  // the pages that show the value, in order of preference
};

constexpr std::string_view kTitle[] = {"dataIdInfo/idCitation/resTitle"};
constexpr std::string_view kCitationDate[] = {"dataIdInfo/idCitation/resRefDate/refDate"};
constexpr std::string_view kAbstract[] = {"dataIdInfo/idAbs"};
constexpr std::string_view kContact[] = {"mdContact/rpIndName", "mdContact/rpOrgName",
                                         "mdContact/rpPosName"};
constexpr std::string_view kDateStamp[] = {"mdDateSt"};
constexpr Place kDateStampPlaces[] = {{"TidewiseCustomPage.Metadata", "txtDate"}};

// What ISO 19139 requires of every record and the item may lack. The host
// pages that show a value add their place to its row.
const Obligation kObligations[] = {
    {kTitle, "ISO 19139 requires a title for the resource", {}},
    {kCitationDate,
     "ISO 19139 requires a date in the resource's citation (its creation, publication or "
     "revision)",
     {}},
    {kAbstract, "ISO 19139 requires an abstract: a brief summary of the resource", {}},
    {kContact,
     "ISO 19139 requires a contact for the metadata: the person, organisation or position "
     "responsible for the record",
     {}},
    {kDateStamp,
     "ISO 19139 requires the date the metadata was created or last updated (its date stamp), "
     "like 2024-02-29",
     kDateStampPlaces},
};

std::string first_text(IMetadataValues& document, std::string_view path) {
  Variant values;
  if (com::failed(document.ReadValues(std::string(path), &values))) {
    com::ClearErrorInfo();
    return {};
  }
  const com::SafeArray* array = values.as_array();
  if (array == nullptr || array->elements.empty()) return {};
  const std::string* text = array->elements.front().as_string();
  return text ? *text : std::string();
}

}  // namespace

// ---- Value types

ValueType parse_value_type(std::string_view text) {
  static constexpr std::pair<std::string_view, Kind> kKinds[] = {
      {"text", Kind::Text},         {"integer", Kind::Integer},   {"decimal", Kind::Decimal},
      {"real", Kind::Real},         {"latitude", Kind::Latitude}, {"longitude", Kind::Longitude},
      {"date", Kind::Date},         {"dateTime", Kind::DateTime}, {"boolean", Kind::Boolean},
      {"measure", Kind::Measure},   {"email", Kind::Email},       {"base64", Kind::Base64},
      {"codeList", Kind::CodeList},
  };
  ValueType type;
  bool first = true;
  for (const std::string& word : split(text, ' ')) {
    if (word.empty()) continue;
    const auto bad = [&] {
      return std::invalid_argument("value type " + in_quotes(text) + ": " + in_quotes(word) +
                                   " is not a word of its vocabulary");
    };
    if (first) {
      const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                     [&](const auto& k) { return k.first == word; });
      if (kind == std::end(kKinds)) throw bad();
      type.kind = kind->second;
      first = false;
    } else if (word == "required") {
      type.required = true;
    } else if (word == "coded") {
      type.coded = true;
    } else if (word == "lines") {
      type.lines = true;
    } else if (word.starts_with("required-with=")) {
      type.required_with = split(std::string_view(word).substr(14), ',');
      if (std::any_of(type.required_with.begin(), type.required_with.end(),
                      [](const std::string& c) { return c.empty(); })) {
        throw bad();
      }
    } else if (word.starts_with(">=@")) {
      type.not_below = word.substr(3);
      if (type.not_below.empty()) throw bad();
    } else if (word[0] == '>' || word[0] == '<') {
      const bool inclusive = word.size() > 1 && word[1] == '=';
      const std::string_view number = std::string_view(word).substr(inclusive ? 2 : 1);
      if (!is_real(number) || number == "NaN") throw bad();
      const ValueType::Bound bound{number_of(number), inclusive};
      (word[0] == '>' ? type.lower : type.upper) = bound;
    } else {
      throw bad();
    }
  }
  if (first) throw std::invalid_argument("value type " + in_quotes(text) + " names no kind");
  return type;
}

std::span<const ValueTypeEntry> project_value_types() {
  return kTable;
}

std::optional<ValueType> value_type_of(std::string_view prog_id, const forms::Control& control) {
  // Parsed once; a mistake in the table is a fault of the build, found by
  // the tests.
  static const std::map<std::pair<std::string, std::string>, ValueType, std::less<>> table = [] {
    std::map<std::pair<std::string, std::string>, ValueType, std::less<>> parsed;
    for (const ValueTypeEntry& entry : kTable) {
      parsed[{std::string(kPagePrefix) + std::string(entry.page_class),
              std::string(entry.control)}] = parse_value_type(entry.type);
    }
    return parsed;
  }();
  const auto found = table.find(std::make_pair(std::string(prog_id), control.name()));
  if (found != table.end()) return found->second;
  if (!control.value_type().empty()) return parse_value_type(control.value_type());
  return std::nullopt;
}

std::optional<std::string> check_value(const ValueType& type, std::string_view text,
                                       std::span<const std::string> items) {
  if (text.empty()) return std::nullopt;
  // A valid value with spaces around it ("name@example.org "): say so rather
  // than that it is no value at all. Numbers, dates and code lists say it
  // their own way.
  if (type.kind == Kind::Boolean || type.kind == Kind::Measure || type.kind == Kind::Email) {
    const std::string_view inner = trim(text);
    if (inner != text && !inner.empty() && !check_value(type, inner, items)) {
      return "has spaces around it: write " + in_quotes(inner) + " alone";
    }
  }
  switch (type.kind) {
    case Kind::Text:
      return std::nullopt;
    case Kind::Integer:
    case Kind::Decimal:
    case Kind::Real:
    case Kind::Latitude:
    case Kind::Longitude:
      return check_number(type, text);
    case Kind::Date:
    case Kind::DateTime:
      return check_when(type.kind, text);
    case Kind::Boolean:
      if (text == "true" || text == "false") return std::nullopt;
      return "is not a yes or no as ISO writes it: expected true or false";
    case Kind::Measure: {
      const auto space = text.find(' ');
      const std::string_view unit = space == std::string_view::npos ? "" : text.substr(space + 1);
      if (space != std::string_view::npos && is_real(text.substr(0, space)) && is_unit(unit)) {
        return std::nullopt;
      }
      return "is not a measure: expected a number, a space and its unit, like 1.5 m or 1.5 "
             "urn:ogc:def:uom:EPSG::9001";
    }
    case Kind::Email:
      if (is_email(text)) return std::nullopt;
      return "is not an e-mail address: expected one like name@example.org";
    case Kind::Base64:
      if (is_base64(text)) return std::nullopt;
      return "is not Base64 data: this value is the content of the file, encoded as Base64, not "
             "its name";
    case Kind::CodeList:
      return check_code(type, text, items);
  }
  return std::nullopt;
}

// ---- Problems

std::string_view to_string(Problem::Kind kind) {
  switch (kind) {
    case Problem::Kind::Value:
      return "value";
    case Problem::Kind::List:
      return "list";
    case Problem::Kind::Missing:
      return "missing";
    case Problem::Kind::Order:
      return "order";
    case Problem::Kind::Schema:
      return "schema";
    case Problem::Kind::Export:
      return "export";
    case Problem::Kind::Page:
      return "page";
  }
  return "problem";
}

Json problems_json(std::span<const Problem> problems) {
  Json list = Json::array();
  for (const Problem& p : problems) {
    Json item;
    item["page"] = p.page ? Json{{"uniqueName", p.page->unique_name}, {"title", p.page->title}}
                          : Json(nullptr);
    item["control"] = p.control.empty() ? Json(nullptr) : Json(p.control);
    item["value"] = p.value ? Json(*p.value) : Json(nullptr);
    item["kind"] = to_string(p.kind);
    item["message"] = p.message;
    if (!p.path.empty()) item["path"] = p.path;
    list.push_back(std::move(item));
  }
  return list;
}

std::string problems_text(std::span<const Problem> problems) {
  std::string text;
  for (const Problem& p : problems) {
    std::string where = p.page
                            ? platform::shown(p.page->unique_name) + " " + in_quotes(p.page->title)
                            : std::string("the record");
    if (!p.control.empty()) where += ", " + platform::shown(p.control);
    if (!p.path.empty()) where += " at " + platform::shown(p.path);
    if (p.value) where += " " + in_quotes(*p.value);
    text += where + ": " + p.message + "\n";
  }
  return text;
}

// ---- Pages

std::vector<Problem> page_problems(const PageRef& page, std::string_view prog_id,
                                   const forms::Form& form) {
  std::vector<Problem> problems;
  const auto text_of = [&](std::string_view name) -> const std::string* {
    const forms::Control* control = form.find(name);
    return control && control->has_text() ? &control->text() : nullptr;
  };
  for (const auto& control : form.controls()) {
    if (!control->has_text()) continue;
    const std::optional<ValueType> type = value_type_of(prog_id, *control);
    if (!type) continue;
    const std::string& text = control->text();
    const auto add = [&](Problem::Kind kind, std::string message) {
      problems.push_back({kind, page, control->name(), text, std::move(message), {}});
    };
    if (blank(text)) {
      const bool with_others = std::any_of(type->required_with.begin(), type->required_with.end(),
                                           [&](const std::string& other) {
                                             const std::string* other_text = text_of(other);
                                             return other_text && !blank(*other_text);
                                           });
      if (type->required) {
        add(Problem::Kind::Missing, "is required: the page marks this value as mandatory");
      } else if (with_others) {
        add(Problem::Kind::Missing, "is required once the other values beside it are given");
      } else if (!text.empty() && type->kind != Kind::Text) {
        // Spaces alone are no value, and not a valid one either.
        add(type->kind == Kind::CodeList ? Problem::Kind::List : Problem::Kind::Value,
            "holds spaces alone: clear it, or give a value");
      }
      if (blank(text)) continue;
    }
    if (type->lines) {
      // Each line is told on its own, with its own text.
      for (const std::string& line : split(text, '\n')) {
        if (blank(line)) continue;
        if (auto message = check_value(*type, line, control->items())) {
          problems.push_back(
              {type->kind == Kind::CodeList ? Problem::Kind::List : Problem::Kind::Value,
               page,
               control->name(),
               line,
               std::move(*message),
               {}});
        }
      }
      continue;
    }
    if (auto message = check_value(*type, text, control->items())) {
      add(type->kind == Kind::CodeList ? Problem::Kind::List : Problem::Kind::Value,
          std::move(*message));
      continue;
    }
    if (!type->not_below.empty()) {
      const std::string* other = text_of(type->not_below);
      if (other && !blank(*other) && !check_value(*type, *other, control->items()) &&
          less_than(type->kind, text, *other)) {
        const bool dates = type->kind == Kind::Date || type->kind == Kind::DateTime;
        add(Problem::Kind::Order, std::string("must not be ") + (dates ? "earlier" : "less") +
                                      " than " + platform::shown(type->not_below) + ", " +
                                      in_quotes(*other));
      }
    }
  }
  return problems;
}

std::vector<Problem> page_problems(const OpenPage& page) {
  std::string title = page.short_title();
  if (title.empty()) title = page.title();
  if (title.empty()) title = page.unique_name();
  return page_problems({page.unique_name(), title}, page.prog_id(), page.form());
}

// ---- Obligations

std::vector<Problem> obligation_problems(IMetadataValues& document,
                                         std::span<const EntryState> pages) {
  std::vector<Problem> problems;
  for (const Obligation& obligation : kObligations) {
    const bool met =
        std::any_of(obligation.paths.begin(), obligation.paths.end(),
                    [&](std::string_view path) { return !blank(first_text(document, path)); });
    if (met) continue;
    Problem problem{Problem::Kind::Missing,
                    std::nullopt,
                    {},
                    std::nullopt,
                    std::string(obligation.message),
                    {}};
    for (const Place& place : obligation.where) {
      const auto entry = std::find_if(pages.begin(), pages.end(), [&](const EntryState& e) {
        return e.prog_id == place.prog_id;
      });
      if (entry == pages.end()) continue;
      problem.page = PageRef{entry->unique_name, entry->title};
      problem.control = place.control;
      problem.value = first_text(document, obligation.paths.front());
      break;
    }
    problems.push_back(std::move(problem));
  }
  return problems;
}

// ---- The whole item

std::vector<Problem> item_problems(EditingSession& session, const IsoSchemas* schemas,
                                   RecordFormat format) {
  std::vector<Problem> problems;
  std::vector<EntryState> pages;
  // The pages read a copy: whatever one does on loading stays away from the
  // item.
  const auto copy = session.document().copy();
  for (const auto& book : session.tree().books()) {
    for (const auto& entry : book->entries()) {
      EntryState state{entry->unique_name(), entry->prog_id(), entry->unique_name(), true,
                       std::nullopt};
      try {
        OpenPage page(entry->unique_name(), entry->prog_id());
        page.load(copy.get(), &session.tree());
        std::string title = page.short_title();
        if (title.empty()) title = page.title();
        if (!title.empty()) state.title = std::move(title);
        state.completed = page.completed();
        const std::vector<Problem> found =
            page_problems({state.unique_name, state.title}, state.prog_id, page.form());
        problems.insert(problems.end(), found.begin(), found.end());
      } catch (const std::exception& e) {
        state.failure = e.what();
        problems.push_back({Problem::Kind::Page,
                            PageRef{state.unique_name, state.title},
                            {},
                            std::nullopt,
                            std::string("the page could not be loaded to be checked: ") + e.what(),
                            {}});
      }
      pages.push_back(std::move(state));
    }
  }
  // One problem a place: an obligation a page already reports as missing is
  // told once.
  for (Problem& obligation : obligation_problems(*copy.get(), pages)) {
    const bool told = std::any_of(problems.begin(), problems.end(), [&](const Problem& p) {
      return obligation.page && p.page == obligation.page && p.control == obligation.control;
    });
    if (!told) problems.push_back(std::move(obligation));
  }
  if (schemas != nullptr) {
    for (Problem& exported : export_problems(session.item(), *schemas, format)) {
      const bool told =
          exported.value && std::any_of(problems.begin(), problems.end(), [&](const Problem& p) {
            return p.page && p.value == exported.value;
          });
      if (!told) problems.push_back(std::move(exported));
    }
  }
  return problems;
}

}  // namespace tw::host
