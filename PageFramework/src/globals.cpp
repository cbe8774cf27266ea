#include "tidewise/pages/globals.h"

#include <algorithm>

#include "tidewise/com/error.h"

namespace tw::pages {

using com::check;
using com::ComPtr;
using com::IUnknown;
using com::Variant;

namespace {

// The element at the array's lower bound, or null when there is nothing to read.
const Variant* first_value(const Variant& result, std::string_view reader) {
  if (result.is_empty()) return nullptr;
  const com::SafeArray* array = result.as_array();
  if (array == nullptr) {
    com::raise(com::DISP_E_TYPEMISMATCH, std::string(reader) + ": the document returned a " +
                                             com::to_string(result.type()) +
                                             " where an array of values was expected");
  }
  // An empty array says, like Empty, that nothing is there.
  return array->elements.empty() ? nullptr : &array->elements.front();
}

}  // namespace

std::string ReadText(const std::string& path, host::IMetadataValues* document) {
  if (document == nullptr) com::raise(com::E_POINTER, "ReadText: no document");
  Variant result;
  check(document->ReadValues(path, &result), "IMetadataValues.ReadValues");
  const Variant* value = first_value(result, "ReadText");
  if (value == nullptr) return {};
  if (const std::string* text = value->as_string()) return *text;
  if (const std::int16_t* number = value->as_i2()) return std::to_string(*number);
  return {};
}

std::string ReadAttributeText(const std::string& path, const std::string& name,
                              host::IMetadataXml* document) {
  if (document == nullptr) com::raise(com::E_POINTER, "ReadAttributeText: no document");
  Variant result;
  check(document->ReadAttribute(path, name, &result), "IMetadataXml.ReadAttribute");
  const Variant* value = first_value(result, "ReadAttributeText");
  if (value == nullptr) return {};
  if (const std::string* text = value->as_string()) return *text;
  return {};
}

namespace {

ComPtr<host::IMetadataBook> get_book(host::IMetadataSections* tree, const std::string& key) {
  ComPtr<host::IMetadataBook> book;
  check(tree->GetBook(Variant::str(key), book.put()), "IMetadataSections.GetBook");
  if (!book) com::raise(com::E_POINTER, "IMetadataSections.GetBook returned no book");
  return book;
}

bool book_holds(host::IMetadataBook* book, const std::string& unique_name) {
  ComPtr<IUnknown> unknown;
  check(book->get__NewEnum(unknown.put()), "IMetadataBook._NewEnum");
  const auto entries = unknown.as<com::IEnumVARIANT>();
  for (;;) {
    Variant item;
    std::uint32_t fetched = 0;
    const com::HRESULT hr = entries->Next(1, &item, &fetched);
    check(hr, "IEnumVARIANT.Next");
    if (hr != com::S_OK || fetched == 0) return false;
    const ComPtr<IUnknown>* object = item.as_object();
    if (object == nullptr || !*object) {
      com::raise(com::DISP_E_TYPEMISMATCH, "a book entry is not an object");
    }
    const auto entry = object->as<host::IMetadataPageEntry>();
    std::string name;
    check(entry->get_UniqueName(&name), "IMetadataPageEntry.UniqueName");
    if (name == unique_name) return true;
  }
}

}  // namespace

void AddPageIfMissing(host::IMetadataSections* tree, const std::string& book_key,
                      const std::string& prog_id, const std::string& unique_name) {
  if (tree == nullptr) com::raise(com::E_POINTER, "AddPageIfMissing: no tree");
  if (book_holds(get_book(tree, book_key).get(), unique_name)) return;
  ComPtr<host::IMetadataPageEntry> added;
  check(get_book(tree, book_key)
            ->AddPage(prog_id, unique_name, Variant::i2(-1), Variant::i2(-1), added.put()),
        "IMetadataBook.AddPage");
}

std::string_view CodeList::label_of(std::string_view code) const {
  // Exactly three digits naming a position of the list; "1" or "0001" are not codes.
  if (code.size() == 3 &&
      std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const auto digit = [code](std::size_t i) { return static_cast<std::size_t>(code[i] - '0'); };
    const std::size_t n = digit(0) * 100 + digit(1) * 10 + digit(2);
    if (n >= 1 && n <= labels_.size()) return labels_[n - 1];
  }
  return labels_.front();
}

std::string CodeList::code_of(std::string_view label) const {
  const auto found = std::find(labels_.begin(), labels_.end(), label);
  const std::size_t n = found == labels_.end() ? 1 : (found - labels_.begin()) + 1;
  std::string code = "000";
  code[0] = static_cast<char>('0' + n / 100 % 10);
  code[1] = static_cast<char>('0' + n / 10 % 10);
  code[2] = static_cast<char>('0' + n % 10);
  return code;
}

std::string ScopeLabelToCode(const std::string& label) {
  return kScopeCodes.code_of(label);
}

std::string ScopeCodeToLabel(const std::string& code) {
  return std::string(kScopeCodes.label_of(code));
}

}  // namespace tw::pages
