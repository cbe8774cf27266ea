#pragma once
// The document calls a page makes, written as the fakes record them.

#include <string>

#include "tidewise/pages/globals.h"

namespace tw::testing::calls {

inline std::string q(const std::string& text) {
  return "\"" + text + "\"";
}

inline std::string read(const std::string& path) {
  return "IMetadataValues.ReadValues(" + q(path) + ")";
}
inline std::string read_code(const std::string& path) {
  return "IMetadataXml.ReadAttribute(" + q(path) + ", \"value\")";
}
inline std::string write(const std::string& path, const std::string& text) {
  return "IMetadataValues.WriteValue(" + q(path) + ", " + q(text) + ")";
}
inline std::string write_code(const std::string& path, const std::string& code) {
  return "IMetadataXml.WriteAttribute(" + q(path) + ", \"value\", " + q(code) + ", 2)";
}
inline std::string tag(const std::string& path) {
  return "IMetadataXml.WriteAttribute(" + q(path) + ", \"ns\", " +
         q(std::string(pages::kExtensionNamespace)) + ", 1)";
}
inline const std::string kUpdateFlag = "IMetadataXml.SetUpdateFlag(True)";

}  // namespace tw::testing::calls
