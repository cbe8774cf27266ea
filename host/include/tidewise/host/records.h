#pragma once
// The ISO 19139 and ISO 19115-3 records a file to import holds: the file
// itself when its root is a record, else each record a wrapper holds (a catalogue's
// GetRecordByIdResponse or GetRecordsResponse). The one place where a front
// (the command line, the editor) learns how many there are and takes one.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tidewise/com/error.h"
#include "tidewise/com/hresult.h"
#include "tidewise/xml/xml.h"

namespace tw::host {

class CatalogItem;

class RecordFile {
 public:
  // Reads `file` as untrusted XML: only its root element when that is a
  // record, the whole file otherwise. Unreadable or malformed: com::Error.
  explicit RecordFile(const std::filesystem::path& file);

  // The records: 1 for a record file; those a wrapper holds (records inside
  // a record, a series' members, belong to it); 0 for a file of something
  // else, which the importer then refuses with its own message.
  std::size_t count() const { return wrapped_ ? records_.size() : 1 - none_; }
  // Whether the records stand inside a wrapper, rather than the file being one.
  bool wrapped() const { return wrapped_; }
  // Record `n` (from 1) as a document of its own, its namespaces declared on
  // it. E_INVALIDARG when there is no such record.
  std::string record(std::size_t n) const;
  // Its file identifier (gmd:fileIdentifier, or the code of ISO 19115-3's
  // metadata identifier), empty when it has none.
  std::string file_identifier(std::size_t n) const;

 private:
  const xmlNode* at(std::size_t n) const;

  std::filesystem::path file_;
  xml::DocPtr doc_;
  std::vector<const xmlNode*> records_;
  bool wrapped_ = false;
  bool none_ = false;
};

// The check the command line and the editor both make before importing a
// file whole into one item: a file of several records would be imported as
// its first alone, so it is refused (InvalidRequest) saying how many records
// it holds (`label` names the file) and, in `choose`, how the front picks one.
void refuse_several_records(const RecordFile& records, const std::string& label,
                            std::string_view choose);

// A file name (NAME.xml) for the item of a record, made from its file
// identifier: letters, digits, '.', '-' and '_' are kept, anything else
// becomes '_', so that it stays in the folder whatever the record says; a
// record without an identifier, or whose name is taken, is "record-N".
// `taken` holds the names given so far, and gains this one.
std::string item_file_name(std::string_view identifier, std::size_t n,
                           std::set<std::string>& taken);

// ---- Export

// The standard an export writes.
enum class RecordFormat { Iso19139, Iso19115_3 };

// "iso19139" or "iso19115-3", the names the tool and the editor take; nothing
// for any other.
std::optional<RecordFormat> record_format(std::string_view name);
std::string_view format_name(RecordFormat format);
// The standards, by name, for a message ("iso19139, iso19115-3").
std::string format_names();

// Calls Export of the exporter component (Exporter.SampleExporter) on `item`
// with `destination` and returns its status. The component writes through
// the stylesheet of its folder by its fixed name; the host tells that
// stylesheet the standard, as its parameter "format", through the item's
// document for the time of the call.
com::HRESULT call_export(CatalogItem& item, const std::string& destination, RecordFormat format);

// After an export that succeeded: when the exporter wrote `destination`
// since `written_before` (its last write time then, nothing when it did not
// exist), its root must be a record of `format`; else com::Error saying what
// it is (a folder of stylesheets of one's own may not know the parameter).
void check_exported(const std::filesystem::path& destination, RecordFormat format,
                    std::optional<std::filesystem::file_time_type> written_before);
// The last write time of `file`, nothing when it does not exist.
std::optional<std::filesystem::file_time_type> last_written(const std::filesystem::path& file);

// ---- Import and export, as every front runs them

class Recording;
class ScratchFolder;
class XmlMetadataDocument;

// Runs the importer component (Importer.SampleImporter) on `source` for
// `item`: the record converted and given to the item's document. Returns
// whether the item's metadata changed (without a stylesheet folder the
// importer says so and writes nothing). Throws com::MemberFailure when Import
// fails. `recording` runs around the call alone.
bool import_record(CatalogItem& item, const std::filesystem::path& source,
                   Recording* recording = nullptr);

// How an import meets what the item has: Replace gives it the record's
// metadata; Fill keeps every value it has and adds only those it lacks or
// holds empty.
enum class ImportMode { Replace, Fill };
// "replace" or "fill"; nothing for any other.
std::optional<ImportMode> import_mode(std::string_view name);
std::string_view import_mode_name(ImportMode mode);
// The import of `source` into `item` as `mode` says: Fill imports the record
// first into an item of its own, named in `scratch`, and never saved.
bool import_record(CatalogItem& item, const std::filesystem::path& source, ImportMode mode,
                   ScratchFolder& scratch);
// Writes into `into` every element text and attribute value of `from` that
// `into` lacks or holds empty; what `into` has stays as it is, and so does
// anything under another root element.
void fill_missing(XmlMetadataDocument& into, const XmlMetadataDocument& from);
// Exports `item` to `destination` in `format` (call_export) and checks what
// the exporter wrote (check_exported). Throws com::MemberFailure when Export
// fails, com::Error when the file written is not a record of `format`.
void export_record(CatalogItem& item, const std::filesystem::path& destination, RecordFormat format,
                   Recording* recording = nullptr);
// The record `item` exports in `format` (export_record), as text, written
// through a file of `scratch`; nothing when the exporter wrote no file.
std::optional<std::string> export_text(CatalogItem& item, RecordFormat format,
                                       ScratchFolder& scratch);

// ---- New items

// A new item's file that was not created; `exists()` when a file of that
// name was there first.
class ItemNotCreated : public com::Error {
 public:
  ItemNotCreated(const std::string& description, bool exists)
      : com::Error(com::E_FAIL, description), exists_(exists) {}
  bool exists() const { return exists_; }

 private:
  bool exists_;
};
// Writes `document` to `file`, which must not exist: the whole file or
// nothing, and never over a file that appeared meanwhile (ItemNotCreated).
void create_item_file(const std::filesystem::path& file, const XmlMetadataDocument& document);
// A new item at `file` from the record in `source`, laid out as an item
// saves itself (create_item_file). Its file is created only when the
// importer gave it metadata; answers whether it was.
bool import_new_item(const std::filesystem::path& file, const std::filesystem::path& source);

}  // namespace tw::host
