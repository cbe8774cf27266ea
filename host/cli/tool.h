#pragma once
// The pieces of the tidewise tool: registration of the components, the
// commands, and the view of a page.

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tidewise/com/hresult.h"
#include "tidewise/forms/forms.h"
#include "tidewise/host/interfaces.h"

namespace tw::cli {

using Json = nlohmann::ordered_json;

// The command line asked for something that does not exist: exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A member the tool called failed: exit status 1. The message names the
// member, its status code and the error information it left.
class MemberFailure : public std::runtime_error {
 public:
  MemberFailure(std::string member, com::HRESULT code, std::string description);
  com::HRESULT code() const { return code_; }

 private:
  com::HRESULT code_;
};

// Tests the status of a call the tool made; throws MemberFailure.
void call(com::HRESULT hr, std::string_view member);

// ---- Registration

std::filesystem::path executable_path();
// Registers every component library found beside the tool, and the host's
// classes; fails naming the libraries that were not found.
void register_all(bool verbose);
void unregister_all(bool verbose);
// Registers whatever is missing from the registry or registered at a path
// other than the libraries beside this tool.
void ensure_registered();

// ---- Commands

struct Edit {
  enum class Kind { Type, Pick, Check, Uncheck, Choose };
  Kind kind;
  std::string control;
  std::string value;  // the text typed or the item picked
};

struct Options {
  bool json = false;
  std::optional<std::filesystem::path> trace_file;
  std::filesystem::path item;
  std::string unique_name;
  std::optional<std::string> page_class;
  std::vector<Edit> edits;  // in the order given on the command line
};

void run_tree(const Options& options);
void run_show(const Options& options);
void run_edit(const Options& options);

// ---- The page as the tool shows it

Json controls_json(const forms::Form& form);
std::string controls_text(const forms::Form& form);
// Checks every edit against the form before any is made, so that a command
// line with a mistake changes nothing.
void validate_edits(const forms::Form& form, const std::vector<Edit>& edits);
void apply_edit(forms::Form& form, const Edit& edit);

}  // namespace tw::cli
