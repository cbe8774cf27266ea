// A component library with two classes, built like the real ones (hidden
// symbols, four exports), for the tests of registration and creation.

#include "support/test_component.h"

#include "tidewise/com/factory.h"

namespace tw::test {
namespace {

using com::boundary;
using com::HRESULT;

class Widget final : public com::Object<Widget, ITestWidget> {
 public:
  HRESULT Origin(std::string* origin) noexcept override {
    return boundary("ITestWidget.Origin", [&] { com::out_param(origin) = "library"; });
  }
  HRESULT Fail(HRESULT code) noexcept override {
    return boundary("ITestWidget.Fail", [&] { com::raise(code, "asked to fail"); });
  }
};

class Gadget final : public com::Object<Gadget, ITestGadget> {
 public:
  HRESULT Ping() noexcept override { return com::S_OK; }
};

template <class T>
com::ComPtr<com::IUnknown> create() {
  const com::ComPtr<T> object = com::make_object<T>();
  return com::ComPtr<com::IUnknown>(object->identity());
}

constexpr com::ClassEntry kClasses[] = {
    {kWidgetClsid, "Widget", kWidgetProgId, ITestWidget::IID, ITestWidget::Name, &create<Widget>},
    {kGadgetClsid, "Gadget", kGadgetProgId, ITestGadget::IID, ITestGadget::Name, &create<Gadget>},
};
const com::ModuleInfo kModule{{kTestLibraryId, "TidewiseTestLib", "1.0"}, kClasses};

}  // namespace
}  // namespace tw::test

TW_EXPORT_COM_MODULE(tw::test::kModule)
