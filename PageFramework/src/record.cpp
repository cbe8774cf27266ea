#include "record.h"

#include <algorithm>

#include "tidewise/com/error.h"

namespace tw::pages {

using com::check;
using com::ComPtr;
using com::Variant;

// ---- Code lists in words

std::string WordList::words_of(std::string_view code) const {
  for (const Words& entry : entries_) {
    if (entry.code == code) return std::string(entry.words);
  }
  return std::string(code);
}

std::string WordList::code_of(std::string_view words) const {
  for (const Words& entry : entries_) {
    if (entry.words == words) return std::string(entry.code);
  }
  // "English" names the entry shown as "eng \u2014 English".
  constexpr std::string_view kDash = " \u2014 ";
  for (const Words& entry : entries_) {
    const std::string_view shown = entry.words;
    if (!words.empty() && shown.starts_with(entry.code) &&
        shown.substr(entry.code.size()).starts_with(kDash) &&
        shown.substr(entry.code.size() + kDash.size()) == words) {
      return std::string(entry.code);
    }
  }
  return std::string(words);
}

bool WordList::knows(std::string_view code) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const Words& entry) { return entry.code == code; });
}

std::vector<std::string> WordList::all_codes() const {
  std::vector<std::string> codes;
  for (const Words& entry : entries_) codes.emplace_back(entry.code);
  return codes;
}

std::vector<std::string> WordList::all_words() const {
  std::vector<std::string> words;
  for (const Words& entry : entries_) {
    // Two codes of one language read as the same words, listed once.
    if (std::find(words.begin(), words.end(), entry.words) == words.end()) {
      words.emplace_back(entry.words);
    }
  }
  return words;
}

namespace {

// Every step of the path names the first element of its name, as a write
// reaches it, except the last, which names them all: reads then agree with
// writes where an element repeats higher up (a second identification).
std::string all_of(std::string_view path) {
  std::string pinned;
  for (std::size_t start = 0;;) {
    const std::size_t slash = path.find('/', start);
    const std::string_view step =
        path.substr(start, slash == path.npos ? path.npos : slash - start);
    if (!pinned.empty()) pinned += '/';
    pinned += step;
    if (slash == path.npos) return pinned;
    if (step.find('[') == step.npos) pinned += "[1]";
    start = slash + 1;
  }
}

// Every step names the first element of its name: one element, where the
// fields of an entry start.
std::string first_of(std::string_view path) {
  if (path.empty()) return {};
  std::string pinned = all_of(path);
  if (!pinned.ends_with(']')) pinned += "[1]";
  return pinned;
}

// The element above the last step of a path.
std::string above(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == path.npos ? std::string() : path.substr(0, slash);
}

// A measure held as "number unit": its number, or its unit.
std::string part_of(std::string_view measure, bool unit) {
  const std::size_t space = measure.find(' ');
  if (space == measure.npos) return unit ? std::string() : std::string(measure);
  return std::string(unit ? measure.substr(space + 1) : measure.substr(0, space));
}

std::string below(const std::string& base, std::string_view path) {
  if (path.empty()) return base;
  return base.empty() ? std::string(path) : base + "/" + std::string(path);
}

std::string at(const std::string& list_path, std::size_t position) {
  return list_path + "[" + std::to_string(position) + "]";
}

// A box of lines as values: each line without its end, empty lines left out.
std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == text.npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!line.empty()) lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

Variant positions_variant(const std::vector<std::size_t>& order) {
  std::vector<Variant> values;
  values.reserve(order.size());
  for (std::size_t position : order)
    values.push_back(Variant::i4(static_cast<std::int32_t>(position)));
  return Variant::array(0, std::move(values));
}

bool in_order(const std::vector<std::size_t>& order, std::size_t total) {
  if (order.size() != total) return false;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (order[i] != i + 1) return false;
  }
  return true;
}

}  // namespace

// The document as one member call sees it.
struct Record::Access {
  host::IMetadataValues* values;
  ComPtr<host::IMetadataXml> xml;
  ComPtr<host::IMetadataElements> elements;

  explicit Access(host::IMetadataValues* document) : values(document) {
    if (values == nullptr) com::raise(com::E_POINTER, "no metadata document");
    const ComPtr<host::IMetadataValues> held(values);
    xml = held.as<host::IMetadataXml>();
    elements = held.as<host::IMetadataElements>();
  }

