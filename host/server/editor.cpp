#include "editor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "failures.h"
#include "offered_pages.h"
#include "request_fields.h"
#include "tidewise/com/error.h"
#include "tidewise/host/records.h"
#include "tidewise/platform.h"

namespace tw::server {

namespace fs = std::filesystem;
using com::ComPtr;
using com::MemberFailure;
using host::EditingSession;

namespace {

// A person browses the pages: one opened and left without an edit leaves
// the item as it was.
host::SessionOptions editor_session_options() {
  host::SessionOptions options;
  options.keep_unedited_pages = true;
  return options;
}

constexpr std::size_t kMaxRecordBytes = 32u << 20;

std::string hex64(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4)
    text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
  return text;
}

// The number a digest shows, or 0 for a text that is none.
std::uint64_t digest_of(const std::string& text) {
  std::uint64_t value = 0;
  if (text.size() != 16) return 0;
  for (const char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return 0;
    value = value << 4 | static_cast<unsigned>(digit);
  }
  return value;
}

std::string iso_time(fs::file_time_type time) {
  const auto system = std::chrono::file_clock::to_sys(time);
  const std::time_t seconds = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

Json color(forms::Color c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
  return text;
}

// What a file is, whatever name reaches it: its device and inode, or for a
// file not yet there, where a save would create it.
std::string identity_of(const fs::path& file) {
  const fs::path target = platform::write_target(file);
  if (const platform::FileStamp stamp = platform::stamp_of(target); stamp.exists) {
    return std::to_string(stamp.device) + ":" + std::to_string(stamp.inode);
  }
  std::error_code ec;
  return fs::weakly_canonical(fs::absolute(target), ec).string();
}

// The edits a request names, as {kind, control, value} objects in "edit" or
// "edits".
std::vector<host::Edit> edits_of(const Json& request) {
  std::vector<host::Edit> edits;
  const auto add = [&](const Json& edit) {
    if (!edit.is_object()) throw ApiError(400, "an edit is an object {kind, control, value}");
    const auto kind = host::edit_kind(text_field(edit, "kind"));
    if (!kind) {
      throw ApiError(400, "the edit kind " + in_quotes(text_field(edit, "kind")) +
                              " is none of type, pick, check, uncheck, choose, select, click");
    }
    host::Edit e{*kind, text_field(edit, "control"), {}};
    const auto value = edit.find("value");
    if (*kind == host::Edit::Kind::Select && value != edit.end() && value->is_number_integer()) {
      // A position, as a number or as its digits.
      e.value = std::to_string(value->get<long long>());
    } else if (*kind == host::Edit::Kind::Type || *kind == host::Edit::Kind::Pick ||
               *kind == host::Edit::Kind::Select ||
               ((*kind == host::Edit::Kind::Check || *kind == host::Edit::Kind::Uncheck) &&
                value != edit.end())) {
      // A check's value is optional: an item of its list.
      e.value = text_field(edit, "value");
    }
    edits.push_back(std::move(e));
  };
  if (const auto one = request.find("edit"); one != request.end()) add(*one);
  if (const auto many = request.find("edits"); many != request.end()) {
    if (!many->is_array()) throw ApiError(400, "\"edits\" must be a list");
    for (const Json& edit : *many) add(edit);
  }
  if (edits.empty()) throw ApiError(400, "the request names no edit");
  return edits;
}

}  // namespace

// ---- Sessions

struct Editor::Session {
  std::string path;  // relative to the catalog
  fs::path file;
  std::string identity;  // the file it names, whatever the name
  std::unique_ptr<EditingSession> editing;
  std::uint64_t version = 0;
  bool page_edited = false;          // the open page holds edits it has not written
  std::size_t reviewed_changes = 0;  // how many changes the last review found
  host::Probes probes;               // what the tree's pages answer, kept until the item changes
  std::unique_ptr<host::KeptWork> work;  // the author's steps since the item was read or saved
};

Editor::Editor(const fs::path& catalog, host::ScratchFolder& scratch, ItemEvents* events,
               fs::path schemas)
    : catalog_(catalog), scratch_(scratch), events_(events), schemas_folder_(std::move(schemas)) {}

host::EditingSession& Editor::editing_of(Session& session) const {
  return *session.editing;
}

Editor::~Editor() {
  sessions_.clear();
  index_.reset();
  closed_.reset();
}

void Editor::changed(Session& session) {
  session.version = ++versions_;
  if (events_)
    events_->changed(session.path, session.version, session.file,
                     session.editing->base_file().stamp);
}

bool Editor::dirty(Session& session) const {
  return session.page_edited || session.editing->dirty();
}

Editor::Session& Editor::session_for(const Json& request, bool open_if_needed) {
  const std::string& relative = text_field(request, "item");
  const fs::path file = catalog_.resolve(relative, !sessions_.contains(relative));
  if (const auto found = sessions_.find(relative); found != sessions_.end()) {
    return *found->second;
  }
  if (!open_if_needed) {
    throw ApiError(409, in_quotes(relative) + " is not open for editing (it was closed)",
                   {{"closed", true}});
  }
  // One file, one session: two sessions of the same file under two names
  // (a link) would each take the other's save for another program's.
  const std::string identity = identity_of(file);
  for (const auto& [path, open] : sessions_) {
    if (open->identity == identity) {
      throw ApiError(409,
                     in_quotes(relative) + " is the item " + in_quotes(path) +
                         " under another name, and that one is open: edit it there",
                     {{"sameAs", path}});
    }
  }
  auto session = std::make_unique<Session>();
  session->path = relative;
  session->file = file;
  session->identity = identity;
  try {
    session->editing = std::make_unique<EditingSession>(file, editor_session_options());
  } catch (const MemberFailure& failure) {
    throw member_failed(failure);
  } catch (const com::Error& error) {
    throw ApiError(422, in_quotes(relative) + " cannot be opened: " + error.what());
  }
  session->work = std::make_unique<host::KeptWork>(fs::absolute(file).lexically_normal(), relative);
  changed(*session);
  return *sessions_.emplace(relative, std::move(session)).first->second;
}

void Editor::check_version(const Json& request, Session& session) {
  const auto found = request.find("version");
  if (found == request.end() || found->is_null()) return;
  if (!found->is_number_unsigned()) throw ApiError(400, "\"version\" must be a whole number");
  if (found->get<std::uint64_t>() != session.version) {
    throw ApiError(409,
                   in_quotes(session.path) +
                       " was changed in another tab or window; this one now shows it as it is",
                   {{"state", state(session, true)}});
  }
}

template <class Body>
Json Editor::with_failures(Session& session, Body&& body) {
  try {
    return body();
  } catch (const MemberFailure& failure) {
    changed(session);
    throw member_failed(failure, {{"state", state(session, true)}});
  }
}

Json Editor::page_json(const host::OpenPage& page) const {
  Json json = page.json();
  Json& controls = json["controls"];
  std::size_t i = 0;
  for (const auto& control : page.form().controls()) {
    const forms::Font& font = control->font();
    controls[i++]["look"] = {{"font", font.name},
                             {"points", font.points},
                             {"bold", font.bold},
                             {"color", color(control->fore_color())},
                             {"background", color(control->back_color())}};
  }
  // What is wrong with the values the page shows, so that the fields are
  // marked as the author leaves them.
  json["problems"] = host::problems_json(host::page_problems(page));
  return json;
}

const host::Probes::Answers& Editor::probed_tree(Session& session) {
  static const std::vector<host::Probes::Offered> offered = [] {
    std::vector<host::Probes::Offered> pages;
    for (const OfferedPage& page : offered_pages()) {
      pages.push_back(
          {page.unique_name, std::string(host::kPagePrefix) + std::string(page.page_class)});
    }
    return pages;
  }();
  return session.probes.answers(session.editing->document(), session.editing->tree(), offered);
}

Json Editor::tree_json(Session& session) {
  EditingSession& editing = *session.editing;
  const host::Probes::Answers& probed = probed_tree(session);
  const auto live = editing.page_state();
  const auto entry_json = [&](const host::EntryState& probed) {
    const host::EntryState& state =
        live && live->unique_name == probed.unique_name && live->prog_id == probed.prog_id ? *live
                                                                                           : probed;
    Json entry = {{"uniqueName", state.unique_name},
                  {"progId", state.prog_id},
                  {"title", state.title},
                  {"completed", state.completed}};
    if (state.failure) entry["failure"] = *state.failure;
    return entry;
  };

  const auto offered_json = [&](std::size_t i) {
    return Json{{"key", nullptr},
                {"caption", probed.offered[i].title},
                {"offered", true},
                {"entries", Json::array({entry_json(probed.offered[i])})}};
  };
  std::vector<std::string> keys;
  for (const auto& book : editing.tree().books()) keys.push_back(book->key());
  const auto places = offered_places(keys);
  Json books = Json::array();
  std::size_t next = 0;
  for (std::size_t b = 0; b < keys.size(); ++b) {
    for (const std::size_t i : places[b]) books.push_back(offered_json(i));
    const auto& book = editing.tree().books()[b];
    Json pages = Json::array();
    for (std::size_t n = 0; n < book->entries().size(); ++n) {
      pages.push_back(entry_json(probed.entries[next++]));
    }
    books.push_back({{"key", book->key()}, {"caption", book->caption()}, {"entries", pages}});
  }
  for (const std::size_t i : places.back()) books.push_back(offered_json(i));
  return books;
}

Json Editor::state(Session& session, bool with_tree) {
  EditingSession& editing = *session.editing;
  Json state = {{"item", session.path},
                {"version", session.version},
                {"dirty", dirty(session)},
                {"treeResult", editing.tree_result()}};
  std::error_code ec;
  const auto time = fs::last_write_time(session.file, ec);
  state["savedAt"] = ec ? Json() : Json(iso_time(time));
  if (changed_outside(session.file, session.editing->base_file().stamp)) {
    const auto changed_at = fs::last_write_time(session.file, ec);
    state["outside"] = {{"file", session.path},
                        {"changedAt", ec ? Json() : Json(iso_time(changed_at))}};
  }
  if (const auto& left = session.work->left()) {
    state["recovery"] = {{"steps", left->steps.size()}, {"written", left->written}};
  }
  if (with_tree) state["books"] = tree_json(session);
  const host::OpenPage* page = editing.page();
  state["page"] = page ? page_json(*page) : Json();
  return state;
}

std::optional<std::string> Editor::page_class_for(Session& session,
                                                  const std::string& unique_name) {
  EditingSession& editing = *session.editing;
  std::optional<std::string> page_class;
  if (editing.tree().find_page(unique_name) == nullptr) {
    if (const OfferedPage* page = offered_page(unique_name)) {
      page_class = std::string(page->page_class);
    }
  }
  // Throws before anything is left or opened when there is no such page.
  editing.prog_id_for(unique_name, page_class);
  return page_class;
}

void Editor::open_page_named(Session& session, const std::string& unique_name) {
  const std::optional<std::string> page_class = page_class_for(session, unique_name);
  session.page_edited = false;
  session.editing->open(unique_name, page_class);
}

host::ScratchFile Editor::record_file(const Json& request) {
  const std::string& content = text_field(request, "content");
  if (content.size() > kMaxRecordBytes) throw ApiError(400, "the record is larger than 32 MiB");
  const std::string& file_name = text_field(request, "fileName");
  host::ScratchFile file = scratch_.file(file_name, content);
  // A file of several records is refused as the command line refuses it;
  // one that holds no record at all is told so in words, not through the
  // importer's failure (an interface, a code and a stylesheet's path).
  std::optional<host::RecordFile> records;
  try {
    records.emplace(file.path());
  } catch (const com::Error& error) {
    // The reader's words without the scratch file's path.
    std::string why = error.what();
    if (const std::string path = "\"" + file.path().string() + "\" "; why.starts_with(path))
      why.erase(0, path.size());
    throw ApiError(422, in_quotes(file_name) +
                            " is not an ISO 19139 or ISO 19115-3 record: it cannot be read as "
                            "XML (" +
                            why + ")");
  }
  if (records->count() == 0) {
    throw ApiError(422,
                   in_quotes(file_name) +
                       " is not an ISO 19139 or ISO 19115-3 record: it holds no gmd:MD_Metadata "
                       "or mdb:MD_Metadata element");
  }
  host::refuse_several_records(
      *records, in_quotes(file_name),
      "the editor imports one record at a time; take them apart with \"tidewise import --split\"");
  return file;
}

Json Editor::review_json(Session& session) {
  const host::ItemReview review = session.editing->review();
  // Against the file as the editor last read or saved it: another program's
  // change to it since is not the author's.
  const bool outside = changed_outside(session.file, session.editing->base_file().stamp);
  const std::vector<host::Difference> outside_changes =
      outside ? session.editing->changes_since_read().changes : std::vector<host::Difference>{};
  const std::vector<host::Difference>& listed = outside ? outside_changes : review.changes;
  // Each change named by the title of the page that wrote it.
  std::map<std::string, std::string> titles;
  const host::Probes::Answers& probed = probed_tree(session);
  for (const auto* list : {&probed.entries, &probed.offered}) {
    for (const host::EntryState& entry : *list) titles.emplace(entry.unique_name, entry.title);
  }
  const auto origins = session.work->origins(listed, *session.editing);
  Json changes = Json::array();
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const host::Difference& d = listed[i];
    const host::KeptWork::Origin& origin = origins[i];
    Json change = {{"change", host::to_string(d.change)},
                   {"path", d.path},
                   {"before", d.before ? Json(*d.before) : Json()},
                   {"after", d.after ? Json(*d.after) : Json()}};
    using By = host::KeptWork::Origin::By;
    if (origin.by == By::Import) {
      change["page"] = "Imported record";
      change["origin"] = "import";
    } else if (!origin.page.empty()) {
      const auto title = titles.find(origin.page);
      change["page"] = title != titles.end() ? title->second : origin.page;
      if (!origin.field.empty()) change["field"] = origin.field;
      if (origin.by != By::Unknown) change["origin"] = origin.by == By::Typed ? "typed" : "page";
    }
    changes.push_back(std::move(change));
  }
  Json answer = {{"changes", changes}, {"digest", hex64(review.digest)}};
  if (review.more > 0) answer["more"] = review.more;
  session.reviewed_changes = review.changes.size();
  return answer;
}

