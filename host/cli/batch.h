#pragma once
// The batch runner: the tool run once per file in child processes. The
// components are apartment-threaded and libxml2/libxslt keep process-wide
// state, so the work is shared between processes, not threads.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::cli {

struct BatchFile {
  std::string name;                    // how messages name the file
  std::vector<std::string> args;       // the child's command line, program first
  std::optional<std::string> refused;  // why the file is not handed to a child at all
};

// Runs a child per file, as many at once as there are cores (at most 8).
// A file that fails (or is refused) is reported on standard error as
// "tidewise: NAME: REASON" while the others go on, and what succeeding
// children said is shown once; a bar on standard error, when it is a
// terminal, counts the files `verb` ("imported") and failed. A signal that
// stops the tool stops the children too. Returns how many files failed.
std::size_t run_children(const std::vector<BatchFile>& files, std::string_view verb);

}  // namespace tw::cli
