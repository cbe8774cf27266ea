#pragma once
// The classes the host itself serves to components: the creatable metadata
// document, the synchronizer list and the EPSG registry.

#include <filesystem>

#include "tidewise/com/factory.h"

namespace tw::host {

inline constexpr com::GUID LIBID_TidewiseHost = com::guid("{4E7B2C90-1D3A-4F6B-8C25-9A0E5D17B3F4}");

const com::ModuleInfo& host_module();

// Makes CoCreateInstance find the host's classes in this process.
void serve_host_classes();
// Writes the host's classes to the registry, served by `executable`; throws
// Error on failure.
void register_host_classes(const std::filesystem::path& executable);
void unregister_host_classes();

}  // namespace tw::host
