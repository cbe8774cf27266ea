// The exported record against the ISO schemas: loaded from the tool's own
// copy through its catalog, never from the network.

#include <libxml/catalog.h>
#include <libxml/parserInternals.h>
#include <libxml/uri.h>
#include <libxml/xmlschemas.h>

#include <algorithm>

#include "tidewise/com/error.h"
#include "tidewise/host/scratch.h"
#include "tidewise/host/validation.h"
#include "tidewise/platform.h"
#include "tidewise/xml/xml.h"

namespace tw::host {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTidewiseNamespace = "http://www.tidewise.org/2026/iso19139-ext";
constexpr std::string_view kTidewise3Namespace = "http://www.tidewise.org/2026/iso19115-3-ext";

std::string_view view(const xmlChar* s) {
  return s ? reinterpret_cast<const char*>(s) : "";
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// Namespaces as a reader of the record writes them.
constexpr std::pair<std::string_view, std::string_view> kPrefixes[] = {
    {"http://www.isotc211.org/2005/gmd", "gmd"},
    {"http://www.isotc211.org/2005/gco", "gco"},
    {"http://www.isotc211.org/2005/gts", "gts"},
    {"http://www.isotc211.org/2005/gsr", "gsr"},
    {"http://www.isotc211.org/2005/gss", "gss"},
    {"http://www.isotc211.org/2005/gmx", "gmx"},
    {"http://www.opengis.net/gml/3.2", "gml"},
    {"http://www.w3.org/1999/xlink", "xlink"},
    {kTidewiseNamespace, "tw"},
    {"http://standards.iso.org/iso/19115/-3/mdb/2.0", "mdb"},
    {"http://standards.iso.org/iso/19115/-3/cit/2.0", "cit"},
    {"http://standards.iso.org/iso/19115/-3/gco/1.0", "gco"},
    {"http://standards.iso.org/iso/19115/-3/gcx/1.0", "gcx"},
    {"http://standards.iso.org/iso/19115/-3/gex/1.0", "gex"},
    {"http://standards.iso.org/iso/19115/-3/lan/1.0", "lan"},
    {"http://standards.iso.org/iso/19115/-3/mcc/1.0", "mcc"},
    {"http://standards.iso.org/iso/19115/-3/mco/1.0", "mco"},
    {"http://standards.iso.org/iso/19115/-3/mmi/1.0", "mmi"},
    {"http://standards.iso.org/iso/19115/-3/mrc/2.0", "mrc"},
    {"http://standards.iso.org/iso/19115/-3/mrd/1.0", "mrd"},
    {"http://standards.iso.org/iso/19115/-3/mri/1.0", "mri"},
    {"http://standards.iso.org/iso/19115/-3/mrl/2.0", "mrl"},
    {"http://standards.iso.org/iso/19115/-3/mrs/1.0", "mrs"},
    {"http://standards.iso.org/iso/19115/-3/msr/2.0", "msr"},
    {"http://standards.iso.org/iso/19115/-3/srv/2.0", "srv"},
    {"http://standards.iso.org/iso/19157/-2/mdq/1.0", "mdq"},
    {kTidewise3Namespace, "tw3"},
};

// libxml2 names elements "{namespace}name"; the record's readers say "gmd:name".
std::string with_prefixes(std::string text) {
  for (const auto& [uri, prefix] : kPrefixes) {
    const std::string braced = "{" + std::string(uri) + "}";
    for (std::size_t at; (at = text.find(braced)) != std::string::npos;) {
      text.replace(at, braced.size(), std::string(prefix) + ":");
    }
  }
  return text;
}

std::string node_path(const xmlNode* node) {
  xmlChar* path = xmlGetNodePath(node);
  std::string text(view(path));
  xmlFree(path);
  return text;
}

// The element's text when it holds text alone, and some.
std::optional<std::string> leaf_text(const xmlNode* node) {
  if (node == nullptr || node->type != XML_ELEMENT_NODE) return std::nullopt;
  std::string text;
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) return std::nullopt;
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      text += view(child->content);
    }
  }
  return text.empty() ? std::nullopt : std::optional(text);
}

bool inside(const fs::path& folder, const fs::path& file) {
  std::error_code ec;
  const fs::path real = fs::weakly_canonical(file, ec);
  if (ec) return false;
  auto f = folder.begin();
  auto r = real.begin();
  for (; f != folder.end(); ++f, ++r) {
    if (r == real.end() || *f != *r) return false;
  }
  return true;
}

