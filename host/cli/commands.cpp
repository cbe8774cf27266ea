// The commands that run the control library as the host's metadata editor
// would: the tree at start-up, and a page opened, edited and left.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "tidewise/com/factory.h"
#include "tidewise/com/registry.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/item.h"
#include "tidewise/host/synchronizers.h"
#include "tidewise/host/trace.h"
#include "tidewise/host/tree.h"
#include "tidewise/platform.h"
#include "tool.h"

namespace tw::cli {

namespace fs = std::filesystem;
using com::ComPtr;
using com::HRESULT;
using com::IUnknown;
using com::VARIANT_BOOL;
using host::ICustomPages;
using host::IMetaDataPage;
using host::IMetadataValues;
using host::MetadataSections;
using platform::shown;

MemberFailure::MemberFailure(std::string member, com::HRESULT code, std::string description)
    : std::runtime_error(member + " failed (" + com::hresult_hex(code) + ")" +
                         (description.empty() ? "" : ": " + description)),
      code_(code) {}

void call(com::HRESULT hr, std::string_view member) {
  if (com::succeeded(hr)) return;
  const auto info = com::GetErrorInfo();
  throw MemberFailure(std::string(member), hr, info ? info->description : "");
}

namespace {

constexpr std::string_view kConnect = "TidewiseCustomPage.Connect";
constexpr std::string_view kPagePrefix = "TidewiseCustomPage.";

// Whether two names reach the same file, also a file that does not exist yet
// and one reached through links or hard links.
bool same_file(const fs::path& a, const fs::path& b) {
  const platform::FileStamp sa = platform::stamp_of(a), sb = platform::stamp_of(b);
  if (sa.exists && sb.exists) return sa.device == sb.device && sa.inode == sb.inode;
  std::error_code ec1, ec2;
  const fs::path ca = fs::weakly_canonical(fs::absolute(platform::write_target(a)), ec1);
  const fs::path cb = fs::weakly_canonical(fs::absolute(platform::write_target(b)), ec2);
  return !ec1 && !ec2 && ca == cb;
}

}  // namespace

void refuse_trace_over(const std::optional<fs::path>& trace,
                       std::vector<std::pair<std::string, fs::path>> theirs) {
  if (!trace) return;
  theirs.push_back({"the registry", com::registry_path()});
  theirs.push_back({"the settings file", host::settings_path()});
  theirs.push_back({"the tidewise program", executable_path()});
  for (const fs::path& library : component_libraries()) {
    theirs.push_back({"a component library", library});
  }
  for (const auto& [what, file] : theirs) {
    if (!file.empty() && same_file(*trace, file)) {
      throw UsageError("--trace: \"" + shown(trace->string()) + "\" is " + what +
                       "; the trace would overwrite it");
    }
  }
}

// ---- The trace file

TraceFile::~TraceFile() {
  stop();
  if (fd_ >= 0) ::close(fd_);
}

void TraceFile::start() {
  if (!file_ || started_) return;
  if (fd_ < 0) open();
  // "call" first, as readers of the trace expect it.
  host::set_trace_sink([this](const nlohmann::json& line) {
    buffer_ += nlohmann::ordered_json{{"call", line.at("call")}, {"args", line.at("args")}}.dump(
        -1, ' ', false, nlohmann::json::error_handler_t::replace);
    buffer_ += '\n';
    if (buffer_.size() >= (std::size_t{1} << 16)) flush();
  });
  started_ = true;
}

void TraceFile::stop() {
  if (!started_) return;
  host::set_trace_sink(nullptr);
  started_ = false;
  flush();
}

void TraceFile::finish() {
  stop();
  if (fd_ >= 0 && ::close(std::exchange(fd_, -1)) != 0 && error_ == 0) error_ = errno;
  if (error_ != 0) {
    throw com::Error(com::E_FAIL, "cannot write the trace file \"" + shown(file_->string()) +
                                      "\": " + std::strerror(error_));
  }
}

void TraceFile::open() {
  // Opened without truncating, so that the file is looked at once more, as
  // what it is now, before anything in it is lost.
  fd_ = ::open(file_->c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    throw com::Error(com::E_FAIL, "cannot open the trace file \"" + shown(file_->string()) +
                                      "\": " + std::strerror(errno));
  }
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(fd_, 0) != 0) error_ = errno;
}

void TraceFile::flush() {
  for (std::size_t done = 0; done < buffer_.size() && error_ == 0;) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno != EINTR) error_ = errno;
      continue;
    }
    done += static_cast<std::size_t>(n);
  }
  buffer_.clear();
}