// ---- Requests

// How long a listing may spend counting pages not completed.
constexpr std::chrono::milliseconds kCountingTime{500};

Json Editor::catalog(const Json&) {
  Json items = Json::array();
  // An open item shows what its session holds now.
  const auto open_info = [&](const std::string& relative, Json& info) {
    const auto found = sessions_.find(relative);
    if (found == sessions_.end()) return false;
    Session& session = *found->second;
    int not_completed = 0;
    for (const auto& state : probed_tree(session).entries) not_completed += state.completed ? 0 : 1;
    info["title"] = title_of(session.editing->document());
    info["notCompleted"] = not_completed;
    info["open"] = true;
    info["dirty"] = dirty(session);
    return true;
  };
  if (!catalog_.single_item()) {
    // A folder is listed from its index, which reads only the items that
    // changed since it last looked: thousands of items list in a stat each.
    host::CatalogPage listed;
    try {
      host::CatalogIndex& listing = index();
      listing.refresh();
      listed = listing.list();
    } catch (const com::Error& error) {
      throw ApiError(500, std::string("the catalog cannot be listed: ") + error.what());
    }
    // The pages not completed are counted for a bounded time a listing:
    // items not counted yet show no count until a later listing.
    const auto counting_ends = std::chrono::steady_clock::now() + kCountingTime;
    for (const host::CatalogEntry& entry : listed.entries) {
      const auto saved = std::chrono::time_point_cast<fs::file_time_type::duration>(
          std::chrono::file_clock::from_sys(std::chrono::sys_time<std::chrono::nanoseconds>(
              std::chrono::nanoseconds(entry.saved_ns))));
      Json info = {
          {"path", entry.path}, {"fileName", entry.file_name()}, {"savedAt", iso_time(saved)}};
      if (!open_info(entry.path, info)) {
        info["title"] = entry.title;
        info["notCompleted"] = nullptr;
        if (!entry.error.empty()) {
          info["error"] = entry.error;
        } else {
          info["notCompleted"] =
              closed_->not_completed(entry.path, catalog_.folder() / entry.path, saved, entry.size,
                                     std::chrono::steady_clock::now() < counting_ends);
        }
        info["open"] = false;
        info["dirty"] = false;
      }
      items.push_back(std::move(info));
    }
    return {{"folder", catalog_.folder().string()}, {"canCreate", true}, {"items", items}};
  }
  for (const std::string& relative : catalog_.items()) {
    const fs::path file = catalog_.folder() / relative;
    std::error_code ec;
    const auto time = fs::last_write_time(file, ec);
    const auto size = fs::file_size(file, ec);
    Json info = {{"path", relative},
                 {"fileName", fs::path(relative).filename().string()},
                 {"savedAt", iso_time(time)}};
    if (!open_info(relative, info)) {
      info.update(closed_->info(relative, file, time, size));
      info["open"] = false;
      info["dirty"] = false;
    }
    items.push_back(std::move(info));
  }
  return {{"folder", catalog_.folder().string()},
          {"canCreate", !catalog_.single_item()},
          {"items", items}};
}

