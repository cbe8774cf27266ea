// What is wrong with an item, for the editor's problems panel and the marks
// of its tree: the values of every page, ISO's obligations, and on request
// the export checked against the ISO schemas. Validation only reads: the
// item is never refused a save for its problems.

#include <algorithm>

#include "editor.h"
#include "request_fields.h"
#include "tidewise/com/error.h"

namespace tw::server {

Json Editor::problems(const Json& request) {
  Session& session = session_for(request, false);
  check_version(request, session);
  host::EditingSession& editing = editing_of(session);
  const bool with_export = flag_field(request, "export");

  Json answer = Json::object();
  const host::IsoSchemas* schemas = nullptr;
  if (with_export) {
    // The export reads the document, so the open page writes what it holds
    // first, as it does before an export.
    write_open_page(session, "the export cannot be checked");
    if (!schemas_ && !schemas_folder_.empty()) {
      try {
        schemas_ = std::make_unique<host::IsoSchemas>(schemas_folder_);
      } catch (const com::Error& error) {
        answer["exportMessage"] = std::string("the ISO schemas cannot be loaded: ") + error.what();
      }
    }
    schemas = schemas_.get();
    if (!schemas && !answer.contains("exportMessage")) {
      answer["exportMessage"] = "this editor has no ISO schemas to check the export against";
    }
  }

  std::vector<host::Problem> found = host::item_problems(editing, schemas);
  // The open page's own problems as it shows them now: what the author typed
  // may not have reached the document yet.
  if (const host::OpenPage* page = editing.page()) {
    const std::string& open = page->unique_name();
    std::erase_if(found, [&](const host::Problem& p) {
      return p.page && p.page->unique_name == open && !p.control.empty();
    });
    std::vector<host::Problem> live = host::page_problems(*page);
    found.insert(found.end(), live.begin(), live.end());
  }
  Json state_now = state(session, with_export);
  state_now.update(answer);
  answer = std::move(state_now);
  answer["exportChecked"] = schemas != nullptr;
  answer["problems"] = host::problems_json(found);
  return answer;
}

}  // namespace tw::server
