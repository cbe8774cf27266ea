#include "tidewise/xml/xml.h"

#include <fcntl.h>
#include <libexslt/exslt.h>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/uri.h>
#include <libxml/xmlsave.h>
#include <libxslt/documents.h>
#include <libxslt/imports.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/variables.h>
#include <libxslt/xsltutils.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "tidewise/com/error.h"

namespace tw::xml {

namespace fs = std::filesystem;
using com::E_ACCESSDENIED;
using com::E_FAIL;
using com::E_INVALIDARG;
using com::raise;

namespace {

const xmlChar* x(const char* s) {
  return reinterpret_cast<const xmlChar*>(s);
}
const char* c(const xmlChar* s) {
  return reinterpret_cast<const char*>(s);
}

std::string quoted(const fs::path& file) {
  return "\"" + file.string() + "\"";
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

// ---- Error collection

// Collects what libxml2 and libxslt report while it is alive, instead of
// letting them print to standard error. Installed for the current thread and
// restored on destruction, so sinks nest.
class ErrorSink {
 public:
  struct Entry {
    int level;  // xmlErrorLevel
    int line;   // 0 when unknown
    std::string message;
    int code = 0;  // xmlParserErrors, when known
  };

  ErrorSink() noexcept
      : old_structured_(xmlStructuredError),
        old_structured_context_(xmlStructuredErrorContext),
        old_generic_(xmlGenericError),
        old_generic_context_(xmlGenericErrorContext),
        old_xslt_(xsltGenericError),
        old_xslt_context_(xsltGenericErrorContext) {
    xmlSetStructuredErrorFunc(this, &ErrorSink::on_structured);
    xmlSetGenericErrorFunc(this, &ErrorSink::on_generic);
    xsltSetGenericErrorFunc(this, &ErrorSink::on_generic);
  }
  ~ErrorSink() {
    xmlSetStructuredErrorFunc(old_structured_context_, old_structured_);
    xmlSetGenericErrorFunc(old_generic_context_, old_generic_);
    xsltSetGenericErrorFunc(old_xslt_context_, old_xslt_);
  }
  ErrorSink(const ErrorSink&) = delete;
  ErrorSink& operator=(const ErrorSink&) = delete;

  // The error that made a parse fail: the first that stopped the parser, else
  // the first error. Besides fatal errors, libxml2 stops at its size limits
  // (a text over 10,000,000 bytes), which it reports as errors of running out
  // of memory and follows with a fatal error about what it could not read.
  const Entry* first_error() const noexcept {
    const Entry* error = nullptr;
    for (const Entry& e : entries_) {
      if (e.level >= XML_ERR_FATAL || e.code == XML_ERR_NO_MEMORY) return &e;
      if (e.level >= XML_ERR_ERROR && error == nullptr) error = &e;
    }
    return error;
  }

  // Everything reported, one line each, joined with "; ".
  std::string text() const {
    std::string all;
    for (const Entry& e : entries_) {
      if (e.level < XML_ERR_ERROR || e.message.empty()) continue;
      if (!all.empty()) all += "; ";
      if (e.line > 0) all += "line " + std::to_string(e.line) + ": ";
      all += e.message;
    }
    return all;
  }

  static void on_generic(void* self, const char* format, ...) noexcept {
    va_list args;
    va_start(args, format);
    std::array<char, 1024> buffer{};
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    static_cast<ErrorSink*>(self)->add_generic(buffer.data());
  }

 private:
  static constexpr std::size_t kMaxEntries = 20;

  static void on_structured(void* self, xmlErrorPtr error) noexcept {
    if (error == nullptr || error->level < XML_ERR_ERROR) return;
    static_cast<ErrorSink*>(self)->add(
        error->level, error->line, error->message ? error->message : "unknown error", error->code);
  }

  void add(int level, int line, std::string_view message, int code = 0) noexcept {
    if (entries_.size() >= kMaxEntries) return;
    try {
      entries_.push_back({level, line, trimmed(std::string(message)), code});
    } catch (...) {  // a lost message must not become a crash inside libxml2
    }
  }

  // Generic messages come in pieces; a line is complete at its newline.
  void add_generic(std::string_view piece) noexcept {
    try {
      pending_ += piece;
      for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
        add(XML_ERR_ERROR, 0, pending_.substr(0, end));
        pending_.erase(0, end + 1);
      }
    } catch (...) {
    }
  }

  std::vector<Entry> entries_;
  std::string pending_;
  xmlStructuredErrorFunc old_structured_;
  void* old_structured_context_;
  xmlGenericErrorFunc old_generic_;
  void* old_generic_context_;
  xmlGenericErrorFunc old_xslt_;
  void* old_xslt_context_;
};

// ---- Sources

// Where the parser's bytes come from: a file, read as the parser goes (no
// copy of it is held besides the parser's own window), or a text in memory.
// Both are handed over in chunks: between two, the work already done on the
// element being read is checked (see ParseState::within_bounds).
struct Source {
  int fd = -1;
  std::string_view text;     // when there is no file: what is left of it
  std::string_view block;    // what was read (or taken of the text) and not yet handed
  std::vector<char> buffer;  // a file is read in larger pieces than the parser asks for
  std::size_t handed = 0;
  int error = 0;  // errno of a failed read
  bool too_large = false;
  xmlParserCtxt* ctxt = nullptr;
  const std::function<void(std::string_view)>* each_piece = nullptr;
  bool utf32 = false;  // it begins as UTF-32 does, which libxml2 mostly cannot read
};

// The first bytes of UTF-32 (UCS-4) text in either byte order, with or
// without a byte order mark.
bool begins_as_utf32(std::string_view bytes) {
  if (bytes.size() < 4) return false;
  static constexpr std::string_view kStarts[] = {
      {"\x00\x00\xFE\xFF", 4}, {"\xFF\xFE\x00\x00", 4}, {"\x00\x00\x00<", 4}, {"<\x00\x00\x00", 4}};
  for (const std::string_view start : kStarts) {
    if (bytes.substr(0, 4) == start) return true;
  }
  return false;
}

struct FileCloser {
  int fd;
  ~FileCloser() {
    if (fd >= 0) ::close(fd);
  }
};

[[noreturn]] void cannot_read(const fs::path& file, int error) {
  raise(error == EACCES || error == EPERM ? E_ACCESSDENIED : E_FAIL,
        "cannot read " + quoted(file) + ": " + std::strerror(error));
}

// Opens a file to parse; one over the size cap is refused before any of it
// is read.
int open_source(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) cannot_read(file, errno);
  FileCloser closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) cannot_read(file, errno);
  if (S_ISDIR(info.st_mode)) cannot_read(file, EISDIR);
  if (S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) > kMaxDocumentBytes) {
    raise(E_INVALIDARG, quoted(file) + " is larger than 64 MiB");
  }
  closer.fd = -1;
  return fd;
}