Json Editor::create_item(const Json& request) {
  if (catalog_.single_item())
    throw ApiError(400, "this editor serves one item; open a folder to create items");
  if (request.contains("template"))
    return duplicate_item({{"item", request["template"]}, {"to", request["name"]}});
  const std::string& name = text_field(request, "name");
  const fs::path file = catalog_.resolve(name, false);
  try {
    host::create_item_file(file, host::XmlMetadataDocument());
  } catch (const host::ItemNotCreated& error) {
    throw ApiError(error.exists() ? 409 : 500, error.what());
  }
  note_changed(name);
  Json answer = catalog(request);
  answer["created"] = name;
  return answer;
}

Json Editor::import_item(const Json& request) {
  if (catalog_.single_item())
    throw ApiError(400, "this editor serves one item; open a folder to import records");
  const std::string& name = text_field(request, "name");
  const fs::path file = catalog_.resolve(name, false);
  const host::ScratchFile record = record_file(request);
  bool imported = false;
  try {
    imported = host::import_new_item(file, record.path());
  } catch (const MemberFailure& failure) {
    throw member_failed(failure);
  } catch (const host::ItemNotCreated& error) {
    throw ApiError(error.exists() ? 409 : 500, error.what());
  }
  Json answer;
  if (imported) {
    note_changed(name);
    answer = catalog(request);
    answer["created"] = name;
  } else {
    answer = catalog(request);
    answer["created"] = nullptr;
    answer["message"] = "The importer gave the new item no metadata; no file was created.";
  }
  return answer;
}

