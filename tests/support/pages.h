#pragma once
// Creating the library's classes in a test, and driving a page as the host does.

#include <gtest/gtest.h>

#include <string_view>

#include "framework/page_classes.h"
#include "support/fakes.h"
#include "tidewise/forms/forms.h"

namespace tw::testing {

// The class of the library's table with that name; fails the test when absent.
const com::ClassEntry& library_class(std::string_view name);

template <com::Interface I>
ComPtr<I> create(std::string_view class_name) {
  return library_class(class_name).create().template as<I>();
}

forms::Form& form_of(host::IMetaDataPage* page);

// The error information of the last failure, as text.
std::string last_error();

// Creates, loads and unloads a page on a fake document, keeping the calls
// each step made.
struct PageRun {
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
  ComPtr<FakeDocument> document = com::make_object<FakeDocument>(recorder);
  ComPtr<FakeTree> tree = com::make_object<FakeTree>(recorder);
  ComPtr<host::IMetaDataPage> page;

  explicit PageRun(std::string_view class_name) : page(create<host::IMetaDataPage>(class_name)) {}

  forms::Form& form() { return form_of(page.get()); }
  forms::Control& control(std::string_view name) { return form().get(name); }

  HRESULT load(const std::string& unique_name = {}) {
    return page->LoadPage(document.get(), tree.get(), unique_name);
  }
  HRESULT unload(com::VARIANT_BOOL* result) {
    return page->UnloadPage(document.get(), tree.get(), result);
  }
  // Unloads expecting success; returns the page's answer.
  com::VARIANT_BOOL leave() {
    com::VARIANT_BOOL result = 7;
    EXPECT_EQ(unload(&result), com::S_OK) << last_error();
    return result;
  }
  // The calls recorded since the last take.
  std::vector<std::string> take_calls() { return std::exchange(recorder->calls, {}); }
  bool completed() {
    com::VARIANT_BOOL value = 0;
    EXPECT_EQ(page->get_Completed(&value), com::S_OK);
    return com::from_variant_bool(value);
  }
};

}  // namespace tw::testing