  std::size_t count(const std::string& path) {
    std::int32_t n = 0;
    check(elements->CountElements(path, &n), "IMetadataElements.CountElements");
    return n < 0 ? 0 : static_cast<std::size_t>(n);
  }
  void arrange(const std::string& path, const std::vector<std::size_t>& order) {
    check(elements->ArrangeElements(path, positions_variant(order)),
          "IMetadataElements.ArrangeElements");
  }
};

Record::Record(Page& page, forms::Form& form, bool& changed)
    : page_(page), data_(page.data()), form_(form), changed_(changed) {
  const auto words_for = [&](const Field& field) {
    if (field.words == nullptr) return;
    forms::Control& control = form_.get(field.control);
    if (control.kind() == forms::Kind::ComboBox || field.kind == FieldKind::Checked) {
      control.set_items(field.words->all_words());
    }
  };
  for (const Field& field : data_.fields) {
    words_for(field);
    const auto take = [this, &field] {
      if (showing_) return;
      changed_ = true;
      taken(field.control);
    };
    form_.get(field.control).on_change(take);
    form_.get(field.control).on_click(take);
    if (field.kind == FieldKind::Flag) form_.get(field.unselected).on_click(take);
  }
  for (std::size_t r = 0; r < data_.repeats.size(); ++r) top_.push_back(no_entries(r));
  for (std::size_t r = 0; r < data_.repeats.size(); ++r) {
    const Repeat& list = repeat(r);
    for (std::size_t f = 0; f < list.fields.size(); ++f) {
      words_for(list.fields[f]);
      forms::Control& control = form_.get(list.fields[f].control);
      control.on_change([this, r, f] { on_field(r, f); });
      control.on_click([this, r, f] { on_field(r, f); });
      if (list.fields[f].kind == FieldKind::Flag) {
        form_.get(list.fields[f].unselected).on_click([this, r, f] { on_field(r, f); });
      }
    }
    if (list.kinds != nullptr) {
      forms::Control& kind = form_.get(list.kind);
      kind.set_items(list.kinds->all_words());
      kind.on_change([this, r] { on_kind(r); });
      kind.on_click([this, r] { on_kind(r); });
    }
    form_.get(list.list).on_click([this, r] {
      if (showing_) return;
      if (Entries* entries = current(r)) {
        entries->selected = form_.get(repeat(r).list).list_index();
        show(r);
      }
      taken(repeat(r).list);
    });
    for (const std::string_view button : {list.add, list.remove, list.up, list.down}) {
      if (button.empty()) continue;
      form_.get(button).on_click([this, r, button] { on_button(r, button); });
    }
  }
  for (const std::string_view name : data_.actions) {
    const auto take = [this, name] {
      if (!showing_) taken(name);
    };
    form_.get(name).on_change(take);
    form_.get(name).on_click(take);
  }
  for (std::size_t r = 0; r < data_.repeats.size(); ++r) {
    if (repeat(r).parent.empty()) show(r);
  }
}

std::vector<std::size_t> Record::children_of(std::size_t r) const {
  std::vector<std::size_t> children;
  for (std::size_t c = 0; c < data_.repeats.size(); ++c) {
    if (repeat(c).parent == repeat(r).list) children.push_back(c);
  }
  return children;
}

std::size_t Record::child_slot(std::size_t r) const {
  std::size_t slot = 0;
  for (std::size_t c = 0; c < r; ++c) {
    if (repeat(c).parent == repeat(r).parent) ++slot;
  }
  return slot;
}

Record::Entries Record::no_entries(std::size_t r) const {
  Entries none;
  for (const std::string& kind : kinds_of(r)) none.groups.push_back(Group{kind, {}, 0});
  return none;
}

std::vector<std::string> Record::kinds_of(std::size_t r) const {
  if (repeat(r).kinds == nullptr) return {std::string()};
  return repeat(r).kinds->all_codes();
}

std::string Record::list_path(std::size_t r, const std::string& parent,
                              const std::string& kind) const {
  const Repeat& list = repeat(r);
  if (list.kinds == nullptr) return below(parent, all_of(list.path));
  return below(parent, all_of(list.path.empty() ? kind : std::string(list.path) + "/" + kind));
}

// ---- The document

