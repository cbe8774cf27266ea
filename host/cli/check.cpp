// tidewise check: what is wrong with an item, as the editor would tell it.

#include "tidewise/host/records.h"
#include "tidewise/host/validation.h"
#include "tool.h"

namespace tw::cli {

namespace fs = std::filesystem;

int run_check(const Options& options) {
  // An item that does not exist would be checked as an empty one.
  std::error_code ec;
  if (!fs::is_regular_file(options.item, ec)) {
    throw com::Error(com::E_FAIL, "the item \"" + options.item.string() + "\" does not exist");
  }
  const platform::HostSetting stylesheets(platform::kStylesheetFolder,
                                          stylesheet_folder(options.stylesheets));
  Session session;
  host::EditingSession editing(options.item);
  const host::RecordFormat format = *host::record_format(options.format);
  const host::IsoSchemas schemas(shared_folder("schemas"), host::IsoSchemas::root_of(format));
  const std::vector<host::Problem> problems = host::item_problems(editing, &schemas, format);
  if (options.json) {
    std::cout << Json{{"item", options.item.string()}, {"problems", host::problems_json(problems)}}
                     .dump(2)
              << '\n';
  } else if (problems.empty()) {
    std::cout << "no problems\n";
  } else {
    std::cout << host::problems_text(problems);
  }
  return problems.empty() ? 0 : 1;
}

}  // namespace tw::cli
