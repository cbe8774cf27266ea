// The commands that run the control library as the host's metadata editor
// would: the tree at start-up, and a page opened, edited and left. The steps
// themselves are the editing session's; here they meet the command line.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "tidewise/com/registry.h"
#include "tidewise/host/session.h"
#include "tidewise/host/synchronizers.h"
#include "tidewise/platform.h"
#include "tool.h"

namespace tw::cli {

namespace fs = std::filesystem;
using com::ComPtr;
using host::EditingSession;
using host::IMetadataValues;
using host::MetadataSections;
using platform::shown;

bool same_file(const fs::path& a, const fs::path& b) {
  const platform::FileStamp sa = platform::stamp_of(a), sb = platform::stamp_of(b);
  if (sa.exists && sb.exists) return sa.device == sb.device && sa.inode == sb.inode;
  std::error_code ec1, ec2;
  const fs::path ca = fs::weakly_canonical(fs::absolute(platform::write_target(a)), ec1);
  const fs::path cb = fs::weakly_canonical(fs::absolute(platform::write_target(b)), ec2);
  return !ec1 && !ec2 && ca == cb;
}

void refuse_trace_over(const std::optional<fs::path>& trace,
                       std::vector<std::pair<std::string, fs::path>> theirs) {
  if (!trace) return;
  theirs.emplace_back("the registry", com::registry_path());
  theirs.emplace_back("the settings file", host::settings_path());
  theirs.emplace_back("the tidewise program", executable_path());
  for (const fs::path& library : component_libraries()) {
    theirs.emplace_back("a component library", library);
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
  // what it is now, before anything in it is lost; and without waiting, as
  // the item is held meanwhile: a FIFO nobody reads would wait forever.
  // A program about to read it is given a moment.
  for (int tries = 0; tries < 100; ++tries) {
    fd_ = ::open(file_->c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd_ >= 0 || errno != ENXIO) break;
    ::usleep(20'000);
  }
  if (fd_ < 0) {
    const int error = errno;
    throw com::Error(com::E_FAIL,
                     "cannot open the trace file \"" + shown(file_->string()) + "\": " +
                         (error == ENXIO ? "no program reads from it" : std::strerror(error)));
  }
  // Written as any file is, once open.
  if (const int flags = ::fcntl(fd_, F_GETFL); flags >= 0) {
    ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
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

// The item with its tree, and the page the command names created and
// loaded; the trace records from the creation of the page on.
host::OpenPage& open_page(EditingSession& session, const Options& options, TraceFile& trace) {
  try {
    return session.open(options.unique_name, options.page_class, &trace);
  } catch (const host::InvalidRequest& e) {
    if (options.page_class) throw UsageError(std::string("--class: ") + e.what());
    throw UsageError(e.what());
  }
}

// The command line leaves without saving when a member fails, so the
// document need not be put back as it was.
EditingSession::Options session_options(host::CatalogItem::Access access) {
  EditingSession::Options options;
  options.access = access;
  options.restore_on_failure = false;
  return options;
}

}  // namespace

void run_tree(const Options& options) {
  refuse_trace_over_our_files(options);
  TraceFile trace(options.trace_file);
  {
    Session session;
    const auto document = com::make_object<host::XmlMetadataDocument>();
    const host::LoadedTree loaded =
        host::load_tree(ComPtr<IMetadataValues>(document).get(), &trace);
    print_tree(*loaded.tree.get(), loaded.result, options.json);
  }
  trace.finish();
}

// Showing a page writes nothing, so it does not wait for the item's lock: it
// reads the item as it is (a save replaces the file whole, never in part).
void run_show(const Options& options) {
  refuse_trace_over_our_files(options);
  TraceFile trace(options.trace_file);
  {
    Session session;
    EditingSession editing(options.item, session_options(host::CatalogItem::Access::Read));
    const host::OpenPage& page = open_page(editing, options, trace);
    trace.stop();
    if (options.json) {
      std::cout << page.json().dump(2) << '\n';
    } else {
      std::cout << page.text();
    }
  }
  trace.finish();
}

namespace {

void edit_page(const Options& options, TraceFile& trace) {
  EditingSession editing(options.item, session_options(host::CatalogItem::Access::Edit));
  const host::OpenPage& page = open_page(editing, options, trace);
  try {
    editing.edit(options.edits);
  } catch (const host::InvalidEdit& e) {
    throw UsageError("--" + std::string(host::to_string(e.kind())) + ": " + e.what());
  }
  // A page that refuses to be left keeps its edits to itself.
  const host::Leave left = editing.leave();
  trace.stop();
  // A failed unload ends above: a half-written document never reaches the file.
  const bool saved = editing.modified();
  if (saved) editing.save();

  if (options.json) {
    const Json out = {{"queryUnload", left.query_unload},
                      {"unloadPage", left.unload_page},
                      {"saved", saved},
                      {"page", page.json()}};
    std::cout << out.dump(2) << '\n';
  } else {
    std::cout << "QueryUnload: " << yes_no(left.query_unload) << '\n'
              << "UnloadPage: " << yes_no(left.unload_page) << '\n'
              << "saved: " << (saved ? "yes" : "no") << '\n'
              << page.text();
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
