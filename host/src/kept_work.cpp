#include "tidewise/host/kept_work.h"

#include <map>
#include <stdexcept>
#include <utility>

#include "tidewise/host/scratch.h"
#include "tidewise/host/session.h"

namespace tw::host {

namespace fs = std::filesystem;

Json step_json(const Step& step) {
  if (step.import) {
    return {{"import",
             {{"fileName", step.import->file_name},
              {"content", step.import->content},
              {"mode", std::string(import_mode_name(step.import->mode))}}}};
  }
  Json edits = Json::array();
  for (const Edit& e : step.edits) {
    edits.push_back({{"kind", to_string(e.kind)}, {"control", e.control}, {"value", e.value}});
  }
  return {{"page", step.page}, {"edits", std::move(edits)}};
}

std::optional<Step> step_of(const Json& line) {
  const auto text = [](const Json& object, const char* name) -> const std::string* {
    const auto found = object.find(name);
    return found != object.end() && found->is_string() ? &found->get_ref<const std::string&>()
                                                       : nullptr;
  };
  if (!line.is_object()) return std::nullopt;
  Step step;
  if (const auto import = line.find("import"); import != line.end()) {
    if (!import->is_object()) return std::nullopt;
    const std::string* file_name = text(*import, "fileName");
    const std::string* content = text(*import, "content");
    const std::string* mode_name = text(*import, "mode");
    const auto mode = mode_name ? import_mode(*mode_name) : ImportMode::Replace;
    if (!file_name || !content || !mode) return std::nullopt;
    step.import = Step::Import{*file_name, *content, *mode};
    return step;
  }
  const std::string* page = text(line, "page");
  const auto edits = line.find("edits");
  if (!page || edits == line.end() || !edits->is_array() || edits->empty()) return std::nullopt;
  step.page = *page;
  for (const Json& e : *edits) {
    if (!e.is_object()) return std::nullopt;
    const std::string* kind_name = text(e, "kind");
    const std::string* control = text(e, "control");
    const std::string* value = text(e, "value");
    const auto kind = kind_name ? edit_kind(*kind_name) : std::nullopt;
    if (!kind || !control || !value) return std::nullopt;
    step.edits.push_back({*kind, *control, *value});
  }
  return step;
}

namespace {

std::vector<Step> steps_of(const std::vector<Json>& lines) {
  std::vector<Step> steps;
  steps.reserve(lines.size());
  // A line no step reads from is made as an empty step, which replay counts
  // as not made: the author is told of it rather than it vanishing.
  for (const Json& line : lines) steps.push_back(step_of(line).value_or(Step{}));
  return steps;
}

// The open page is left before another opens or a record is imported; a
// page that refuses makes the step one the item cannot take.
void leave_open_page(EditingSession& editing) {
  if (editing.page() && !editing.leave().query_unload) {
    throw std::runtime_error("the open page cannot be left");
  }
}

}  // namespace

KeptWork::KeptWork(const fs::path& item_file, std::string shown_name)
    : journal_(item_file, std::move(shown_name)), left_(Journal::left_for(item_file)) {}

void KeptWork::keep(const Step& step) {
  undone_.clear();
  journal_.append(step_json(step));
}

std::vector<Step> KeptWork::steps() const {
  return steps_of(journal_.read());
}

void KeptWork::forget() {
  journal_.clear();
  undone_.clear();
  imported_.clear();
}

KeptWork::Replayed KeptWork::replay(EditingSession& editing, std::span<const Step> steps,
                                    ScratchFolder& scratch, const PageOpener& open) {
  Replayed replayed;
  replayed.page_edited = editing.page() != nullptr && editing.page_edited();
  for (const Step& step : steps) {
    try {
      if (step.import) {
        leave_open_page(editing);
        replayed.page_edited = false;
        const ScratchFile record = scratch.file(step.import->file_name, step.import->content);
        imported(editing.import(record.path(), step.import->mode, scratch));
      } else {
        if (step.edits.empty()) throw std::runtime_error("not a step");
        if (!editing.page() || editing.page()->unique_name() != step.page) {
          leave_open_page(editing);
          replayed.page_edited = false;
          open(step.page);
        }
        editing.edit(step.edits);
        replayed.page_edited = true;
      }
      journal_.append(step_json(step));
      ++replayed.made;
    } catch (const std::exception&) {
      // A page or a control the item no longer has: the step is not made,
      // and the author is told how many were not.
      ++replayed.not_made;
    }
  }
  return replayed;
}

std::optional<KeptWork::Replayed> KeptWork::undo(EditingSession& editing, ScratchFolder& scratch,
                                                 const PageOpener& open) {
  std::vector<Step> steps = this->steps();
  if (steps.empty()) return std::nullopt;
  Step last = std::move(steps.back());
  steps.pop_back();
  const std::optional<std::string> reopen =
      editing.page() ? std::optional(editing.page()->unique_name()) : std::nullopt;
  // The document as last read or saved: the same item, so that another
  // program's change to its file is still refused on saving.
  editing.back_to_base();
  journal_.clear();
  imported_.clear();
  Replayed replayed = replay(editing, steps, scratch, open);
  if (reopen && (!editing.page() || editing.page()->unique_name() != *reopen)) {
    try {
      // A replayed page that cannot be left stays open.
      if (!editing.page() || editing.leave().query_unload) {
        replayed.page_edited = false;
        open(*reopen);
      }
    } catch (const InvalidRequest&) {
      // A page the tree no longer has.
    }
  }
  undone_.push_back(std::move(last));
  return replayed;
}

std::optional<KeptWork::Replayed> KeptWork::redo(EditingSession& editing, ScratchFolder& scratch,
                                                 const PageOpener& open) {
  if (undone_.empty()) return std::nullopt;
  const Step step = std::move(undone_.back());
  undone_.pop_back();
  return replay(editing, std::span(&step, 1), scratch, open);
}

std::vector<KeptWork::Origin> KeptWork::origins(std::span<const Difference> changes,
                                                const EditingSession& editing) const {
  // The values typed on each page, and the pages where the author did more.
  std::map<std::string, std::set<std::string>> typed;
  std::set<std::string> not_only_typed;
  for (const Step& step : steps()) {
    for (const Edit& e : step.edits) {
      typed[step.page].insert(e.value);
      if (e.kind != Edit::Kind::Type) not_only_typed.insert(step.page);
    }
  }
  const auto& written_by = editing.written_by();
  std::vector<Origin> origins;
  origins.reserve(changes.size());
  for (const Difference& d : changes) {
    Origin& origin = origins.emplace_back();
    if (const auto by = written_by.find(d.path); by != written_by.end()) {
      origin.page = by->second.page;
      origin.field = by->second.field;
      const auto values = typed.find(origin.page);
      if (d.after && values != typed.end() && values->second.contains(*d.after)) {
        origin.by = Origin::By::Typed;
      } else if (!not_only_typed.contains(origin.page)) {
        origin.by = Origin::By::Page;
      }
    } else if (imported_.contains(d.path)) {
      origin.by = Origin::By::Import;
    }
  }
  return origins;
}

KeptWork::Replayed KeptWork::restore_left(EditingSession& editing, ScratchFolder& scratch,
                                          const PageOpener& open) {
  if (!left_) return {};
  const Journal::Left left = std::move(*left_);
  left_.reset();
  const Replayed replayed = replay(editing, steps_of(left.steps), scratch, open);
  // Made again, the steps are in this editor's journal.
  std::error_code ec;
  fs::remove(left.path, ec);
  return replayed;
}

void KeptWork::discard_left() {
  if (!left_) return;
  std::error_code ec;
  fs::remove(left_->path, ec);
  left_.reset();
}

}  // namespace tw::host