struct LoaderState {
  xmlCatalog* catalog = nullptr;
  fs::path folder;
  std::vector<std::string>* refused = nullptr;
};
LoaderState current_;

// While schemas load or a record validates, every external resource libxml2
// asks for goes through the schema folder's catalog and must end in a file
// of that folder. libxml2 keeps one loader for the process; the host runs
// its XML work on one thread.
class OfflineLoader {
 public:
  OfflineLoader(xmlCatalog* catalog, const fs::path& folder, std::vector<std::string>& refused)
      : previous_(xmlGetExternalEntityLoader()) {
    current_ = LoaderState{catalog, folder, &refused};
    xmlSetExternalEntityLoader(&load);
  }
  ~OfflineLoader() {
    xmlSetExternalEntityLoader(previous_);
    current_ = LoaderState{};
  }
  OfflineLoader(const OfflineLoader&) = delete;
  OfflineLoader& operator=(const OfflineLoader&) = delete;

 private:
  static xmlParserInput* load(const char* url, const char* id, xmlParserCtxt* ctxt) {
    const std::string asked = url ? url : (id ? id : "");
    std::string local = asked;
    if (current_.catalog != nullptr) {
      xmlChar* resolved = xmlACatalogResolveURI(current_.catalog, BAD_CAST asked.c_str());
      if (resolved == nullptr && id != nullptr) {
        resolved = xmlACatalogResolve(current_.catalog, BAD_CAST id, BAD_CAST url);
      }
      if (resolved != nullptr) {
        local = view(resolved);
        xmlFree(resolved);
      }
    }
    if (local.starts_with("file://")) {
      char* unescaped = xmlURIUnescapeString(local.c_str() + 7, 0, nullptr);
      local = unescaped ? unescaped : "";
      xmlFree(unescaped);
    }
    if (local.find("://") != std::string::npos || !inside(current_.folder, local)) {
      if (current_.refused) current_.refused->push_back(asked);
      return nullptr;
    }
    return xmlNewInputFromFile(ctxt, local.c_str());
  }

  xmlExternalEntityLoader previous_;
};

struct Errors {
  std::vector<Problem> problems;
  std::string text;  // what a failing load said

  static void on_parse_error(void* context, xmlError* error) {
    auto* self = static_cast<Errors*>(context);
    if (error->level == XML_ERR_WARNING) return;  // "Skipping import ... already imported"
    if (!self->text.empty()) self->text += "; ";
    self->text += trimmed(error->message ? error->message : "an error");
  }
  static void on_valid_error(void* context, xmlError* error) {
    auto* self = static_cast<Errors*>(context);
    if (error->level == XML_ERR_WARNING) return;
    const auto* node = static_cast<const xmlNode*>(error->node);
    Problem problem{Problem::Kind::Schema,
                    std::nullopt,
                    {},
                    leaf_text(node),
                    with_prefixes(trimmed(error->message ? error->message : "invalid")),
                    node ? node_path(node) : "line " + std::to_string(error->line)};
    self->problems.push_back(std::move(problem));
  }
};

// Every value the export carried as typed: tw:verbatim closes the class whose
// property it names, and that property holds a nil placeholder.
void verbatim_problems(const xmlNode* node, std::vector<Problem>& problems) {
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    if (child->ns != nullptr &&
        (view(child->ns->href) == kTidewiseNamespace ||
         view(child->ns->href) == kTidewise3Namespace) &&
        view(child->name) == "verbatim") {
      xmlChar* property = xmlGetProp(child, BAD_CAST "property");
      // The property as ISO 19139 names it; ISO 19115-3 may hold it elsewhere
      // under the same name.
      const std::string name =
          (view(child->ns->href) == kTidewiseNamespace ? "gmd:" : "") + std::string(view(property));
      // The text as typed is the gco:CharacterString's; around it lies the
      // record's layout.
      const xmlNode* string = child->children;
      while (string != nullptr && string->type != XML_ELEMENT_NODE) string = string->next;
      problems.push_back(
          {Problem::Kind::Export,
           std::nullopt,
           {},
           leaf_text(string).value_or(""),
           "is not a valid value of ISO's type for " + name +
               ": the export keeps it as typed in the Tidewise extension, and ISO readers find "
               "the " +
               name + " empty",
           node_path(node) + "/" + name});
      xmlFree(property);
      continue;
    }
    verbatim_problems(child, problems);
  }
}

}  // namespace