namespace {

// The trace may not be the item either.
void refuse_trace_over_our_files(const Options& options) {
  refuse_trace_over(options.trace_file, {{"the item", options.item}});
}

// The editor's start-up: its own tree, handed to the control library.
struct LoadedTree {
  ComPtr<MetadataSections> tree;
  bool result = false;
};
LoadedTree load_tree(IUnknown* document, TraceFile* trace) {
  LoadedTree loaded{host::make_default_tree()};
  const auto connect = create<ICustomPages>(kConnect);
  if (trace) trace->start();
  VARIANT_BOOL result = com::VARIANT_FALSE;
  const HRESULT hr = connect->LoadCustomPages(loaded.tree.get(), document, &result);
  if (trace) trace->stop();
  call(hr, "ICustomPages.LoadCustomPages");
  loaded.result = com::from_variant_bool(result);
  return loaded;
}

std::string yes_no(bool value) {
  return value ? "True" : "False";
}

void print_tree(const MetadataSections& tree, bool result, bool json) {
  const auto books = tree.snapshot();
  if (json) {
    Json out = {{"result", result}, {"books", Json::array()}};
    for (const host::BookInfo& book : books) {
      Json pages = Json::array();
      for (const host::PageInfo& page : book.pages) {
        pages.push_back({{"uniqueName", page.unique_name}, {"progId", page.prog_id}});
      }
      out["books"].push_back({{"key", book.key}, {"caption", book.caption}, {"pages", pages}});
    }
    std::cout << out.dump(2) << '\n';
    return;
  }
  std::cout << "LoadCustomPages returned " << yes_no(result) << "\n";
  for (const host::BookInfo& book : books) {
    std::cout << book.key << " \"" << book.caption << "\"\n";
    for (const host::PageInfo& page : book.pages) {
      std::cout << "  " << page.unique_name << " (" << page.prog_id << ")\n";
    }
  }
}

// An open page: what show prints and what edit works on.
struct OpenPage {
  std::string unique_name;
  std::string prog_id;
  ComPtr<IMetaDataPage> page;
  forms::Form* form = nullptr;  // lives as long as the page
};

std::string page_prog_id(const MetadataSections& tree, const Options& options) {
  if (options.page_class) return std::string(kPagePrefix) + *options.page_class;
  const host::MetadataPageEntry* entry = tree.find_page(options.unique_name);
  if (entry == nullptr) {
    throw UsageError("no page has the unique name \"" + shown(options.unique_name) + "\"");
  }
  return entry->prog_id();
}

OpenPage open_page(const MetadataSections& tree, const Options& options, TraceFile& trace) {
  OpenPage open{options.unique_name, page_prog_id(tree, options), nullptr, nullptr};
  com::GUID clsid;
  if (const HRESULT hr = com::CLSIDFromProgID(open.prog_id, &clsid); com::failed(hr)) {
    if (options.page_class) {
      com::ClearErrorInfo();
      throw UsageError("--class: no page class \"" + shown(*options.page_class) +
                       "\" is registered");
    }
    call(hr, "CLSIDFromProgID");
  }
  trace.start();
  ComPtr<IUnknown> object;
  call(com::CoCreateInstance(clsid, IUnknown::IID, object.put_void()), "CoCreateInstance");
  if (const HRESULT hr = object->QueryInterface(IMetaDataPage::IID, open.page.put_void());
      hr == com::E_NOINTERFACE && options.page_class) {
    com::ClearErrorInfo();
    throw UsageError("--class: \"" + shown(open.prog_id) + "\" is not a page");
  } else {
    call(hr, "IUnknown.QueryInterface");
  }
  ComPtr<forms::IUserControl> control;
  call(object->QueryInterface(forms::IUserControl::IID, control.put_void()),
       "IUnknown.QueryInterface");
  call(control->GetForm(&open.form), "IUserControl.GetForm");
  if (open.form == nullptr) throw com::Error(com::E_POINTER, "IUserControl.GetForm gave no form");
  return open;
}

Json page_json(const OpenPage& open) {
  std::string short_title, title;
  std::int16_t help = 0;
  VARIANT_BOOL completed = com::VARIANT_FALSE;
  call(open.page->get_ShortTitle(&short_title), "IMetaDataPage.ShortTitle");
  call(open.page->get_Title(&title), "IMetaDataPage.Title");
  call(open.page->get_Completed(&completed), "IMetaDataPage.Completed");
  call(open.page->get_HelpContextID(&help), "IMetaDataPage.HelpContextID");
  return {{"uniqueName", open.unique_name},
          {"progId", open.prog_id},
          {"shortTitle", short_title},
          {"title", title},
          {"completed", com::from_variant_bool(completed)},
          {"helpContextId", help},
          {"controls", controls_json(*open.form)}};
}

std::string page_text(const OpenPage& open) {
  const Json page = page_json(open);
  std::string text =
      page["uniqueName"].get<std::string>() + " (" + page["progId"].get<std::string>() + ")\n";
  text += "short title: " + page["shortTitle"].get<std::string>() + "\n";
  text += "title: " + page["title"].get<std::string>() + "\n";
  text += "completed: " + yes_no(page["completed"].get<bool>()) + "\n";
  text += "help context: " + std::to_string(page["helpContextId"].get<int>()) + "\n";
  text += "controls:\n" + controls_text(*open.form);
  return text;
}

}  // namespace