// ---- Parsing

struct ParseState {
  bool keep_tag_form = true;
  int depth = 0;
  // Per open element: written as <a>...</a> rather than <a/>.
  std::array<bool, kMaxDepth + 1> start_end_form{};
  std::string refusal;
  int refusal_line = 0;

  static ParseState& of(void* ctx) {
    return *static_cast<ParseState*>(static_cast<xmlParserCtxt*>(ctx)->_private);
  }

  // Notes the first reason to refuse the document, and lets the parser go on.
  void record(void* ctx, const char* why) noexcept {
    auto* ctxt = static_cast<xmlParserCtxt*>(ctx);
    if (refusal.empty()) {
      try {
        refusal = why;
      } catch (...) {
      }
      refusal_line = ctxt->input ? ctxt->input->line : 0;
    }
  }
  // Notes it and stops the parser; only from a SAX callback, as stopping
  // resets the input under whatever is reading it.
  void refuse(void* ctx, const char* why) noexcept {
    record(ctx, why);
    xmlStopParser(static_cast<xmlParserCtxt*>(ctx));
  }

  // libxml2 2.9 compares a start tag's attributes pair by pair once the whole
  // tag is read, and does the same with its namespace declarations: an
  // element with 200,000 attributes takes minutes before any callback could
  // refuse it. Its attribute table grows with the longest tag read so far
  // (to 10n + 20 entries when the (n+1)th attribute arrives) and its
  // namespace table holds the declarations in scope; the parser asks for
  // more input at least every few kilobytes, and gets none once either says
  // that a limit was passed: it then ends the tag with what it holds. A tag
  // that ends within one chunk is counted exactly in on_start_element.
  bool within_bounds(xmlParserCtxt* ctxt) noexcept {
    if (ctxt->maxatts >= 10 * kMaxAttributes + 20) {
      record(ctxt, kTooManyAttributes);
    } else if (ctxt->nsNr > 2 * kMaxAttributes) {
      record(ctxt, kTooManyNamespaces);
    }
    return refusal.empty();
  }

  static constexpr const char* kTooManyAttributes =
      "an element has more than 256 attributes, more than any metadata needs";
  static constexpr const char* kTooManyNamespaces =
      "more than 256 namespaces are declared, more than any metadata needs";
};