struct IsoSchemas::Loaded {
  xmlCatalog* catalog = nullptr;
  xmlSchema* schema = nullptr;
  ~Loaded() {
    if (schema) xmlSchemaFree(schema);
    if (catalog) xmlFreeCatalog(catalog);
  }
};

IsoSchemas::IsoSchemas(const fs::path& folder, std::string_view root_file)
    : loaded_(std::make_unique<Loaded>()) {
  std::error_code ec;
  folder_ = fs::weakly_canonical(folder, ec);
  const fs::path catalog = folder_ / "catalog.xml", root = folder_ / root_file;
  if (ec || !fs::is_regular_file(catalog, ec) || !fs::is_regular_file(root, ec)) {
    throw com::Error(com::E_FAIL, "no schemas in \"" + folder.string() + "\": its catalog.xml or " +
                                      std::string(root_file) + " is missing");
  }
  loaded_->catalog = xmlLoadACatalog(catalog.c_str());
  if (loaded_->catalog == nullptr) {
    throw com::Error(com::E_FAIL, "cannot read the catalog \"" + catalog.string() + "\"");
  }
  std::vector<std::string> refused;
  Errors errors;
  {
    OfflineLoader loader(loaded_->catalog, folder_, refused);
    xmlSchemaParserCtxt* parser = xmlSchemaNewParserCtxt(root.c_str());
    if (parser == nullptr) throw std::bad_alloc();
    xmlSchemaSetParserStructuredErrors(parser, &Errors::on_parse_error, &errors);
    loaded_->schema = xmlSchemaParse(parser);
    xmlSchemaFreeParserCtxt(parser);
  }
  if (loaded_->schema == nullptr || !refused.empty()) {
    std::string why = errors.text;
    for (const std::string& url : refused) {
      why += (why.empty() ? "" : "; ") + std::string("\"") + url +
             "\" is not among the schemas in the folder";
    }
    throw com::Error(com::E_FAIL, "the schemas in \"" + folder.string() +
                                      "\" cannot be loaded: " + (why.empty() ? "unknown" : why));
  }
}

IsoSchemas::~IsoSchemas() = default;

std::vector<Problem> IsoSchemas::validate(const xmlDoc& record) const {
  Errors errors;
  std::vector<std::string> refused;
  OfflineLoader loader(loaded_->catalog, folder_, refused);
  xmlSchemaValidCtxt* context = xmlSchemaNewValidCtxt(loaded_->schema);
  if (context == nullptr) throw std::bad_alloc();
  xmlSchemaSetValidStructuredErrors(context, &Errors::on_valid_error, &errors);
  const int result = xmlSchemaValidateDoc(context, const_cast<xmlDoc*>(&record));
  xmlSchemaFreeValidCtxt(context);
  if (result != 0 && errors.problems.empty()) {
    errors.problems.push_back({Problem::Kind::Schema,
                               std::nullopt,
                               {},
                               std::nullopt,
                               "the record could not be validated",
                               {}});
  }
  return std::move(errors.problems);
}

std::vector<Problem> export_problems(CatalogItem& item, const IsoSchemas& schemas,
                                     RecordFormat format) {
  ScratchFolder scratch("tidewise-check");
  const ScratchFile exported = scratch.file("record.xml");
  const fs::path& record = exported.path();
  const auto failed = [](std::string message) {
    return std::vector<Problem>{
        {Problem::Kind::Export, std::nullopt, {}, std::nullopt, std::move(message), {}}};
  };
  try {
    com::call(call_export(item, record.string(), format), "IMetadataExport.Export");
    check_exported(record, format, std::nullopt);
  } catch (const std::exception& e) {
    return failed(std::string("the item could not be exported to be validated: ") + e.what());
  }
  std::error_code ec;
  if (!fs::is_regular_file(record, ec)) {
    return failed("the exporter wrote no record, so it could not be validated");
  }
  xml::DocPtr doc;
  try {
    doc = xml::parse_file_to_read(record);
  } catch (const std::exception& e) {
    return failed(std::string("the exported record cannot be read: ") + e.what());
  }
  std::vector<Problem> problems = schemas.validate(*doc);
  if (const xmlNode* root = xmlDocGetRootElement(doc.get())) verbatim_problems(root, problems);
  return problems;
}

}  // namespace tw::host
