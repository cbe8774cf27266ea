#pragma once
// The platform's XML services: parsing of untrusted XML, serialization that
// gives a loaded document back as it was written, and XSLT.
//
// Everything read from outside is untrusted: no external entities, no DTD
// loading, no network, and a document whose DOCTYPE declares entities is
// refused outright, and so is a reference to an entity that is not declared.
// Size, nesting depth and attributes per element are bounded; a NUL character
// anywhere is refused. Failures are thrown as com::Error naming the file (or
// "XML text") and the line.

#include <libxml/tree.h>
#include <libxslt/xsltInternals.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw::xml {

struct DocDeleter {
  void operator()(xmlDoc* doc) const noexcept { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

struct StylesheetDeleter {
  void operator()(xsltStylesheet* sheet) const noexcept { xsltFreeStylesheet(sheet); }
};
using StylesheetPtr = std::unique_ptr<xsltStylesheet, StylesheetDeleter>;

// Values for a stylesheet's top-level parameters (xsl:param), by name; each
// value is a string, never evaluated as an expression.
using StylesheetParameters = std::vector<std::pair<std::string, std::string>>;

inline constexpr std::size_t kMaxDocumentBytes = std::size_t{64} << 20;
inline constexpr int kMaxDepth = 256;  // element levels, the root being level 1
// Attributes of one element, and namespace declarations in scope; past them
// a document is refused, so that the parser's work stays linear in the size.
inline constexpr int kMaxAttributes = 256;

// Parses a document that has a root element. Whitespace, comments, processing
// instructions and CDATA sections are kept as written, and an element written
// with a start and an end tag keeps that form when serialized.
// Malformed or refused input: E_INVALIDARG.
DocPtr parse_text(std::string_view text);
// As parse_text, reading the file as it parses; a file over the size cap is
// refused before it is read. A file that cannot be read is E_FAIL, or
// E_ACCESSDENIED when permission is lacking. The document's URL is the file's
// path, so relative references resolve beside it. `each_piece`, when given
// (it must not throw), sees the file's bytes in order as they are read, so
// that a caller can hash what was parsed without reading the file again.
DocPtr parse_file(const std::filesystem::path& file,
                  const std::function<void(std::string_view)>& each_piece = {});

// As parse_file, for a document that is read or transformed but never
// written back: the form in which empty elements were written is not kept.
DocPtr parse_file_to_read(const std::filesystem::path& file);

// A new document holding only an empty root element, serialized with an XML
// declaration naming UTF-8.
DocPtr new_document(std::string_view root_name);

// The document as text, in the encoding its declaration names (UTF-8 when it
// has none). The declaration is written only if the source had one; content
// is not reformatted.
std::string serialize(const xmlDoc& doc);
// As serialize, handing the text to `sink` piece by piece as it is made; an
// exception thrown by `sink` ends the serialization and is passed on.
void serialize(const xmlDoc& doc, const std::function<void(std::string_view)>& sink);

// Loads an XSLT stylesheet (untrusted: parsed under the same rules).
// Malformed stylesheet: E_INVALIDARG; unreadable file: E_FAIL/E_ACCESSDENIED.
StylesheetPtr load_stylesheet(const std::filesystem::path& file);

// Compiles a parsed document as a stylesheet and takes it over. Errors as
// load_stylesheet, naming the document's file.
StylesheetPtr compile_stylesheet(DocPtr doc);

// Applies the stylesheet to the document, or to a copy of it when the
// stylesheet strips whitespace (the caller's document must not change), and
// returns the output as the stylesheet's xsl:output describes it.
// The stylesheet may read local files in its own folder (and below) but no
// others, and may not write files, create directories or use the network:
// trying to is E_ACCESSDENIED. Any other failure of the transformation is
// E_FAIL.
// `parameters` gives the stylesheet's parameters their values.
std::string transform(const xsltStylesheet& sheet, const xmlDoc& doc,
                      const StylesheetParameters& parameters = {});
// As transform, handing the output to `sink` piece by piece as it is
// serialized instead of building it in memory. An exception thrown by `sink`
// ends the transformation and is passed on.
void transform(const xsltStylesheet& sheet, const xmlDoc& doc,
               const std::function<void(std::string_view)>& sink,
               const StylesheetParameters& parameters = {});

// True when `name` can be an XML element or attribute name without a prefix.
bool is_ncname(std::string_view name);

// True when `text` is UTF-8 made only of characters an XML document can hold.
bool is_utf8(std::string_view text);
// Throws E_INVALIDARG saying what keeps `text` from being XML text: broken
// UTF-8, or a character such as U+0001 that XML 1.0 cannot hold.
void check_text(std::string_view text);

}  // namespace tw::xml