std::vector<std::string> Record::stored_values(Access& access, const Field& field,
                                               const std::string& list_path) const {
  std::vector<std::string> values;
  const std::size_t count = access.count(list_path);
  for (std::size_t k = 1; k <= count; ++k) {
    const std::string path = below(at(list_path, k), field.sub.empty() ? "" : all_of(field.sub));
    std::string value =
        field.attribute.empty()
            ? ReadText(path, access.values)
            : ReadAttributeText(path, std::string(field.attribute), access.xml.get());
    if (value.empty() && field.or_text) value = ReadText(at(list_path, k), access.values);
    values.push_back(std::move(value));
  }
  return values;
}

std::string Record::read(Access& access, const Field& field, const std::string& path) const {
  const auto shown = [&](const std::string& code) {
    return field.words ? field.words->words_of(code) : code;
  };
  switch (field.kind) {
    case FieldKind::Text:
      return ReadText(path, access.values);
    case FieldKind::Words:
      return shown(ReadText(path, access.values));
    case FieldKind::WordsAt: {
      std::string code = ReadAttributeText(path, "value", access.xml.get());
      if (code.empty() && field.or_text) code = ReadText(above(path), access.values);
      return shown(code);
    }
    case FieldKind::Attribute:
      return ReadAttributeText(path, std::string(field.attribute), access.xml.get());
    case FieldKind::Amount:
    case FieldKind::Unit:
      return part_of(ReadText(path, access.values), field.kind == FieldKind::Unit);
    case FieldKind::Flag: {
      // A Boolean the option buttons cannot show stays as it is.
      std::string flag = ReadText(path, access.values);
      return flag == "true" || flag == "false" ? flag : std::string();
    }
    case FieldKind::Lines:
    case FieldKind::Checked: {
      std::vector<std::string> values;
      for (const std::string& code : stored_values(access, field, all_of(path))) {
        if (!code.empty()) values.push_back(shown(code));
      }
      return joined(values);
    }
    case FieldKind::TaggedText:
    case FieldKind::Code:
      break;
  }
  com::raise(com::E_NOTIMPL, "a host page field of this kind is not supported");
}

void Record::write(Access& access, const Field& field, const std::string& path,
                   const std::string& value) const {
  form_.get(field.control).bind(path);
  const auto stored = [&](const std::string& shown) {
    return field.words ? field.words->code_of(shown) : shown;
  };
  switch (field.kind) {
    case FieldKind::Text:
      check(access.values->WriteValue(path, Variant::str(value)), "IMetadataValues.WriteValue");
      return;
    case FieldKind::Words:
      check(access.values->WriteValue(path, Variant::str(stored(value))),
            "IMetadataValues.WriteValue");
      return;
    case FieldKind::WordsAt:
      // A code given as text stays text.
      if (field.or_text && ReadAttributeText(path, "value", access.xml.get()).empty() &&
          !ReadText(above(path), access.values).empty()) {
        check(access.values->WriteValue(above(path), Variant::str(stored(value))),
              "IMetadataValues.WriteValue");
        return;
      }
      check(access.xml->WriteAttribute(path, "value", Variant::str(stored(value)), 2),
            "IMetadataXml.WriteAttribute");
      return;
    case FieldKind::Amount:
    case FieldKind::Unit: {
      // The other part as the document holds it now: the two parts of one
      // measure are written one after the other.
      const std::string held = ReadText(path, access.values);
      const bool unit = field.kind == FieldKind::Unit;
      const std::string number = unit ? part_of(held, false) : value;
      const std::string other = unit ? value : part_of(held, true);
      const std::string measure = other.empty() ? number : number + " " + other;
      check(access.values->WriteValue(path, Variant::str(measure)), "IMetadataValues.WriteValue");
      return;
    }
    case FieldKind::Attribute:
      check(access.xml->WriteAttribute(path, std::string(field.attribute), Variant::str(value), 2),
            "IMetadataXml.WriteAttribute");
      return;
    case FieldKind::Flag:
      check(access.values->WriteValue(path, Variant::str(value)), "IMetadataValues.WriteValue");
      return;
    case FieldKind::Lines:
    case FieldKind::Checked: {
      const std::string list_path = all_of(path);
      const std::vector<std::string> old = stored_values(access, field, list_path);
      std::vector<std::string> wanted;
      for (const std::string& line : lines_of(value)) wanted.push_back(stored(line));
      std::vector<bool> used(old.size(), false);
      std::vector<std::size_t> order;
      std::vector<std::string> added;  // the values of the new elements, in order
      if (field.kind == FieldKind::Checked) {
        // What the list cannot show (a code outside it, an empty one) stays.
        for (std::size_t k = 0; k < old.size(); ++k) {
          const bool kept = !field.words || !field.words->knows(old[k]) ||
                            std::find(wanted.begin(), wanted.end(), old[k]) != wanted.end();
          if (kept) order.push_back(k + 1), used[k] = true;
        }
        for (const std::string& code : wanted) {
          if (std::find(old.begin(), old.end(), code) == old.end()) {
            order.push_back(0), added.push_back(code);
          }
        }
      } else {
        // An unchanged line keeps its element, and what that element holds
        // besides its text.
        for (const std::string& line : wanted) {
          std::size_t k = 0;
          while (k < old.size() && (used[k] || old[k] != line)) ++k;
          if (k < old.size()) {
            used[k] = true;
            order.push_back(k + 1);
          } else {
            order.push_back(0), added.push_back(line);
          }
        }
      }
      if (!in_order(order, old.size())) access.arrange(list_path, order);
      std::size_t next = 0;
      for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] != 0) continue;
        const std::string element =
            below(at(list_path, i + 1), field.sub.empty() ? "" : all_of(field.sub));
        const std::string& code = added[next++];
        if (field.attribute.empty()) {
          check(access.values->WriteValue(element, Variant::str(code)),
                "IMetadataValues.WriteValue");
        } else {
          check(access.xml->WriteAttribute(element, std::string(field.attribute),
                                           Variant::str(code), 2),
                "IMetadataXml.WriteAttribute");
        }
      }
      return;
    }
    case FieldKind::TaggedText:
    case FieldKind::Code:
      break;
  }
  com::raise(com::E_NOTIMPL, "a host page field of this kind is not supported");
}