Json Editor::open_item(const Json& request) {
  Session& session = session_for(request, true);
  return state(session, true);
}

Json Editor::item_state(const Json& request) {
  Session& session = session_for(request, false);
  return state(session, true);
}

bool Editor::switch_to_page(Session& session, const std::string& unique_name) {
  EditingSession& editing = *session.editing;
  if (editing.page() && editing.page()->unique_name() == unique_name) return false;
  // Refused before the open page is left when there is no such page.
  page_class_for(session, unique_name);
  with_failures(session, [&] {
    leave_page(session, Leaving::ToClose, {});
    changed(session);
    open_page_named(session, unique_name);
    return Json();
  });
  return true;
}

Json Editor::open_page(const Json& request) {
  Session& session = session_for(request, true);
  check_version(request, session);
  switch_to_page(session, text_field(request, "page"));
  return state(session, true);
}

Json Editor::edit(const Json& request) {
  Session& session = session_for(request, true);
  check_version(request, session);
  const std::string& unique_name = text_field(request, "page");
  const std::vector<host::Edit> edits = edits_of(request);
  const bool switched = switch_to_page(session, unique_name);
  try {
    session.editing->edit(edits);
  } catch (const host::InvalidEdit& e) {
    throw ApiError(400, std::string(host::to_string(e.kind())) + ": " + e.what());
  }
  session.page_edited = true;
  changed(session);
  keep_step(session, host::Step::edits_on(unique_name, edits));
  return state(session, switched);
}