// Called by the parser in the middle of its work: a failure is returned as
// an error of the input, never by stopping the parser from here.
int read_source(void* context, char* buffer, int length) noexcept {
  Source& source = *static_cast<Source*>(context);
  if (!ParseState::of(source.ctxt).within_bounds(source.ctxt)) return -1;
  if (length <= 0) return 0;
  // A text is handed over in the pieces a file of it would be read in: the
  // parser then works on both alike. (Handed more at once, libxml2 keeps it
  // all in view and refuses, past 10,000,000 bytes of it, a document it
  // reads from a file: "Huge input lookup".)
  constexpr std::size_t kPiece = std::size_t{1} << 16;
  if (source.block.empty() && source.fd >= 0) {
    source.buffer.resize(kPiece);
    ssize_t got;
    do {
      got = ::read(source.fd, source.buffer.data(), source.buffer.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
      source.error = errno;
      return -1;
    }
    source.block = std::string_view(source.buffer.data(), static_cast<std::size_t>(got));
    if (source.each_piece != nullptr && *source.each_piece) (*source.each_piece)(source.block);
  } else if (source.block.empty()) {
    source.block = source.text.substr(0, kPiece);
    source.text.remove_prefix(source.block.size());
  }
  const std::size_t n = std::min(static_cast<std::size_t>(length), source.block.size());
  if (source.handed == 0) source.utf32 = begins_as_utf32(source.block);
  std::memcpy(buffer, source.block.data(), n);
  source.block.remove_prefix(n);
  source.handed += n;
  // A file may grow after its size was checked, and a device has none.
  if (source.handed > kMaxDocumentBytes) {
    source.too_large = true;
    return -1;
  }
  return static_cast<int>(n);
}

void on_start_element(void* ctx, const xmlChar* localname, const xmlChar* prefix,
                      const xmlChar* uri, int nb_namespaces, const xmlChar** namespaces,
                      int nb_attributes, int nb_defaulted, const xmlChar** attributes) noexcept {
  ParseState& state = ParseState::of(ctx);
  if (++state.depth > kMaxDepth) {
    state.refuse(ctx, "elements are nested more than 256 levels deep");
    return;
  }
  // Checked before the element is built: libxml2 appends each attribute by
  // walking the ones before it.
  if (nb_attributes > kMaxAttributes) {
    state.refuse(ctx, ParseState::kTooManyAttributes);
    return;
  }
  if (nb_namespaces > kMaxAttributes) {
    state.refuse(ctx, ParseState::kTooManyNamespaces);
    return;
  }
  // The start tag has been read up to its closing "/>" or ">".
  const auto* ctxt = static_cast<xmlParserCtxt*>(ctx);
  state.start_end_form[state.depth] = ctxt->input && ctxt->input->cur && *ctxt->input->cur == '>';
  xmlSAX2StartElementNs(ctx, localname, prefix, uri, nb_namespaces, namespaces, nb_attributes,
                        nb_defaulted, attributes);
}

void on_end_element(void* ctx, const xmlChar* localname, const xmlChar* prefix,
                    const xmlChar* uri) noexcept {
  ParseState& state = ParseState::of(ctx);
  xmlNode* node = static_cast<xmlParserCtxt*>(ctx)->node;
  const bool start_end_form =
      state.depth > 0 && state.depth <= kMaxDepth && state.start_end_form[state.depth];
  --state.depth;
  xmlSAX2EndElementNs(ctx, localname, prefix, uri);
  // An empty text child is what makes the serializer write "<a></a>" again
  // instead of "<a/>"; it changes no value.
  if (state.keep_tag_form && start_end_form && node != nullptr && node->children == nullptr &&
      node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, localname)) {
    if (xmlNode* empty = xmlNewDocText(node->doc, x(""))) xmlAddChild(node, empty);
  }
}

// Entity declarations are where entity expansion attacks and external
// entities begin; metadata has no use for them.
void on_entity_decl(void* ctx, const xmlChar*, int, const xmlChar*, const xmlChar*,
                    xmlChar*) noexcept {
  ParseState::of(ctx).refuse(ctx,
                             "the DOCTYPE declares an entity; entity declarations are refused");
}

void on_unparsed_entity_decl(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*,
                             const xmlChar*) noexcept {
  ParseState::of(ctx).refuse(ctx,
                             "the DOCTYPE declares an entity; entity declarations are refused");
}

// Under an external DTD, which is never loaded, a reference to an entity
// nobody declared is only a warning to libxml2, and the reference would read
// as nothing: "A&xxe;B" as "AB". No entity is ever declared (see above), so
// every such reference is refused.
void on_reference(void* ctx, const xmlChar* name) noexcept {
  ParseState& state = ParseState::of(ctx);
  if (state.refusal.empty()) {
    try {
      const std::string why = "the entity \"" + std::string(c(name)) +
                              "\" is not declared; references to entities are refused";
      state.record(ctx, why.c_str());
      return;
    } catch (...) {
    }
  }
  state.record(ctx, "a reference to an undeclared entity is refused");
}

struct ParserDeleter {
  void operator()(xmlParserCtxt* ctxt) const noexcept {
    if (ctxt->myDoc != nullptr) xmlFreeDoc(std::exchange(ctxt->myDoc, nullptr));
    xmlFreeParserCtxt(ctxt);
  }
};