Record::Entries Record::load_list(Access& access, std::size_t r, const std::string& parent) {
  const Repeat& list = repeat(r);
  const std::vector<std::size_t> children = children_of(r);
  Entries loaded;
  for (const std::string& kind : kinds_of(r)) {
    const std::string path = list_path(r, parent, kind);
    Group& group = loaded.groups.emplace_back(Group{kind, {}, access.count(path)});
    for (std::size_t k = 1; k <= group.total; ++k) {
      const std::string element = at(path, k);
      if (!list.holding.empty() && access.count(element + "/" + std::string(list.holding)) == 0) {
        continue;
      }
      Entry entry;
      entry.kind = kind;
      entry.origin = k;
      const std::string fields = below(element, first_of(list.within));
      for (const Field& field : list.fields) {
        entry.values.push_back(read(access, field, below(fields, field.path)));
      }
      entry.loaded = entry.values;
      for (const std::size_t c : children) entry.children.push_back(load_list(access, c, element));
      loaded.entries.push_back(std::move(entry));
      group.positions.push_back(k);
    }
  }
  loaded.selected = loaded.entries.empty() ? -1 : 0;
  return loaded;
}

bool Record::blank(const Entry& entry, std::size_t r) const {
  if (std::any_of(entry.values.begin(), entry.values.end(),
                  [](const std::string& value) { return !value.empty(); })) {
    return false;
  }
  const std::vector<std::size_t> children = children_of(r);
  for (std::size_t i = 0; i < children.size(); ++i) {
    for (const Entry& child : entry.children[i].entries) {
      if (!blank(child, children[i])) return false;
    }
  }
  return true;
}

