#include "tidewise/host/records.h"

#include <libxml/xmlreader.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>

#include "tidewise/com/error.h"
#include "tidewise/host/item.h"
#include "tidewise/host/scratch.h"
#include "tidewise/host/session.h"

namespace tw::host {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGmd = "http://www.isotc211.org/2005/gmd";
constexpr std::string_view kGmi = "http://www.isotc211.org/2005/gmi";
constexpr std::string_view kGco = "http://www.isotc211.org/2005/gco";
constexpr std::string_view kTidewise = "http://www.tidewise.org/2026/iso19139-ext";
// ISO 19115-3, any version of its packages (mdb/1.0, mdb/2.0), and ours.
constexpr std::string_view kIso19115_3 = "http://standards.iso.org/iso/19115/-3/";
constexpr std::string_view kTidewise3 = "http://www.tidewise.org/2026/iso19115-3-ext";

// The package of an ISO 19115-3 namespace ("mdb"), empty for any other.
std::string_view package_of(std::string_view ns) {
  if (!ns.starts_with(kIso19115_3)) return {};
  const std::string_view rest = ns.substr(kIso19115_3.size());
  return rest.substr(0, rest.find('/'));
}

std::string_view view(const xmlChar* text) {
  return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

// What the importer takes for a record: gmd:MD_Metadata, gmi:MI_Metadata,
// ours, or a profile's root that declares gco:isoType of one of them; an ISO
// 19115-3 record (mdb:MD_Metadata, mac:MI_Metadata) or ours.
bool is_record(std::string_view ns, std::string_view name, std::string_view iso_type) {
  if (name == "MD_Metadata" && (ns == kGmd || ns == kTidewise)) return true;
  if (name == "MI_Metadata" && ns == kGmi) return true;
  if ((name == "MD_Metadata" || name == "MI_Metadata") &&
      (ns == kTidewise3 || package_of(ns) == "mdb" || package_of(ns) == "mac")) {
    return true;
  }
  const std::string_view type = iso_type.substr(iso_type.find(':') + 1);
  return type == "MD_Metadata" || type == "MI_Metadata";
}

bool is_record(const xmlNode* node) {
  if (node->type != XML_ELEMENT_NODE) return false;
  const xmlChar* type = xmlGetNsProp(node, reinterpret_cast<const xmlChar*>("isoType"),
                                     reinterpret_cast<const xmlChar*>(kGco.data()));
  const std::string iso_type(view(type));
  xmlFree(const_cast<xmlChar*>(type));
  return is_record(node->ns ? view(node->ns->href) : std::string_view(), view(node->name),
                   iso_type);
}

// The outermost records below `node`, in document order.
void collect(const xmlNode* node, std::vector<const xmlNode*>& found) {
  for (const xmlNode* child = node->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    if (is_record(child)) {
      found.push_back(child);
    } else {
      collect(child, found);
    }
  }
}

struct ReaderDeleter {
  void operator()(xmlTextReader* reader) const noexcept { xmlFreeTextReader(reader); }
};

// Whether the root element of `file` is a record, reading no further than
// its start tag (no DTD, no entities, no network). False when it cannot
// tell: the whole file is then parsed, under the usual rules.
bool root_is_record(const fs::path& file) {
  std::unique_ptr<xmlTextReader, ReaderDeleter> reader(xmlReaderForFile(
      file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!reader) return false;
  while (xmlTextReaderRead(reader.get()) == 1) {
    if (xmlTextReaderNodeType(reader.get()) == XML_READER_TYPE_DOCUMENT_TYPE) return false;
    if (xmlTextReaderNodeType(reader.get()) != XML_READER_TYPE_ELEMENT) continue;
    xmlChar* type =
        xmlTextReaderGetAttributeNs(reader.get(), reinterpret_cast<const xmlChar*>("isoType"),
                                    reinterpret_cast<const xmlChar*>(kGco.data()));
    const std::string iso_type(view(type));
    xmlFree(type);
    return is_record(view(xmlTextReaderConstNamespaceUri(reader.get())),
                     view(xmlTextReaderConstLocalName(reader.get())), iso_type);
  }
  return false;
}

}  // namespace

RecordFile::RecordFile(const fs::path& file) : file_(file) {
  if (root_is_record(file)) return;
  doc_ = xml::parse_file_to_read(file);
  const xmlNode* root = xmlDocGetRootElement(doc_.get());
  if (is_record(root)) return;
  collect(root, records_);
  wrapped_ = !records_.empty();
  none_ = !wrapped_;
}

const xmlNode* RecordFile::at(std::size_t n) const {
  if (n < 1 || n > count()) {
    throw com::Error(com::E_INVALIDARG,
                     "\"" + file_.string() + "\" holds " + std::to_string(count()) + " record" +
                         (count() == 1 ? "" : "s") + ", not a record " + std::to_string(n));
  }
  if (wrapped_) return records_[n - 1];
  // A record file read by its start tag alone is read whole when asked for.
  if (!doc_) const_cast<RecordFile*>(this)->doc_ = xml::parse_file_to_read(file_);
  return xmlDocGetRootElement(doc_.get());
}

std::string RecordFile::record(std::size_t n) const {
  const xmlNode* node = at(n);
  xml::DocPtr doc(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
  if (!doc) throw std::bad_alloc();
  xmlNode* copy = xmlDocCopyNode(const_cast<xmlNode*>(node), doc.get(), 1);
  if (!copy) throw std::bad_alloc();
  xmlDocSetRootElement(doc.get(), copy);
  // The wrapper's namespace declarations that the record uses move onto it.
  xmlReconciliateNs(doc.get(), copy);
  xmlChar* text = nullptr;
  int size = 0;
  xmlDocDumpMemoryEnc(doc.get(), &text, &size, "UTF-8");
  if (!text) throw std::bad_alloc();
  std::string result(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
  xmlFree(text);
  return result;
}

namespace {

bool is_named(const xmlNode* node, std::string_view name) {
  return node->type == XML_ELEMENT_NODE && view(node->name) == name;
}

// The text of the value element of property `node`, without the spaces
// around it.
std::string value_of(const xmlNode* node) {
  for (const xmlNode* value = node->children; value; value = value->next) {
    if (value->type != XML_ELEMENT_NODE) continue;
    xmlChar* text = xmlNodeGetContent(value);
    std::string result(view(text));
    xmlFree(text);
    const auto first = result.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return result.substr(first, result.find_last_not_of(" \t\r\n") - first + 1);
  }
  return "";
}

}  // namespace

std::string RecordFile::file_identifier(std::size_t n) const {
  const xmlNode* node = at(n);
  for (const xmlNode* child = node->children; child; child = child->next) {
    if (!is_named(child, "fileIdentifier") && !is_named(child, "metadataIdentifier")) continue;
    const std::string_view ns = child->ns ? view(child->ns->href) : std::string_view();
    if (ns == kGmd) return value_of(child);
    // ISO 19115-3: the code of the metadata identifier.
    if (package_of(ns) != "mdb") continue;
    for (const xmlNode* id = child->children; id; id = id->next) {
      if (!is_named(id, "MD_Identifier")) continue;
      for (const xmlNode* code = id->children; code; code = code->next) {
        if (is_named(code, "code")) return value_of(code);
      }
    }
  }
  return "";
}

std::string item_file_name(std::string_view identifier, std::size_t n,
                           std::set<std::string>& taken) {
  constexpr std::size_t kLongest = 120;
  std::string name;
  for (const char c : identifier.substr(0, kLongest)) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '-' || c == '_';
    name += kept ? c : '_';
  }
  // Not hidden, not "." or "..", and something besides underscores.
  const bool usable =
      !name.empty() && name.front() != '.' && name.find_first_not_of('_') != std::string::npos;
  std::string file = usable ? name + ".xml" : "";
  if (file.empty() || taken.count(file) > 0) {
    file = "record-" + std::to_string(n) + ".xml";
    for (std::size_t again = 2; taken.count(file) > 0; ++again) {
      file = "record-" + std::to_string(n) + "-" + std::to_string(again) + ".xml";
    }
  }
  taken.insert(file);
  return file;
}

void refuse_several_records(const RecordFile& records, const std::string& label,
                            std::string_view choose) {
  const std::size_t count = records.count();
  if (count <= 1) return;
  throw InvalidRequest(label + " holds " + std::to_string(count) +
                       " records: " + std::string(choose));
}

// ---- Export

namespace {

constexpr std::pair<RecordFormat, std::string_view> kFormats[] = {
    {RecordFormat::Iso19139, "iso19139"}, {RecordFormat::Iso19115_3, "iso19115-3"}};

// The standard of a record's root element, by its namespace.
std::optional<RecordFormat> standard_of(std::string_view ns) {
  if (ns == kGmd || ns == kGmi || ns == kTidewise) return RecordFormat::Iso19139;
  if (ns == kTidewise3 || package_of(ns) == "mdb" || package_of(ns) == "mac") {
    return RecordFormat::Iso19115_3;
  }
  return std::nullopt;
}

std::string_view standard_title(RecordFormat format) {
  return format == RecordFormat::Iso19139 ? "ISO 19139" : "ISO 19115-3";
}

}  // namespace

std::optional<RecordFormat> record_format(std::string_view name) {
  for (const auto& [format, text] : kFormats) {
    if (name == text) return format;
  }
  return std::nullopt;
}

std::string_view format_name(RecordFormat format) {
  for (const auto& [f, text] : kFormats) {
    if (f == format) return text;
  }
  return {};
}

std::string format_names() {
  std::string names;
  for (const auto& [format, text] : kFormats)
    names += (names.empty() ? "" : ", ") + std::string(text);
  return names;
}

com::HRESULT call_export(CatalogItem& item, const std::string& destination, RecordFormat format) {
  const auto exporter = create<IMetadataExport>("Exporter.SampleExporter");
  xml::StylesheetParameters& parameters = item.document()->stylesheet_parameters();
  parameters = {{"format", std::string(format_name(format))}};
  const com::HRESULT hr = exporter->Export(item.identity(), destination);
  // The document stays the item's; the next export says its own.
  item.document()->stylesheet_parameters().clear();
  return hr;
}

std::optional<fs::file_time_type> last_written(const fs::path& file) {
  std::error_code ec;
  const fs::file_time_type time = fs::last_write_time(file, ec);
  if (ec) return std::nullopt;
  return time;
}

void check_exported(const fs::path& destination, RecordFormat format,
                    std::optional<fs::file_time_type> written_before) {
  const std::optional<fs::file_time_type> now = last_written(destination);
  // Nothing written (the stylesheet folder was not set): nothing to check.
  if (!now || (written_before && *written_before == *now)) return;
  std::unique_ptr<xmlTextReader, ReaderDeleter> reader(xmlReaderForFile(
      destination.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  std::optional<RecordFormat> found;
  std::string root;
  while (reader && xmlTextReaderRead(reader.get()) == 1) {
    if (xmlTextReaderNodeType(reader.get()) != XML_READER_TYPE_ELEMENT) continue;
    const std::string_view ns = view(xmlTextReaderConstNamespaceUri(reader.get()));
    root = std::string(view(xmlTextReaderConstLocalName(reader.get())));
    if (root == "MD_Metadata" || root == "MI_Metadata") found = standard_of(ns);
    root = "{" + std::string(ns) + "}" + root;
    break;
  }
  if (found == format) return;
  throw com::Error(com::E_FAIL,
                   "the export wrote " +
                       (found          ? "an " + std::string(standard_title(*found)) + " record"
                        : root.empty() ? std::string("no record")
                                       : "a document of " + root) +
                       " where an " + std::string(standard_title(format)) +
                       " record was asked for: the export stylesheet in use does not write " +
                       std::string(format_name(format)) + " (its parameter \"format\")");
}

bool import_record(CatalogItem& item, const fs::path& source, Recording* recording) {
  const auto importer = create<IMetadataImport>("Importer.SampleImporter");
  // Revisions are never given twice: a document the importer replaced, or
  // one it wrote to, has another.
  const std::uint64_t before = item.document()->revision();
  if (recording) recording->start();
  const com::HRESULT hr = importer->Import(source.string(), item.identity());
  if (recording) recording->stop();
  com::call(hr, "IMetadataImport.Import");
  return item.document()->revision() != before;
}

std::optional<ImportMode> import_mode(std::string_view name) {
  if (name == "replace") return ImportMode::Replace;
  if (name == "fill") return ImportMode::Fill;
  return std::nullopt;
}

std::string_view import_mode_name(ImportMode mode) {
  return mode == ImportMode::Fill ? "fill" : "replace";
}

bool import_record(CatalogItem& item, const fs::path& source, ImportMode mode,
                   ScratchFolder& scratch) {
  if (mode == ImportMode::Replace) return import_record(item, source);
  // The importer replaces what an item holds: the record goes to an item
  // no one reads, and from there only what this one lacks.
  const ScratchFile name = scratch.file("fill.xml");
  const auto record = com::make_object<CatalogItem>(name.path());
  if (!import_record(*record.get(), source)) return false;
  const std::uint64_t before = item.document()->revision();
  fill_missing(*item.document().get(), *record->document().get());
  return item.document()->revision() != before;
}

void fill_missing(XmlMetadataDocument& into, const XmlMetadataDocument& from) {
  const Review review =
      compare_documents(into.doc(), from.doc(), std::numeric_limits<std::size_t>::max());
  for (const Difference& d : review.changes) {
    if (!d.after || d.path.starts_with('/')) continue;  // removed, or another root
    if (d.change == Difference::Change::Changed && !(d.before && d.before->empty())) continue;
    const auto at = d.path.rfind('@');
    if (at != std::string::npos && d.path.find('/', at) == std::string::npos) {
      com::call(into.WriteAttribute(d.path.substr(0, at), d.path.substr(at + 1),
                                    com::Variant::str(*d.after), 1),
                "IMetadataXml.WriteAttribute");
    } else {
      com::call(into.WriteValue(d.path, com::Variant::str(*d.after)), "IMetadataValues.WriteValue");
    }
  }
}

void export_record(CatalogItem& item, const fs::path& destination, RecordFormat format,
                   Recording* recording) {
  const auto before = last_written(destination);
  if (recording) recording->start();
  const com::HRESULT hr = call_export(item, destination.string(), format);
  if (recording) recording->stop();
  com::call(hr, "IMetadataExport.Export");
  check_exported(destination, format, before);
}

std::optional<std::string> export_text(CatalogItem& item, RecordFormat format,
                                       ScratchFolder& scratch) {
  const ScratchFile exported = scratch.file("export.xml");
  export_record(item, exported.path(), format);
  std::ifstream in(exported.path(), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- New items

void create_item_file(const fs::path& file, const XmlMetadataDocument& document) {
  // Written whole under a name of its own, then linked to the item's name:
  // a link, unlike a rename, never replaces a file that is there.
  const fs::path temp =
      file.parent_path() / ("." + file.filename().string() + ".new-" + std::to_string(::getpid()));
  const platform::Leftover leftover(temp);
  document.write_file(temp);
  const int linked = ::link(temp.c_str(), file.c_str());
  const int error = errno;
  ::unlink(temp.c_str());
  if (linked == 0) return;
  const std::string name = "\"" + platform::shown(file.filename().string()) + "\"";
  if (error == EEXIST) throw ItemNotCreated(name + " exists already", true);
  throw ItemNotCreated("cannot create " + name + ": " + std::strerror(error), false);
}

bool import_new_item(const fs::path& file, const fs::path& source) {
  const auto item = com::make_object<CatalogItem>(file);
  if (!import_record(*item.get(), source)) return false;
  item->document()->lay_out();
  create_item_file(file, *item->document().get());
  return true;
}

}  // namespace tw::host
