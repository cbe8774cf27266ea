#pragma once
// What the host keeps of an author's work on an open item, beside its
// editing session: every step (the edits made on a page, or a record
// imported) is in the item's journal on disk before it is answered. From
// those steps an undo makes the item again as last read or saved with all
// but the last, a redo makes a step taken back again, a file read anew gets
// the author's steps made again on it, and the steps a stopped editor left
// are restored. The paths an import wrote are kept too, so that a review
// names those changes as the import's.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "tidewise/host/differences.h"
#include "tidewise/host/edits.h"
#include "tidewise/host/journal.h"
#include "tidewise/host/records.h"

namespace tw::host {

class EditingSession;
class ScratchFolder;

// One step of the author's: edits made on a page, or a record imported.
struct Step {
  std::string page;  // the unique name of the page the edits were made on
  std::vector<Edit> edits;
  struct Import {
    std::string file_name;
    std::string content;
    ImportMode mode = ImportMode::Replace;
  };
  std::optional<Import> import;

  static Step edits_on(std::string page, std::vector<Edit> edits) {
    Step step;
    step.page = std::move(page);
    step.edits = std::move(edits);
    return step;
  }
  static Step imported(Import import) {
    Step step;
    step.import = std::move(import);
    return step;
  }
};
// A step as a line of the journal, and back. A line that is no step this
// host can make (damaged, or from another version) reads as none.
Json step_json(const Step& step);
std::optional<Step> step_of(const Json& line);

// Opens a page by its unique name, as the front opens pages (a front may
// offer pages its tree does not list). Throws InvalidRequest when the item
// has no such page.
using PageOpener = std::function<void(const std::string& unique_name)>;

class KeptWork {
 public:
  // `item_file` is absolute; `shown_name` is how the front names the item.
  // A journal a stopped editor left for the item is found here.
  KeptWork(const std::filesystem::path& item_file, std::string shown_name);

  // Keeps a step just made; what was taken back can no longer be made
  // again. Throws std::runtime_error when the step cannot be put on disk.
  void keep(const Step& step);
  // The paths an import (kept as a step) wrote: origins() names them.
  void imported(std::span<const std::string> paths) {
    imported_.insert(paths.begin(), paths.end());
  }
  // The steps kept since the item was read or saved, in order.
  std::vector<Step> steps() const;
  bool can_redo() const { return !undone_.empty(); }
  // The item was read or saved, or its edits discarded: no step is left to
  // take back, make again or restore.
  void forget();

  // What making steps again did.
  struct Replayed {
    std::size_t made = 0;
    // Steps the item can no longer take (a page or a control it no longer
    // has, a page that cannot be left): not made, and not kept.
    std::size_t not_made = 0;
    // Whether the open page holds edits it has not written yet (as it did
    // before, when no step opened, left or edited a page).
    bool page_edited = false;
  };
  // Makes `steps` again on the document as it is now, keeping each one made.
  Replayed replay(EditingSession& editing, std::span<const Step> steps, ScratchFolder& scratch,
                  const PageOpener& open);
  // Takes back the last step: the document as last read or saved with the
  // steps before it made again. The author stays on the page they were on.
  // The open page's unwritten edits are among the steps: it is dropped, not
  // left. Nothing to take back: nullopt, and nothing changes.
  std::optional<Replayed> undo(EditingSession& editing, ScratchFolder& scratch,
                               const PageOpener& open);
  // Makes the step last taken back again; nullopt when there is none. A
  // step that cannot be made is gone from those to make again.
  std::optional<Replayed> redo(EditingSession& editing, ScratchFolder& scratch,
                               const PageOpener& open);

  // Who made a change a review lists.
  struct Origin {
    enum class By { Unknown, Typed, Page, Import };
    By by = By::Unknown;
    std::string page;   // the unique name of the page that wrote it, if one did
    std::string field;  // the label of the field that shows it there, if one does
  };
  // For each change: the page that wrote it, and whether the author typed
  // that value there or the page wrote it (a page where the author also
  // picked, checked or clicked writes values of its own making, codes,
  // which are not told apart: Unknown), or an import wrote it.
  std::vector<Origin> origins(std::span<const Difference> changes,
                              const EditingSession& editing) const;

  // The steps of a stopped editor, not yet restored or discarded.
  const std::optional<Journal::Left>& left() const { return left_; }
  // Makes them again on the document as it is, kept as this editor's own.
  Replayed restore_left(EditingSession& editing, ScratchFolder& scratch, const PageOpener& open);
  void discard_left();

 private:
  Journal journal_;
  std::optional<Journal::Left> left_;
  std::set<std::string> imported_;
  std::vector<Step> undone_;  // the last taken back last
};

}  // namespace tw::host