void Record::write_list(Access& access, std::size_t r, const std::string& parent, Entries& list) {
  const Repeat& repeated = repeat(r);
  // An entry added and left empty makes no element.
  std::erase_if(list.entries,
                [&](const Entry& entry) { return entry.origin == 0 && blank(entry, r); });
  list.selected = std::min<int>(list.selected, static_cast<int>(list.entries.size()) - 1);

  const std::vector<std::size_t> children = children_of(r);
  for (Group& group : list.groups) {
    const std::string path = list_path(r, parent, group.kind);
    std::vector<Entry*> entries;  // of this group's name, in the list's order
    for (Entry& entry : list.entries) {
      if (entry.kind == group.kind) entries.push_back(&entry);
    }
    // The entries take the places of the elements that were entries; the
    // other elements of the name keep theirs.
    std::vector<std::size_t> order;
    std::vector<std::size_t> placed(entries.size(), 0);
    std::size_t next = 0;
    for (std::size_t k = 1; k <= group.total; ++k) {
      const bool was_entry =
          std::find(group.positions.begin(), group.positions.end(), k) != group.positions.end();
      if (!was_entry) {
        order.push_back(k);
      } else if (next < entries.size()) {
        order.push_back(entries[next]->origin);
        placed[next++] = order.size();
      }
    }
    while (next < entries.size()) {
      order.push_back(entries[next]->origin);
      placed[next++] = order.size();
    }
    if (!in_order(order, group.total)) access.arrange(path, order);

    for (std::size_t j = 0; j < entries.size(); ++j) {
      Entry& entry = *entries[j];
      const std::string element = at(path, placed[j]);
      const std::string fields = below(element, first_of(repeated.within));
      for (std::size_t f = 0; f < repeated.fields.size(); ++f) {
        if (entry.values[f] != entry.loaded[f]) {
          write(access, repeated.fields[f], below(fields, repeated.fields[f].path),
                entry.values[f]);
        }
      }
      for (std::size_t i = 0; i < children.size(); ++i) {
        write_list(access, children[i], element, entry.children[i]);
      }
      entry.origin = placed[j];
      entry.loaded = entry.values;
    }
    group.positions = placed;
    group.total = order.size();
  }
}

void Record::load(host::IMetadataValues* document) {
  Access access(document);
  loaded_.clear();
  for (const Field& field : data_.fields)
    loaded_.push_back(read(access, field, std::string(field.path)));
  for (std::size_t r = 0; r < data_.repeats.size(); ++r) {
    top_[r] = repeat(r).parent.empty() ? load_list(access, r, {}) : no_entries(r);
  }
  showing_ = true;
  for (std::size_t f = 0; f < data_.fields.size(); ++f) show_value(data_.fields[f], loaded_[f]);
  showing_ = false;
  for (std::size_t r = 0; r < data_.repeats.size(); ++r) {
    if (repeat(r).parent.empty()) show(r);
  }
  changed_ = false;
  taken({});
}

void Record::unload(host::IMetadataValues* document) {
  if (!changed_) return;
  Access access(document);
  if (data_.update_flag) {
    check(access.xml->SetUpdateFlag(com::VARIANT_TRUE), "IMetadataXml.SetUpdateFlag");
  }
  for (std::size_t f = 0; f < data_.fields.size(); ++f) {
    const Field& field = data_.fields[f];
    const std::string value = value_of(field);
    if (value != loaded_[f]) {
      write(access, field, std::string(field.path), value);
      loaded_[f] = value;
    }
  }
  for (std::size_t r = 0; r < data_.repeats.size(); ++r) {
    if (repeat(r).parent.empty()) write_list(access, r, {}, top_[r]);
  }
  for (std::size_t r = 0; r < data_.repeats.size(); ++r) {
    if (repeat(r).parent.empty()) show(r);
  }
}

// ---- Completed: what ISO requires of what the page shows

bool Record::complete(const Entries& list, std::size_t r) const {
  const Repeat& repeated = repeat(r);
  if (list.entries.size() < repeated.at_least) return false;
  const std::vector<std::size_t> children = children_of(r);
  for (const Entry& entry : list.entries) {
    for (std::size_t f = 0; f < repeated.fields.size(); ++f) {
      if (repeated.fields[f].required && entry.values[f].empty()) return false;
    }
    if (!repeated.one_of.empty()) {
      bool any = false;
      for (std::size_t f = 0; f < repeated.fields.size(); ++f) {
        const auto& names = repeated.one_of;
        if (std::find(names.begin(), names.end(), repeated.fields[f].control) != names.end()) {
          any = any || !entry.values[f].empty();
        }
      }
      if (!any) return false;
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
      if (!complete(entry.children[i], children[i])) return false;
    }
  }
  return true;
}

bool Record::completed() const {
  for (const Field& field : data_.fields) {
    if (field.required && value_of(field).empty()) return false;
  }
  for (std::size_t r = 0; r < data_.repeats.size(); ++r) {
    if (repeat(r).parent.empty() && !complete(top_[r], r)) return false;
  }
  return true;
}

// ---- The user's side