// `label` names the source in messages: "\"items.xml\"" or "XML text".
// `dict`, when given, is the dictionary the document's names must share
// (stylesheet documents).
DocPtr parse_source(Source& source, const std::string& label, const char* url, xmlDict* dict,
                    bool keep_tag_form) {
  ErrorSink sink;
  std::unique_ptr<xmlParserCtxt, ParserDeleter> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw std::bad_alloc();
  if (dict != nullptr) {
    xmlDictFree(ctxt->dict);
    ctxt->dict = dict;
    xmlDictReference(dict);
  }
  ParseState state;
  state.keep_tag_form = keep_tag_form;
  ctxt->_private = &state;
  source.ctxt = ctxt.get();
  ctxt->sax->startElementNs = on_start_element;
  ctxt->sax->endElementNs = on_end_element;
  ctxt->sax->entityDecl = on_entity_decl;
  ctxt->sax->unparsedEntityDecl = on_unparsed_entity_decl;
  ctxt->sax->reference = on_reference;
  // Never XML_PARSE_NOENT, DTDLOAD, DTDATTR or HUGE; blanks stay as written.
  xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_BIG_LINES);

  xmlParserInputBuffer* buffer =
      xmlParserInputBufferCreateIO(read_source, nullptr, &source, XML_CHAR_ENCODING_NONE);
  if (buffer == nullptr) throw std::bad_alloc();
  xmlParserInput* input = xmlNewIOInputStream(ctxt.get(), buffer, XML_CHAR_ENCODING_NONE);
  if (input == nullptr) {
    xmlFreeParserInputBuffer(buffer);
    throw std::bad_alloc();
  }
  if (url != nullptr) input->filename = reinterpret_cast<char*>(xmlStrdup(x(url)));
  if (inputPush(ctxt.get(), input) < 0) throw std::bad_alloc();

  xmlParseDocument(ctxt.get());
  DocPtr doc(std::exchange(ctxt->myDoc, nullptr));

  const auto fail = [&](int line, const std::string& why) {
    raise(E_INVALIDARG,
          line > 0 ? label + " line " + std::to_string(line) + ": " + why : label + ": " + why);
  };
  if (source.error != 0) {
    raise(source.error == EACCES || source.error == EPERM ? E_ACCESSDENIED : E_FAIL,
          "cannot read " + label + ": " + std::strerror(source.error));
  }
  if (source.too_large) raise(E_INVALIDARG, label + " is larger than 64 MiB");
  if (!state.refusal.empty()) fail(state.refusal_line, state.refusal);
  // UTF-32 reads as NUL characters or broken input: say what it is.
  const auto fail_utf32 = [&] {
    if (source.utf32) {
      fail(1, "the document is in UTF-32, which cannot be read here; save it as UTF-8 or UTF-16");
    }
  };
  // libxml2 stops at a NUL character wherever it stands; after the root
  // element it takes it for the end of the input and reports nothing, and
  // what follows would be lost at the next save. XML cannot hold the
  // character anywhere, in any encoding.
  const xmlParserInput* at = ctxt->input;
  if (at != nullptr && at->cur != nullptr && at->cur < at->end && *at->cur == '\0') {
    fail_utf32();
    fail(at->line, "the document holds a NUL character, which XML cannot hold");
  }
  if (!doc || !ctxt->wellFormed || !ctxt->nsWellFormed) {
    fail_utf32();
    if (const ErrorSink::Entry* e = sink.first_error()) {
      if (e->message.find("huge text node") != std::string::npos) {
        fail(e->line, "a text is longer than 10,000,000 bytes, the most a text may hold");
      }
      // libxml2 never looks at more than that much at once: a start tag
      // whose attributes hold more cannot be read.
      if (e->message.find("Huge input lookup") != std::string::npos) {
        fail(e->line, "a tag is longer than 10,000,000 bytes, the most one may hold");
      }
      fail(e->line, e->message);
    }
    fail(0, "not well-formed XML");
  }
  if (xmlDocGetRootElement(doc.get()) == nullptr) fail(0, "the document has no root element");
  return doc;
}

DocPtr parse_bytes(std::string_view bytes, const std::string& label, const char* url, xmlDict* dict,
                   bool keep_tag_form) {
  if (bytes.size() > kMaxDocumentBytes) raise(E_INVALIDARG, label + " is larger than 64 MiB");
  Source source;
  source.text = bytes;
  return parse_source(source, label, url, dict, keep_tag_form);
}

DocPtr parse_file_as(const fs::path& file, const char* url, xmlDict* dict, bool keep_tag_form,
                     const std::function<void(std::string_view)>* each_piece = nullptr) {
  Source source;
  source.each_piece = each_piece;
  source.fd = open_source(file);
  const FileCloser closer{source.fd};
  return parse_source(source, quoted(file), url, dict, keep_tag_form);
}

// ---- XSLT

struct TransformState {
  std::string refusal;  // what the security preferences refused
  std::string failure;  // a document the stylesheet reads that could not be loaded
};

// Security callbacks: record what the stylesheet tried and stop it.
int refuse(const char* what, xsltTransformContextPtr ctxt, const char* value) noexcept {
  if (ctxt != nullptr) {
    if (auto* state = static_cast<TransformState*>(ctxt->_private);
        state != nullptr && state->refusal.empty()) {
      try {
        state->refusal =
            std::string("the stylesheet may not ") + what + " \"" + (value ? value : "") + "\"";
      } catch (...) {
      }
    }
    ctxt->state = XSLT_STATE_STOPPED;
  }
  return 0;
}
int refuse_write_file(xsltSecurityPrefsPtr, xsltTransformContextPtr ctxt, const char* value) {
  return refuse("write the file", ctxt, value);
}
int refuse_create_directory(xsltSecurityPrefsPtr, xsltTransformContextPtr ctxt, const char* value) {
  return refuse("create the directory", ctxt, value);
}
int refuse_read_network(xsltSecurityPrefsPtr, xsltTransformContextPtr ctxt, const char* value) {
  return refuse("read over the network from", ctxt, value);
}
int refuse_write_network(xsltSecurityPrefsPtr, xsltTransformContextPtr ctxt, const char* value) {
  return refuse("write over the network to", ctxt, value);
}

struct SecurityPrefsDeleter {
  void operator()(xsltSecurityPrefs* prefs) const noexcept { xsltFreeSecurityPrefs(prefs); }
};
using SecurityPrefsPtr = std::unique_ptr<xsltSecurityPrefs, SecurityPrefsDeleter>;