void Editor::leave_page(Session& session, Leaving leaving, std::string_view otherwise) {
  EditingSession& editing = *session.editing;
  if (!editing.page()) return;
  const host::Leave left = leaving == Leaving::ToWrite ? editing.flush() : editing.leave();
  if (!left.query_unload) {
    std::string message =
        "the page " + in_quotes(editing.page()->unique_name()) + " cannot be left now";
    if (!otherwise.empty()) message += ", so " + std::string(otherwise);
    throw ApiError(409, message, {{"state", state(session, true)}});
  }
  session.page_edited = false;
  changed(session);
}

Json Editor::review(const Json& request) {
  Session& session = session_for(request, false);
  check_version(request, session);
  return with_failures(session, [&] {
    write_open_page(session, "its edits cannot be reviewed");
    Json answer = state(session, true);
    answer["review"] = review_json(session);
    return answer;
  });
}

Json Editor::save(const Json& request) {
  Session& session = session_for(request, false);
  check_version(request, session);
  return with_failures(session, [&] {
    write_open_page(session, "the item cannot be saved");
    // The review the author just saw is not made again when nothing changed
    // since: neither the document nor the file.
    const auto reviewed = request.find("reviewed");
    const bool named = reviewed != request.end() && !reviewed->is_null();
    if (!named || !reviewed->is_string() ||
        !session.editing->still_reviewed(digest_of(reviewed->get<std::string>()))) {
      Json review = review_json(session);
      if (named && *reviewed != review["digest"]) {
        throw ApiError(409, "the changes are not the ones you reviewed; review them again",
                       {{"state", state(session, true)}, {"review", review}});
      }
    }
    const std::size_t saved_changes = session.reviewed_changes;
    try {
      // Only when the author chose it, having been told of the change.
      if (flag_field(request, "overwrite")) session.editing->item().take_file_as_read();
      session.editing->save();
    } catch (const host::ItemChanged& error) {
      // The same rule as the command line's: another program's change is
      // not overwritten unless the author chooses to.
      throw ApiError(409, error.what(), {{"state", state(session, true)}, {"outside", true}});
    } catch (const host::ItemInUse& error) {
      // Another program holds the item's lock: nothing was written, and the
      // user may save again once it lets go.
      Json in_use = {{"pid", error.holder() > 0 ? Json(error.holder()) : Json()}};
      throw ApiError(423, std::string("the item was not saved: ") + error.what(),
                     {{"state", state(session, true)}, {"inUse", in_use}});
    } catch (const com::Error& error) {
      throw ApiError(500, std::string("the item was not saved: ") + error.what(),
                     {{"state", state(session, true)}});
    }
    read_as_saved(session);
    note_changed(session.path);
    changed(session);
    Json answer = state(session, true);
    answer["saved"] = true;
    answer["changes"] = saved_changes;
    return answer;
  });
}