std::string Record::value_of(const Field& field) const {
  const forms::Control& control = form_.get(field.control);
  if (field.kind == FieldKind::Checked) {
    std::vector<std::string> checked;
    for (std::size_t i = 0; i < control.items().size(); ++i) {
      if (control.checked(i)) checked.push_back(control.items()[i]);
    }
    return joined(checked);
  }
  if (field.kind == FieldKind::Lines) return joined(lines_of(control.text()));
  if (field.kind == FieldKind::Flag) {
    if (control.value() != 0) return "true";
    return form_.get(field.unselected).value() != 0 ? "false" : "";
  }
  return control.text();
}

void Record::show_value(const Field& field, const std::string& value) {
  forms::Control& control = form_.get(field.control);
  if (field.kind == FieldKind::Checked) {
    const std::vector<std::string> checked = lines_of(value);
    for (std::size_t i = 0; i < control.items().size(); ++i) {
      const bool on =
          std::find(checked.begin(), checked.end(), control.items()[i]) != checked.end();
      if (control.checked(i) != on) control.set_checked(i, on);
    }
    return;
  }
  if (field.kind == FieldKind::Flag) {
    control.set_value(value == "true" ? 1 : 0);
    form_.get(field.unselected).set_value(value == "false" ? 1 : 0);
    return;
  }
  control.set_text(value);
}

const Record::Entries* Record::current(std::size_t r) const {
  const Repeat& list = repeat(r);
  if (list.parent.empty()) return &top_[r];
  for (std::size_t p = 0; p < data_.repeats.size(); ++p) {
    if (repeat(p).list != list.parent) continue;
    const Entries* parent = current(p);
    if (parent == nullptr || parent->selected < 0) return nullptr;
    return &parent->entries[static_cast<std::size_t>(parent->selected)].children[child_slot(r)];
  }
  return nullptr;
}

Record::Entries* Record::current(std::size_t r) {
  return const_cast<Entries*>(std::as_const(*this).current(r));
}

std::vector<std::string> Record::captions(const Entries& list, std::size_t r) const {
  const Repeat& repeated = repeat(r);
  std::vector<std::string> items;
  for (std::size_t j = 0; j < list.entries.size(); ++j) {
    std::string caption;
    for (const std::string_view name : repeated.caption) {
      if (repeated.kinds != nullptr && name == repeated.kind) {
        caption +=
            (caption.empty() ? "" : " \u2014 ") + repeated.kinds->words_of(list.entries[j].kind);
      }
      for (std::size_t f = 0; f < repeated.fields.size(); ++f) {
        if (repeated.fields[f].control != name) continue;
        // The first line of a box of lines, and one line of a caption.
        const std::vector<std::string> lines = lines_of(list.entries[j].values[f]);
        if (lines.empty()) continue;
        caption += (caption.empty() ? "" : " \u2014 ") + lines.front();
      }
    }
    if (caption.empty()) caption = std::string(repeated.entry_name) + " " + std::to_string(j + 1);
    items.push_back(std::move(caption));
  }
  return items;
}

void Record::refresh_list(std::size_t r) {
  const Repeat& repeated = repeat(r);
  const Entries* list = current(r);
  form_.get(repeated.list).set_items(list ? captions(*list, r) : std::vector<std::string>{});
  if (repeated.map.empty()) return;
  // The map shows every entry's box; its links name the fields that hold them.
  forms::Control& map = form_.get(repeated.map);
  std::vector<std::string> boxes;
  for (std::size_t j = 0; list != nullptr && j < list->entries.size(); ++j) {
    std::string box;
    for (const std::string& link : map.links()) {
      for (std::size_t f = 0; f < repeated.fields.size(); ++f) {
        if (repeated.fields[f].control == link) {
          box += (box.empty() ? "" : " ") + list->entries[j].values[f];
        }
      }
    }
    boxes.push_back(std::move(box));
  }
  map.set_items(std::move(boxes));
  if (list != nullptr) map.select(list->selected);
}