SecurityPrefsPtr make_security_prefs() {
  SecurityPrefsPtr prefs(xsltNewSecurityPrefs());
  if (!prefs) throw std::bad_alloc();
  xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_WRITE_FILE, refuse_write_file);
  xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_CREATE_DIRECTORY, refuse_create_directory);
  xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_READ_NETWORK, refuse_read_network);
  xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_WRITE_NETWORK, refuse_write_network);
  return prefs;
}

// The local file a URI names, or nothing for any other kind of URI.
std::optional<fs::path> local_path(const xmlChar* uri) {
  std::unique_ptr<xmlURI, decltype(&xmlFreeURI)> parsed(xmlParseURI(c(uri)), &xmlFreeURI);
  if (!parsed) {
    // Not a URI (a path with spaces, say): a plain path unless it looks like a URL.
    const std::string_view text = c(uri);
    if (text.find("://") != std::string_view::npos) return std::nullopt;
    return fs::path(text);
  }
  if (parsed->scheme != nullptr && std::strcmp(parsed->scheme, "file") != 0) return std::nullopt;
  if (parsed->server != nullptr && *parsed->server != '\0' &&
      std::strcmp(parsed->server, "localhost") != 0) {
    return std::nullopt;
  }
  if (parsed->path == nullptr) return std::nullopt;
  return fs::path(parsed->path);
}

// The folder of the stylesheet that heads `style`'s chain of imports and
// includes: what a stylesheet may read lies there. Nothing for a stylesheet
// that was not read from a file.
std::optional<fs::path> stylesheet_folder(const xsltStylesheet* style) {
  while (style != nullptr && style->parent != nullptr) style = style->parent;
  if (style == nullptr || style->doc == nullptr || style->doc->URL == nullptr) return std::nullopt;
  const std::optional<fs::path> file = local_path(style->doc->URL);
  if (!file) return std::nullopt;
  std::error_code ec;
  fs::path folder = fs::weakly_canonical(fs::absolute(*file, ec).parent_path(), ec);
  if (ec) return std::nullopt;
  return folder;
}

// Whether `file`, with its links followed, lies in `folder` or below.
bool lies_in(const fs::path& folder, const fs::path& file) {
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical(fs::absolute(file, ec), ec);
  if (ec) return false;
  const auto [end, _] =
      std::mismatch(folder.begin(), folder.end(), resolved.begin(), resolved.end());
  return end == folder.end();
}

// Loads what a stylesheet imports, includes or reads with document(). The
// library's own loader parses with entity substitution and DTD loading; this
// one applies our rules.
xmlDocPtr load_for_xslt(const xmlChar* uri, xmlDictPtr dict, int, void* ctxt,
                        xsltLoadType type) noexcept {
  xsltTransformContextPtr transform =
      type == XSLT_LOAD_DOCUMENT ? static_cast<xsltTransformContextPtr>(ctxt) : nullptr;
  try {
    if (transform != nullptr && transform->sec != nullptr &&
        xsltCheckRead(static_cast<xsltSecurityPrefsPtr>(transform->sec), transform, uri) <= 0) {
      return nullptr;
    }
    const std::optional<fs::path> file = local_path(uri);
    if (!file) {
      if (transform != nullptr) {
        refuse("read over the network from", transform, c(uri));
      } else {
        xsltTransformError(nullptr, nullptr, nullptr,
                           "refused to read \"%s\": only local files can be read\n", c(uri));
      }
      return nullptr;
    }
    const auto* style =
        transform != nullptr ? transform->style : static_cast<const xsltStylesheet*>(ctxt);
    // A stylesheet loaded by name (XSLT_LOAD_START) is what the caller asked for.
    const std::optional<fs::path> folder = stylesheet_folder(style);
    if (type != XSLT_LOAD_START && (!folder || !lies_in(*folder, *file))) {
      if (transform != nullptr) {
        refuse("read, from outside its folder,", transform, file->c_str());
      } else {
        xsltTransformError(nullptr, nullptr, nullptr,
                           "refused to read \"%s\": it lies outside the stylesheet's folder\n",
                           file->c_str());
      }
      return nullptr;
    }
    return parse_file_as(*file, c(uri), dict, false).release();
  } catch (const std::exception& e) {
    // A document that cannot be read, or is refused, ends the transformation:
    // going on would give output that silently lacks its content.
    if (transform != nullptr) {
      if (auto* state = static_cast<TransformState*>(transform->_private);
          state != nullptr && state->failure.empty()) {
        try {
          state->failure = e.what();
        } catch (...) {
        }
      }
      transform->state = XSLT_STATE_STOPPED;
    } else {
      xsltTransformError(nullptr, nullptr, nullptr, "%s\n", e.what());
    }
    return nullptr;
  } catch (...) {
    if (transform != nullptr) transform->state = XSLT_STATE_STOPPED;
    return nullptr;
  }
}

// libxml2 and libxslt keep process-wide settings; ours are made once.
void ensure_initialized() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    exsltRegisterAll();
    xsltSetLoaderFunc(load_for_xslt);
    // Imports and includes are checked against the default preferences
    // before any transformation context exists. Lives as long as the process.
    xsltSetDefaultSecurityPrefs(make_security_prefs().release());
  });
}

