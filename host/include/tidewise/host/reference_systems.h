#pragma once
// The EPSG registry that PROJ ships (Debian's proj-data: proj.db, an SQLite
// database), read only, for the host's reference system page: a code gives
// its name, a name or part of one gives the systems that have it.

#include <filesystem>
#include <string>
#include <vector>

#include "tidewise/com/object.h"
#include "tidewise/host/interfaces.h"

namespace tw::host {

struct ReferenceSystem {
  std::string code;  // "4326"
  std::string name;  // "WGS 84"
  friend bool operator==(const ReferenceSystem&, const ReferenceSystem&) = default;
};

// The database: TIDEWISE_PROJ_DB when it is set, else PROJ's own.
std::filesystem::path epsg_database();

// Systems whose code is `text`, then those whose name is it, then those
// whose name holds it, shorter names first; deprecated ones last. Throws
// com::Error when the database cannot be read.
std::vector<ReferenceSystem> find_reference_systems(const std::filesystem::path& database,
                                                    const std::string& text, int limit);

class ReferenceSystems final : public com::Object<ReferenceSystems, IReferenceSystems> {
 public:
  HRESULT Find(const std::string& text, std::int32_t limit, Variant* found) noexcept override;
};

}  // namespace tw::host