Json Editor::revert(const Json& request) {
  Session& session = session_for(request, false);
  check_version(request, session);
  const host::OpenPage* page = session.editing->page();
  const std::optional<std::string> reopen =
      page ? std::optional(page->unique_name()) : std::nullopt;
  // The open page's edits are dropped, not written: it is not unloaded.
  session.editing.reset();
  try {
    session.editing = std::make_unique<EditingSession>(session.file, editor_session_options());
  } catch (const MemberFailure& failure) {
    sessions_.erase(session.path);
    throw member_failed(failure, {{"closed", true}});
  } catch (const com::Error& error) {
    const std::string path = session.path;
    sessions_.erase(path);
    throw ApiError(422, in_quotes(path) + " cannot be read again: " + error.what(),
                   {{"closed", true}});
  }
  read_as_saved(session);
  session.page_edited = false;
  changed(session);
  if (reopen) {
    return with_failures(session, [&] {
      try {
        open_page_named(session, *reopen);
      } catch (const host::InvalidRequest&) {
        // The page was one the reverted tree no longer holds.
      }
      return state(session, true);
    });
  }
  return state(session, true);
}

Json Editor::close_item(const Json& request) {
  const std::string& relative = text_field(request, "item");
  catalog_.resolve(relative, false);
  const auto found = sessions_.find(relative);
  if (found == sessions_.end()) return {{"closed", true}};
  Session& session = *found->second;
  check_version(request, session);
  if (!flag_field(request, "discard")) {
    with_failures(session, [&] {
      leave_page(session, Leaving::ToClose, "it cannot be closed");
      return Json();
    });
    if (dirty(session)) {
      throw ApiError(409, in_quotes(relative) + " has unsaved changes: save them or discard them",
                     {{"state", state(session, true)}, {"dirty", true}});
    }
  }
  // Closed clean or discarded: nothing of it is left to restore.
  session.work->forget();
  if (events_) events_->closed(relative);
  sessions_.erase(found);
  return {{"closed", true}};
}