struct TransformContextDeleter {
  void operator()(xsltTransformContext* ctxt) const noexcept { xsltFreeTransformContext(ctxt); }
};

struct XmlFree {
  void operator()(void* p) const noexcept { xmlFree(p); }
};

// Whether the stylesheet or one it imports has xsl:strip-space.
bool strips_whitespace(const xsltStylesheet& sheet) {
  for (auto* s = const_cast<xsltStylesheet*>(&sheet); s != nullptr; s = xsltNextImport(s)) {
    if (s->stripSpaces != nullptr || s->stripAll != 0) return true;
  }
  return false;
}

// An output buffer's writes, passed to a sink; what the sink throws waits
// here until libxml2 has returned.
struct SinkWriter {
  const std::function<void(std::string_view)>* sink;
  std::exception_ptr failure;

  static int write(void* context, const char* data, int length) noexcept {
    auto& writer = *static_cast<SinkWriter*>(context);
    try {
      (*writer.sink)(std::string_view(data, static_cast<std::size_t>(length)));
      return length;
    } catch (...) {
      writer.failure = std::current_exception();
      return -1;
    }
  }
};

}  // namespace

DocPtr parse_text(std::string_view text) {
  ensure_initialized();
  return parse_bytes(text, "XML text", nullptr, nullptr, true);
}

DocPtr parse_file(const fs::path& file, const std::function<void(std::string_view)>& each_piece) {
  ensure_initialized();
  return parse_file_as(file, file.c_str(), nullptr, true, &each_piece);
}

DocPtr parse_file_to_read(const fs::path& file) {
  ensure_initialized();
  return parse_file_as(file, file.c_str(), nullptr, false);
}

DocPtr new_document(std::string_view root_name) {
  ensure_initialized();
  if (!is_ncname(root_name)) {
    raise(E_INVALIDARG, "\"" + std::string(root_name) + "\" is not a valid XML element name");
  }
  DocPtr doc(xmlNewDoc(x("1.0")));
  if (!doc) throw std::bad_alloc();
  doc->standalone = -2;  // a declaration without a standalone pseudo-attribute
  doc->encoding = xmlStrdup(x("UTF-8"));
  xmlNode* root = xmlNewDocNode(doc.get(), nullptr, x(std::string(root_name).c_str()), nullptr);
  if (root == nullptr || doc->encoding == nullptr) throw std::bad_alloc();
  xmlDocSetRootElement(doc.get(), root);
  return doc;
}

std::string serialize(const xmlDoc& doc) {
  std::string out;
  serialize(doc, [&out](std::string_view piece) { out += piece; });
  return out;
}

namespace {

// Whether the encoder writes ASCII as the same bytes: then a declaration
// written by hand in ASCII is read as the encoding's text. UTF-16, UTF-32
// and the EBCDIC code pages do not, whatever their names, and iconv knows
// many names for each. Asked of the encoder itself, once per name.
bool keeps_ascii(const char* encoding) {
  static std::mutex mutex;
  static std::map<std::string, bool, std::less<>> known;
  std::string key(encoding);
  for (char& ch : key) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  std::lock_guard lock(mutex);
  if (const auto found = known.find(key); found != known.end()) return found->second;
  bool keeps = false;
  if (xmlCharEncodingHandler* handler = xmlFindCharEncodingHandler(encoding)) {
    std::string probe = "<?xml version=\"1.0\" encoding=\"\"?>\n\t";
    for (char ch = 0x20; ch < 0x7F; ++ch) probe += ch;
    xmlBuffer* in = xmlBufferCreate();
    xmlBuffer* out = xmlBufferCreate();
    if (in != nullptr && out != nullptr &&
        xmlBufferAdd(in, x(probe.c_str()), static_cast<int>(probe.size())) == 0 &&
        xmlCharEncOutFunc(handler, out, in) >= 0) {
      keeps = std::string_view(c(xmlBufferContent(out)),
                               static_cast<std::size_t>(xmlBufferLength(out))) == probe;
    }
    xmlBufferFree(in);
    xmlBufferFree(out);
    xmlCharEncCloseFunc(handler);
  }
  known.emplace(std::move(key), keeps);
  return keeps;
}

// Whether the parser tells the encoding from the first bytes of a document
// written in it (UTF-16, UTF-32, EBCDIC do; UTF-7 does not).
bool detected_by_parser(const char* encoding) {
  bool detected = false;
  if (xmlCharEncodingHandler* handler = xmlFindCharEncodingHandler(encoding)) {
    const std::string probe = "<?xml";
    xmlBuffer* in = xmlBufferCreate();
    xmlBuffer* out = xmlBufferCreate();
    if (in != nullptr && out != nullptr &&
        xmlBufferAdd(in, x(probe.c_str()), static_cast<int>(probe.size())) == 0 &&
        xmlCharEncOutFunc(handler, out, in) >= 0 && xmlBufferLength(out) >= 4) {
      detected = xmlDetectCharEncoding(xmlBufferContent(out), 4) != XML_CHAR_ENCODING_NONE;
    }
    xmlBufferFree(in);
    xmlBufferFree(out);
    xmlCharEncCloseFunc(handler);
  }
  return detected;
}

}  // namespace

