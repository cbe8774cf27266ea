// The importer on hostile sources: the input is the file to import, converted
// through the project's stylesheet as `tidewise import` does it, with the
// libraries registered from beside this program. An import either fails with
// a status code and error information and leaves the item as it was, or
// gives the item a document the host can write and read back.

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support.h"
#include "tidewise/com/error.h"
#include "tidewise/host/classes.h"
#include "tidewise/host/item.h"
#include "tidewise/host/session.h"
#include "tool.h"

namespace {

namespace fs = std::filesystem;

fs::path home() {
  return std::getenv("TIDEWISE_HOME");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tw::fuzz::quiet_private_home();
  ::setenv("TIDEWISE_STYLESHEETS", TIDEWISE_SOURCE_DIR "/stylesheets", 1);
  tw::cli::ensure_registered();
  tw::host::serve_host_classes();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tw;
  const fs::path source = home() / "source.xml";
  {
    std::ofstream out(source, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) fuzz::broken("cannot write the source");
  }
  // An item without a file: an empty document, never saved here.
  const auto item = host::CatalogItem::open(home() / "item.xml");
  const std::string before = item->document()->xml();
  const auto importer = host::create<host::IMetadataImport>("Importer.SampleImporter");
  const com::HRESULT hr = importer->Import(source.string(), item->identity());
  if (com::failed(hr)) {
    const auto info = com::GetErrorInfo();
    if (!info || info->description.empty()) fuzz::broken("an import failed without saying why");
    if (item->modified() || item->document()->xml() != before) {
      fuzz::broken("a failed import changed the item", info->description);
    }
    return 0;
  }
  const std::string after = item->document()->xml();
  host::XmlMetadataDocument again;
  try {
    again.load_text(after);
  } catch (const com::Error& e) {
    fuzz::broken("an import gave the item a document the host cannot read back", e.what());
  }
  return 0;
}
