#pragma once
// What a host page holds between LoadPage and UnloadPage: the values of its
// fields as loaded and as the user left them, and the entries of its lists,
// each with the position its element had in the document. UnloadPage
// arranges the repeated elements to the lists' order (IMetadataElements)
// and writes only the values that differ from what was loaded.

#include <string>
#include <string_view>
#include <vector>

#include "tidewise/com/object.h"
#include "tidewise/pages/page.h"

namespace tw::pages {

class Record {
 public:
  Record(Page& page, forms::Form& form, bool& changed);

  void load(host::IMetadataValues* document);
  // Writes what the user changed; the record then counts it as loaded.
  void unload(host::IMetadataValues* document);
  bool completed() const;

 private:
  struct Access;
  struct Entries;

  struct Entry {
    std::string kind;        // its element's name, in a list of several kinds
    std::size_t origin = 0;  // the element's position among those of its name, from 1; 0: added
    std::vector<std::string> loaded, values;  // one a field of its list
    std::vector<Entries> children;            // one a list inside this one
  };
  // The elements of one name where a list's entries stand.
  struct Group {
    std::string kind;                    // empty in a list of one name
    std::vector<std::size_t> positions;  // of the entries' elements among all of that name
    std::size_t total = 0;               // elements of that name, entries or not
  };
  // One list's entries below one element (or the root).
  struct Entries {
    std::vector<Entry> entries;
    std::vector<Group> groups;  // one a kind; one in a list of one name
    int selected = -1;
  };

  const Repeat& repeat(std::size_t r) const { return data_.repeats[r]; }
  std::vector<std::size_t> children_of(std::size_t r) const;
  std::size_t child_slot(std::size_t r) const;  // its place among its parent's lists
  Entries no_entries(std::size_t r) const;      // a list with no entries, of each of its kinds
  std::vector<std::string> kinds_of(std::size_t r) const;  // {""} for a list of one name
  std::string list_path(std::size_t r, const std::string& parent, const std::string& kind) const;

  Entries load_list(Access& access, std::size_t r, const std::string& parent);
  void write_list(Access& access, std::size_t r, const std::string& parent, Entries& list);
  bool blank(const Entry& entry, std::size_t r) const;
  bool complete(const Entries& list, std::size_t r) const;

  std::string read(Access& access, const Field& field, const std::string& path) const;
  void write(Access& access, const Field& field, const std::string& path,
             const std::string& value) const;
  std::vector<std::string> stored_values(Access& access, const Field& field,
                                         const std::string& list_path) const;

  // The user's side: what a control shows, and showing a list.
  std::string value_of(const Field& field) const;
  void show_value(const Field& field, const std::string& value);
  Entries* current(std::size_t r);
  const Entries* current(std::size_t r) const;
  void show(std::size_t r);
  std::vector<std::string> captions(const Entries& list, std::size_t r) const;
  void refresh_list(std::size_t r);
  void taken(std::string_view control);
  void on_field(std::size_t r, std::size_t f);
  void on_button(std::size_t r, std::string_view which);
  void on_kind(std::size_t r);

  Page& page_;
  const PageData& data_;
  forms::Form& form_;
  bool& changed_;
  bool showing_ = false;             // the page sets its controls: their events are not the user's
  std::vector<std::string> loaded_;  // one a field of the page, outside the lists
  std::vector<Entries> top_;         // one a list; those inside another stay empty
};

}  // namespace tw::pages