void run_tree(const Options& options) {
  refuse_trace_over_our_files(options);
  TraceFile trace(options.trace_file);
  {
    Session session;
    const auto document = com::make_object<host::XmlMetadataDocument>();
    const LoadedTree loaded = load_tree(ComPtr<IMetadataValues>(document).get(), &trace);
    print_tree(*loaded.tree.get(), loaded.result, options.json);
  }
  trace.finish();
}

namespace {

// An item with one of its pages created and loaded, as show and edit start.
struct LoadedPage {
  ComPtr<host::CatalogItem> item;
  ComPtr<IMetadataValues> document;
  LoadedTree loaded;
  OpenPage open;

  LoadedPage(const Options& options, host::CatalogItem::Access access, TraceFile& trace)
      : item(host::CatalogItem::open(options.item, access)),
        document(item->document()),
        loaded(load_tree(document.get(), nullptr)),
        open(open_page(*loaded.tree.get(), options, trace)) {
    call(open.page->LoadPage(document.get(), loaded.tree.get(), open.unique_name),
         "IMetaDataPage.LoadPage");
  }
};

}  // namespace

// Showing a page writes nothing, so it does not wait for the item's lock: it
// reads the item as it is (a save replaces the file whole, never in part).
void run_show(const Options& options) {
  refuse_trace_over_our_files(options);
  TraceFile trace(options.trace_file);
  {
    Session session;
    const LoadedPage loaded(options, host::CatalogItem::Access::Read, trace);
    trace.stop();
    if (options.json) {
      std::cout << page_json(loaded.open).dump(2) << '\n';
    } else {
      std::cout << page_text(loaded.open);
    }
  }
  trace.finish();
}

namespace {

void edit_page(const Options& options, TraceFile& trace) {
  const LoadedPage loaded_page(options, host::CatalogItem::Access::Edit, trace);
  const auto& [item, document, loaded, open] = loaded_page;
  validate_edits(*open.form, options.edits);
  for (const Edit& edit : options.edits) apply_edit(*open.form, edit);

  VARIANT_BOOL may_leave = com::VARIANT_FALSE;
  call(open.page->QueryUnload(document.get(), loaded.tree.get(), &may_leave),
       "IMetaDataPage.QueryUnload");
  // A page that refuses to be left keeps its edits to itself.
  VARIANT_BOOL unloaded = com::VARIANT_FALSE;
  if (com::from_variant_bool(may_leave)) {
    call(open.page->UnloadPage(document.get(), loaded.tree.get(), &unloaded),
         "IMetaDataPage.UnloadPage");
  }
  trace.stop();
  // A failed unload ends above: a half-written document never reaches the file.
  const bool saved = item->modified();
  if (saved) item->save();

  if (options.json) {
    const Json out = {{"queryUnload", com::from_variant_bool(may_leave)},
                      {"unloadPage", com::from_variant_bool(unloaded)},
                      {"saved", saved},
                      {"page", page_json(open)}};
    std::cout << out.dump(2) << '\n';
  } else {
    std::cout << "QueryUnload: " << yes_no(com::from_variant_bool(may_leave)) << '\n'
              << "UnloadPage: " << yes_no(com::from_variant_bool(unloaded)) << '\n'
              << "saved: " << (saved ? "yes" : "no") << '\n'
              << page_text(open);
  }
}

}  // namespace

// The item stays locked from before it is read until it is written back, so
// that edits of other tidewise runs on it come one after the other.
void run_edit(const Options& options) {
  refuse_trace_over_our_files(options);
  TraceFile trace(options.trace_file);
  {
    Session session;
    edit_page(options, trace);
  }
  trace.finish();
}

}  // namespace tw::cli
