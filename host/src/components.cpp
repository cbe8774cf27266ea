#include "tidewise/host/components.h"

#include "tidewise/host/classes.h"

namespace tw::host {

ComponentHost::ComponentHost() {
  serve_host_classes();
}

ComponentHost::~ComponentHost() {
  com::revoke_class_objects();
}

LoadedTree load_tree(com::IUnknown* document, Recording* recording) {
  LoadedTree loaded{make_default_tree()};
  const auto connect = create<ICustomPages>(kConnectProgId);
  if (recording) recording->start();
  VARIANT_BOOL result = com::VARIANT_FALSE;
  const com::HRESULT hr = connect->LoadCustomPages(loaded.tree.get(), document, &result);
  if (recording) recording->stop();
  com::call(hr, "ICustomPages.LoadCustomPages");
  loaded.result = com::from_variant_bool(result);
  return loaded;
}

}  // namespace tw::host