Json Editor::import_into(const Json& request) {
  Session& session = session_for(request, true);
  check_version(request, session);
  const auto named = request.find("mode");
  const std::optional<host::ImportMode> mode = named == request.end() ? host::ImportMode::Replace
                                               : named->is_string()
                                                   ? host::import_mode(named->get<std::string>())
                                                   : std::nullopt;
  if (!mode) throw ApiError(400, "\"mode\" is \"replace\" or \"fill\"");
  const host::ScratchFile record = record_file(request);
  return with_failures(session, [&] {
    leave_page(session, Leaving::ToClose, "nothing can be imported");
    changed(session);
    const std::vector<std::string> paths = session.editing->import(record.path(), *mode, scratch_);
    session.work->imported(paths);
    keep_step(session, host::Step::imported({text_field(request, "fileName"),
                                             text_field(request, "content"), *mode}));
    Json answer = state(session, true);
    // Written, and to other values than it had.
    answer["imported"] = !paths.empty();
    return answer;
  });
}

Json Editor::export_item(const Json& request) {
  // The standard to write: ISO 19139 unless the request names another.
  host::RecordFormat format = host::RecordFormat::Iso19139;
  if (request.contains("format") && !request["format"].is_null()) {
    const auto named = host::record_format(text_field(request, "format"));
    if (!named) {
      throw ApiError(400, "\"format\" must be one of " + host::format_names());
    }
    format = *named;
  }
  Session& session = session_for(request, true);
  check_version(request, session);
  EditingSession& editing = *session.editing;
  return with_failures(session, [&] {
    write_open_page(session, "its edits cannot be exported");
    const std::optional<std::string> exported = host::export_text(editing.item(), format, scratch_);
    Json answer = state(session, true);
    if (exported) {
      answer["export"] = {{"fileName", fs::path(session.path).stem().string() + "-export" +
                                           (format == host::RecordFormat::Iso19139
                                                ? std::string()
                                                : "-" + std::string(host::format_name(format))) +
                                           ".xml"},
                          {"content", *exported}};
    } else {
      answer["export"] = nullptr;
      answer["message"] = "The exporter wrote no file.";
    }
    return answer;
  });
}

// ---- What the editor keeps of the author's work

void Editor::keep_step(Session& session, const host::Step& step) {
  try {
    session.work->keep(step);
  } catch (const std::exception& e) {
    throw ApiError(500,
                   std::string("the change was made but could not be kept on disk; it would be "
                               "lost if the editor stopped: ") +
                       e.what(),
                   {{"state", state(session, true)}});
  }
}

host::PageOpener Editor::opener(Session& session) {
  return
      [this, &session](const std::string& unique_name) { open_page_named(session, unique_name); };
}