void serialize(const xmlDoc& doc, const std::function<void(std::string_view)>& sink) {
  ensure_initialized();
  ErrorSink errors;
  // Without an encoding libxml2 would write every non-ASCII character as a
  // character reference; a document that names none is UTF-8.
  const char* encoding = doc.encoding ? c(doc.encoding) : "UTF-8";
  bool ascii_based = keeps_ascii(encoding);
  if (!ascii_based && !detected_by_parser(encoding)) {
    // UTF-7 and its like: in them "<?xml" is written as bytes the parser
    // cannot tell from any other, so what it wrote could never be read back.
    // Written as UTF-8 instead, which says so.
    encoding = "UTF-8";
    ascii_based = true;
  }
  // libxml2 records a source without an XML declaration as standalone == -1.
  const bool declaration = doc.standalone != -1;
  int options = XML_SAVE_NO_DECL;
  if (declaration && ascii_based) {
    // Written here so that it names an encoding only where the source did.
    std::string text =
        "<?xml version=\"" + std::string(doc.version ? c(doc.version) : "1.0") + "\"";
    if (doc.encoding != nullptr) text += " encoding=\"" + std::string(encoding) + "\"";
    if (doc.standalone >= 0) text += doc.standalone ? " standalone=\"yes\"" : " standalone=\"no\"";
    sink(text + "?>\n");
  } else if (declaration) {
    options = 0;  // only libxml2 can write it in that encoding
  }
  SinkWriter writer{&sink, nullptr};
  xmlSaveCtxt* save = xmlSaveToIO(&SinkWriter::write, nullptr, &writer, encoding, options);
  if (save == nullptr) raise(E_FAIL, "cannot serialize the document: " + errors.text());
  const long written = xmlSaveDoc(save, const_cast<xmlDoc*>(&doc));
  const int closed = xmlSaveClose(save);
  if (writer.failure) std::rethrow_exception(writer.failure);
  if (written < 0 || closed < 0) raise(E_FAIL, "cannot serialize the document: " + errors.text());
}

StylesheetPtr load_stylesheet(const fs::path& file) {
  ensure_initialized();
  return compile_stylesheet(parse_file_as(file, file.c_str(), nullptr, false));
}

StylesheetPtr compile_stylesheet(DocPtr doc) {
  ensure_initialized();
  if (!doc) raise(E_INVALIDARG, "no stylesheet document");
  const std::optional<fs::path> named =
      doc && doc->URL ? local_path(doc->URL) : std::optional<fs::path>();
  const fs::path file = named.value_or("(unnamed)");
  ErrorSink sink;
  // On success the stylesheet owns the document; on failure it stays ours.
  StylesheetPtr sheet(xsltParseStylesheetDoc(doc.get()));
  if (!sheet) {
    const std::string why = sink.text();
    raise(E_INVALIDARG, "stylesheet " + quoted(file) + " cannot be used" +
                            (why.empty() ? std::string() : ": " + why));
  }
  static_cast<void>(doc.release());
  if (sheet->errors != 0) {
    raise(E_INVALIDARG, "stylesheet " + quoted(file) + " has errors: " + sink.text());
  }
  return sheet;
}

namespace {

// Runs the stylesheet and hands its result document to `save`, which
// serializes it; `name` names the stylesheet in errors.
template <typename Save>
void run_stylesheet(const xsltStylesheet& sheet, const xmlDoc& doc,
                    const StylesheetParameters& parameters, Save&& save) {
  ensure_initialized();
  auto* style = const_cast<xsltStylesheet*>(&sheet);
  const std::optional<fs::path> file =
      sheet.doc && sheet.doc->URL ? local_path(sheet.doc->URL) : std::nullopt;
  const std::string name = "stylesheet " + (file ? quoted(*file) : std::string("(unnamed)"));
  // Stripping whitespace is the one change a transformation makes to its
  // input; only a stylesheet that strips needs a copy to work on.
  DocPtr copy;
  if (strips_whitespace(sheet)) {
    copy.reset(xmlCopyDoc(const_cast<xmlDoc*>(&doc), 1));
    if (!copy) throw std::bad_alloc();
  }
  xmlDoc* input = copy ? copy.get() : const_cast<xmlDoc*>(&doc);

  ErrorSink sink;
  SecurityPrefsPtr prefs = make_security_prefs();
  std::unique_ptr<xsltTransformContext, TransformContextDeleter> ctxt(
      xsltNewTransformContext(style, input));
  if (!ctxt) raise(E_FAIL, name + ": cannot start the transformation: " + sink.text());
  TransformState state;
  ctxt->_private = &state;
  if (xsltSetCtxtSecurityPrefs(prefs.get(), ctxt.get()) != 0) throw std::bad_alloc();
  xsltSetTransformErrorFunc(ctxt.get(), &sink, &ErrorSink::on_generic);
  if (!parameters.empty()) {
    // Quoted by libxslt: a value is the string itself, whatever it holds.
    std::vector<const char*> pairs;
    for (const auto& [key, value] : parameters) {
      pairs.push_back(key.c_str());
      pairs.push_back(value.c_str());
    }
    pairs.push_back(nullptr);
    if (xsltQuoteUserParams(ctxt.get(), pairs.data()) != 0) {
      raise(E_INVALIDARG, name + ": its parameters cannot be set: " + sink.text());
    }
  }

  DocPtr result(xsltApplyStylesheetUser(style, input, nullptr, nullptr, nullptr, ctxt.get()));
  if (!state.refusal.empty()) raise(E_ACCESSDENIED, name + ": " + state.refusal);
  if (!state.failure.empty()) raise(E_FAIL, name + ": " + state.failure);
  if (!result || ctxt->state != XSLT_STATE_OK) {
    const std::string why = sink.text();
    raise(E_FAIL, name + ": the transformation failed" + (why.empty() ? "" : ": " + why));
  }
  if (!save(*result, style)) raise(E_FAIL, name + ": cannot serialize the result: " + sink.text());
}

}  // namespace