void Record::show(std::size_t r) {
  const Repeat& repeated = repeat(r);
  Entries* list = current(r);
  const Entry* entry = list != nullptr && list->selected >= 0
                           ? &list->entries[static_cast<std::size_t>(list->selected)]
                           : nullptr;
  showing_ = true;
  refresh_list(r);
  forms::Control& box = form_.get(repeated.list);
  box.select(list != nullptr ? list->selected : -1);
  box.set_enabled(list != nullptr);
  const auto enable = [&](std::string_view button, bool on) {
    if (!button.empty()) form_.get(button).set_enabled(on);
  };
  const int size = list != nullptr ? static_cast<int>(list->entries.size()) : 0;
  const int selected = list != nullptr ? list->selected : -1;
  enable(repeated.add, list != nullptr);
  enable(repeated.remove, selected >= 0);
  enable(repeated.up, selected > 0);
  enable(repeated.down, selected >= 0 && selected + 1 < size);
  for (std::size_t f = 0; f < repeated.fields.size(); ++f) {
    const Field& field = repeated.fields[f];
    show_value(field, entry != nullptr ? entry->values[f] : std::string());
    const bool open = entry != nullptr && (field.of_kind.empty() || field.of_kind == entry->kind);
    form_.get(field.control).set_enabled(open);
    if (field.kind == FieldKind::Flag) form_.get(field.unselected).set_enabled(open);
  }
  if (repeated.kinds != nullptr) {
    // The kind of an element once written is its name, which stays.
    forms::Control& kind = form_.get(repeated.kind);
    kind.set_text(entry != nullptr ? repeated.kinds->words_of(entry->kind) : std::string());
    kind.set_enabled(entry != nullptr && entry->origin == 0);
  }
  showing_ = false;
  for (const std::size_t c : children_of(r)) show(c);
}

void Record::taken(std::string_view control) {
  if (data_.on_event != nullptr) data_.on_event(page_, control);
}

void Record::on_field(std::size_t r, std::size_t f) {
  if (showing_) return;
  Entries* list = current(r);
  const Field& field = repeat(r).fields[f];
  if (list != nullptr && list->selected >= 0) {
    list->entries[static_cast<std::size_t>(list->selected)].values[f] = value_of(field);
    changed_ = true;
    showing_ = true;
    refresh_list(r);
    showing_ = false;
  }
  taken(field.control);
}

void Record::on_kind(std::size_t r) {
  if (showing_) return;
  const Repeat& repeated = repeat(r);
  Entries* list = current(r);
  if (list == nullptr || list->selected < 0) return;
  Entry& entry = list->entries[static_cast<std::size_t>(list->selected)];
  const std::string kind = repeated.kinds->code_of(form_.get(repeated.kind).text());
  // Text that names no kind leaves the entry's kind as it was.
  if (entry.origin != 0 || !repeated.kinds->knows(kind) || kind == entry.kind) return;
  entry.kind = kind;
  // What only another kind has goes with it.
  for (std::size_t f = 0; f < repeated.fields.size(); ++f) {
    if (!repeated.fields[f].of_kind.empty() && repeated.fields[f].of_kind != kind) {
      entry.values[f].clear();
    }
  }
  changed_ = true;
  show(r);
  taken(repeated.kind);
}

void Record::on_button(std::size_t r, std::string_view which) {
  if (showing_) return;
  const Repeat& repeated = repeat(r);
  Entries* list = current(r);
  if (list == nullptr) return;
  const auto selected = static_cast<std::size_t>(std::max(list->selected, 0));
  if (which == repeated.add) {
    Entry entry;
    entry.kind = kinds_of(r).front();
    entry.values.assign(repeated.fields.size(), {});
    entry.loaded = entry.values;
    for (const std::size_t c : children_of(r)) entry.children.push_back(no_entries(c));
    list->entries.push_back(std::move(entry));
    list->selected = static_cast<int>(list->entries.size()) - 1;
  } else {
    // Remove, up and down act on the selected entry.
    if (list->selected < 0) return;
    if (which == repeated.remove) {
      list->entries.erase(list->entries.begin() + static_cast<std::ptrdiff_t>(selected));
      list->selected = std::min(list->selected, static_cast<int>(list->entries.size()) - 1);
    } else if (which == repeated.up && selected > 0) {
      std::swap(list->entries[selected], list->entries[selected - 1]);
      --list->selected;
    } else if (which == repeated.down && selected + 1 < list->entries.size()) {
      std::swap(list->entries[selected], list->entries[selected + 1]);
      ++list->selected;
    } else {
      return;
    }
  }
  changed_ = true;
  show(r);
  taken(which);
}

}  // namespace tw::pages