Json Editor::recover(const Json& request) {
  Session& session = session_for(request, false);
  check_version(request, session);
  if (!session.work->left()) {
    throw ApiError(409, "no edits of a stopped editor are waiting for " + in_quotes(session.path),
                   {{"state", state(session, true)}});
  }
  if (!flag_field(request, "restore")) {
    session.work->discard_left();
    changed(session);
    return state(session, true);
  }
  return with_failures(session, [&] {
    const auto replayed = session.work->restore_left(*session.editing, scratch_, opener(session));
    session.page_edited = replayed.page_edited;
    write_open_page(session, "the restored edits cannot be reviewed");
    Json answer = state(session, true);
    answer["restored"] = replayed.made;
    answer["notRestored"] = replayed.not_made;
    answer["review"] = review_json(session);
    return answer;
  });
}

Json Editor::undo(const Json& request) {
  Session& session = session_for(request, false);
  check_version(request, session);
  return with_failures(session, [&] {
    const auto undone = session.work->undo(*session.editing, scratch_, opener(session));
    if (!undone) {
      throw ApiError(
          409, "there is nothing to undo since " + in_quotes(session.path) + " was read or saved",
          {{"state", state(session, true)}});
    }
    session.page_edited = undone->page_edited;
    changed(session);
    Json answer = state(session, true);
    answer["canRedo"] = true;
    return answer;
  });
}

Json Editor::redo(const Json& request) {
  Session& session = session_for(request, false);
  check_version(request, session);
  return with_failures(session, [&] {
    const auto redone = session.work->redo(*session.editing, scratch_, opener(session));
    if (!redone) throw ApiError(409, "there is nothing to redo", {{"state", state(session, true)}});
    // A step that failed may have left the page before it did.
    session.page_edited = redone->page_edited;
    changed(session);
    if (redone->not_made != 0) {
      throw ApiError(409, "the step cannot be made again", {{"state", state(session, true)}});
    }
    Json answer = state(session, true);
    answer["canRedo"] = session.work->can_redo();
    return answer;
  });
}

void Editor::read_as_saved(Session& session) {
  session.work->forget();
  session.editing->forget_writers();
}

Json Editor::reload_file(const Json& request) {
  Session& session = session_for(request, false);
  check_version(request, session);
  return with_failures(session, [&] {
    write_open_page(session, "the file cannot be read again under your edits");
    // Held: the session it belongs to is replaced.
    const com::ComPtr<host::XmlMetadataDocument> base = session.editing->base();
    const host::Review mine = session.editing->changes_since_read();
    const std::vector<host::Step> steps = session.work->steps();
    try {
      auto reread = std::make_unique<EditingSession>(session.file, editor_session_options());
      session.editing = std::move(reread);
    } catch (const MemberFailure&) {
      throw;  // with_failures answers it, as everywhere
    } catch (const com::Error& error) {
      // The session as it was stays: nothing of the author's is dropped.
      throw ApiError(422, in_quotes(session.path) + " cannot be read again: " + error.what(),
                     {{"state", state(session, true)}});
    }
    read_as_saved(session);
    session.page_edited = false;
    const host::Review theirs =
        host::compare_documents(base->doc(), session.editing->document().doc());
    const auto replayed = session.work->replay(*session.editing, steps, scratch_, opener(session));
    session.page_edited = replayed.page_edited;
    write_open_page(session, "your edits cannot be reviewed");
    changed(session);
    // Where both changed the same element or attribute, the author's value
    // was made again; both are shown.
    const auto value = [](const std::optional<std::string>& v) { return v ? Json(*v) : Json(); };
    Json conflicts = Json::array();
    for (const host::Conflict& c : host::conflicts_between(mine, theirs)) {
      conflicts.push_back({{"path", c.path},
                           {"before", value(c.before)},
                           {"theirs", value(c.theirs)},
                           {"mine", value(c.mine)}});
    }
    Json answer = state(session, true);
    answer["reloaded"] = true;
    answer["conflicts"] = conflicts;
    answer["notReapplied"] = replayed.not_made;
    answer["review"] = review_json(session);
    return answer;
  });
}

}  // namespace tw::server
