#pragma once
// The component libraries as the host reaches them: its own classes served
// to them, classes created by programmatic identifier, and the editor's tree
// handed to the control library.

#include <string_view>

#include "tidewise/com/factory.h"
#include "tidewise/host/failures.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/host/tree.h"

namespace tw::host {

inline constexpr std::string_view kConnectProgId = "TidewiseCustomPage.Connect";
inline constexpr std::string_view kPagePrefix = "TidewiseCustomPage.";

// Serves the host's own classes to the components for as long as it lives.
class ComponentHost {
 public:
  ComponentHost();
  ~ComponentHost();
  ComponentHost(const ComponentHost&) = delete;
  ComponentHost& operator=(const ComponentHost&) = delete;
};

template <com::Interface I>
com::ComPtr<I> create(std::string_view prog_id) {
  com::GUID clsid;
  com::call(com::CLSIDFromProgID(prog_id, &clsid), "CLSIDFromProgID");
  com::ComPtr<com::IUnknown> object;
  com::call(com::CoCreateInstance(clsid, com::IUnknown::IID, object.put_void()),
            "CoCreateInstance");
  com::ComPtr<I> wanted;
  com::call(object->QueryInterface(I::IID, wanted.put_void()), "IUnknown.QueryInterface");
  return wanted;
}

// Marks the calls a front wants to record (the command line's --trace).
class Recording {
 public:
  virtual void start() = 0;
  virtual void stop() = 0;

 protected:
  ~Recording() = default;
};

// The editor's start-up: its own tree, handed to the control library.
struct LoadedTree {
  com::ComPtr<MetadataSections> tree;
  bool result = false;
};
// `recording` runs around LoadCustomPages alone.
LoadedTree load_tree(com::IUnknown* document, Recording* recording = nullptr);

}  // namespace tw::host
