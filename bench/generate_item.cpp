// Writes a large metadata item for the benchmarks: the example item with
// long lists inside its identification section, deep chains of elements, and
// many sibling elements under the root, up to about the size asked for.
//   generate_item EXAMPLE OUT MEGABYTES

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: generate_item EXAMPLE OUT MEGABYTES\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::string item{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::size_t target = std::strtoul(argv[3], nullptr, 10) << 20;
  const std::size_t id_end = item.find("</dataIdInfo>");
  const std::size_t root_end = item.rfind("</metadata>");
  if (!in || id_end == std::string::npos || root_end == std::string::npos || target == 0) {
    std::cerr << "generate_item: " << argv[1] << " is not a metadata item\n";
    return 1;
  }

  // A fifth as long lists where the pages do not read.
  std::string lists = "\n    <searchKeys>\n";
  for (std::size_t i = 0; lists.size() < target / 5; ++i) {
    lists += "      <keyword>shoreline segment " + std::to_string(i) + "</keyword>\n";
  }
  lists += "    </searchKeys>\n  ";

  // A fifth as chains 200 elements deep.
  std::string deep = "\n  <archive>\n";
  for (int chain = 0; deep.size() < target / 5; ++chain) {
    for (int level = 0; level < 200; ++level) deep += "<lv" + std::to_string(level) + ">";
    deep += "survey " + std::to_string(chain);
    for (int level = 199; level >= 0; --level) deep += "</lv" + std::to_string(level) + ">";
    deep += "\n";
  }
  deep += "  </archive>\n";

  // The rest as sibling elements of the root.
  std::string siblings;
  const std::size_t so_far = item.size() + lists.size() + deep.size();
  for (std::size_t i = 0; so_far + siblings.size() < target; ++i) {
    siblings += "  <sensorLog id=\"" + std::to_string(i) +
                "\"><stamp>2023-06-14T08:00:00</stamp><depth>12.5</depth>"
                "<note>tide gauge reading</note></sensorLog>\n";
  }

  std::string out = item.substr(0, id_end) + lists + item.substr(id_end, root_end - id_end) + deep +
                    siblings + item.substr(root_end);
  std::ofstream(argv[2], std::ios::binary | std::ios::trunc) << out;
  return 0;
}