std::string transform(const xsltStylesheet& sheet, const xmlDoc& doc,
                      const StylesheetParameters& parameters) {
  std::string output;
  run_stylesheet(sheet, doc, parameters, [&](xmlDoc& result, xsltStylesheet* style) {
    xmlChar* text = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&text, &length, &result, style) != 0) return false;
    const std::unique_ptr<xmlChar, XmlFree> owned(text);
    if (text) output.assign(c(text), static_cast<std::size_t>(length));
    return true;
  });
  return output;
}

void transform(const xsltStylesheet& sheet, const xmlDoc& doc,
               const std::function<void(std::string_view)>& sink,
               const StylesheetParameters& parameters) {
  run_stylesheet(sheet, doc, parameters, [&](xmlDoc& result, xsltStylesheet* style) {
    // The encoding the stylesheet's xsl:output names, as xsltSaveResultToString
    // would use it.
    const xmlChar* encoding = nullptr;
    XSLT_GET_IMPORT_PTR(encoding, style, encoding)
    xmlCharEncodingHandler* encoder = nullptr;
    if (encoding != nullptr) {
      encoder = xmlFindCharEncodingHandler(c(encoding));
      if (encoder != nullptr && xmlStrEqual(BAD_CAST encoder->name, BAD_CAST "UTF-8")) {
        encoder = nullptr;
      }
    }
    SinkWriter writer{&sink, nullptr};
    xmlOutputBuffer* out = xmlOutputBufferCreateIO(&SinkWriter::write, nullptr, &writer, encoder);
    if (out == nullptr) throw std::bad_alloc();
    const bool saved = xsltSaveResultTo(out, &result, style) >= 0;
    const bool closed = xmlOutputBufferClose(out) >= 0;
    if (writer.failure) std::rethrow_exception(writer.failure);
    return saved && closed;
  });
}

namespace {

// Decodes one UTF-8 sequence at the front of `text`; nothing when it is broken
// (truncated, overlong, a surrogate or beyond U+10FFFF).
std::optional<char32_t> decode(std::string_view& text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  char32_t ch = p[0];
  std::size_t length = 1;
  if (ch >= 0x80) {
    length = ch >= 0xF8 ? 0 : ch >= 0xF0 ? 4 : ch >= 0xE0 ? 3 : ch >= 0xC0 ? 2 : 0;
    if (length == 0 || text.size() < length) return std::nullopt;
    ch &= 0x7Fu >> length;
    for (std::size_t i = 1; i < length; ++i) {
      if ((p[i] & 0xC0) != 0x80) return std::nullopt;
      ch = (ch << 6) | (p[i] & 0x3F);
    }
    constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
    if (ch < kSmallest[length] || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) {
      return std::nullopt;
    }
  }
  text.remove_prefix(length);
  return ch;
}

bool is_xml_char(char32_t ch) {
  return ch == 0x9 || ch == 0xA || ch == 0xD || (ch >= 0x20 && ch <= 0xD7FF) ||
         (ch >= 0xE000 && ch <= 0xFFFD) || (ch >= 0x10000 && ch <= 0x10FFFF);
}

}  // namespace

bool is_utf8(std::string_view text) {
  while (!text.empty()) {
    const std::optional<char32_t> ch = decode(text);
    if (!ch || !is_xml_char(*ch)) return false;
  }
  return true;
}

void check_text(std::string_view text) {
  while (!text.empty()) {
    const std::optional<char32_t> ch = decode(text);
    if (!ch) raise(E_INVALIDARG, "the value is not valid UTF-8 text");
    if (!is_xml_char(*ch)) {
      std::array<char, 16> code{};
      std::snprintf(code.data(), code.size(), "U+%04X", static_cast<unsigned>(*ch));
      raise(E_INVALIDARG, std::string("the value holds the character ") + code.data() +
                              ", which XML documents cannot hold");
    }
  }
}

bool is_ncname(std::string_view name) {
  if (name.empty()) return false;
  bool ascii = true;
  for (const char ch : name) {
    if (ch == '\0') return false;
    if (static_cast<unsigned char>(ch) >= 0x80) ascii = false;
  }
  // libxml2 takes broken UTF-8 for letters.
  if (!ascii) return is_utf8(name) && xmlValidateNCName(x(std::string(name).c_str()), 0) == 0;
  const auto start = [](char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_';
  };
  const auto rest = [&](char ch) {
    return start(ch) || (ch >= '0' && ch <= '9') || ch == '-' || ch == '.';
  };
  if (!start(name.front())) return false;
  for (const char ch : name.substr(1)) {
    if (!rest(ch)) return false;
  }
  return true;
}

}  // namespace tw::xml
