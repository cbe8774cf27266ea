// The host's metadata document on hostile input: an XML text, then
// operations separated by NUL bytes, each a letter and tab-separated fields:
//   r PATH               read the values
//   w PATH \t TEXT       write a value
//   a PATH \t NAME \t TEXT \t MODE   write an attribute
//   g PATH \t NAME       read an attribute
//   l XML                load another text
// Whatever the input, a value written reads back as written, before and
// after the document is written out and read again, and what the host
// writes out it can always read again: a saved item must never be lost.

#include <map>

#include "support.h"
#include "tidewise/com/error.h"
#include "tidewise/host/document.h"

namespace {

using tw::com::ComPtr;
using tw::com::Variant;
using tw::host::XmlMetadataDocument;

std::vector<std::string> fields(const std::string& op) {
  std::vector<std::string> out(1);
  for (std::size_t i = 1; i < op.size(); ++i) {
    if (op[i] == '\t' && out.size() < 4) {
      out.emplace_back();
    } else {
      out.back() += op[i];
    }
  }
  out.resize(4);
  return out;
}

std::optional<std::string> first(const Variant& values) {
  const tw::com::SafeArray* array = values.as_array();
  if (values.is_empty()) return std::nullopt;
  if (array == nullptr || array->elements.empty()) tw::fuzz::broken("a read gave no array");
  const std::string* text = array->elements.front().as_string();
  if (text == nullptr) tw::fuzz::broken("a read gave something other than text");
  return *text;
}

std::optional<std::string> read_value(XmlMetadataDocument& doc, const std::string& path) {
  Variant values;
  if (tw::com::failed(doc.ReadValues(path, &values))) tw::fuzz::broken("ReadValues failed", path);
  return first(values);
}

std::optional<std::string> read_attribute(XmlMetadataDocument& doc, const std::string& path,
                                          const std::string& name) {
  Variant values;
  if (tw::com::failed(doc.ReadAttribute(path, name, &values))) {
    tw::fuzz::broken("ReadAttribute failed", path);
  }
  return first(values);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tw::fuzz::quiet_private_home();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> parts = tw::fuzz::split(data, size, 64);
  const auto doc = tw::com::make_object<XmlMetadataDocument>();
  if (tw::com::failed(doc->LoadXmlText(parts[0]))) tw::com::ClearErrorInfo();

  std::map<std::string, std::string> values;
  std::map<std::pair<std::string, std::string>, std::string> attributes;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::string& op = parts[i];
    if (op.empty()) continue;
    const std::vector<std::string> f = fields(op);
    switch (op[0]) {
      case 'r':
        read_value(*doc.get(), f[0]);
        break;
      case 'g':
        read_attribute(*doc.get(), f[0], f[1]);
        break;
      case 'w':
        if (tw::com::succeeded(doc->WriteValue(f[0], Variant::str(f[1])))) {
          if (read_value(*doc.get(), f[0]) != f[1])
            tw::fuzz::broken("a value read back differs", f[1]);
          values[f[0]] = f[1];
        }
        break;
      case 'a':
        if (tw::com::succeeded(
                doc->WriteAttribute(f[0], f[1], Variant::str(f[2]), f[3] == "2" ? 2 : 1))) {
          if (read_attribute(*doc.get(), f[0], f[1]) != f[2]) {
            tw::fuzz::broken("an attribute read back differs", f[2]);
          }
          attributes[{f[0], f[1]}] = f[2];
        }
        break;
      case 'l':
        if (tw::com::succeeded(doc->LoadXmlText(op.substr(1)))) {
          values.clear();
          attributes.clear();
        }
        break;
      default:
        break;
    }
    tw::com::ClearErrorInfo();
  }

  // What the host writes out it reads again, with every value in place.
  const std::string text = doc->xml();
  const auto again = tw::com::make_object<XmlMetadataDocument>();
  try {
    again->load_text(text);
  } catch (const tw::com::Error& e) {
    tw::fuzz::broken("a document the host wrote cannot be read back", e.what());
  }
  for (const auto& [path, value] : values) {
    if (read_value(*again.get(), path) != value)
      tw::fuzz::broken("a value was lost in the file", path);
  }
  for (const auto& [key, value] : attributes) {
    if (read_attribute(*again.get(), key.first, key.second) != value) {
      tw::fuzz::broken("an attribute was lost in the file", key.first);
    }
  }
  return 0;
}
