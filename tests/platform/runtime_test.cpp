// The component runtime: identifiers, status codes, the smart pointer, objects
// built from an interface list, variants, error information and the boundary.

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tidewise/com/error.h"
#include "tidewise/com/guid.h"
#include "tidewise/com/hresult.h"
#include "tidewise/com/object.h"
#include "tidewise/com/unknown.h"
#include "tidewise/com/variant.h"

namespace tw::com {
namespace {

// ---- Identifiers

TEST(Guid, ParsesEveryByteInWrittenOrder) {
  constexpr GUID g = guid("{00112233-4455-6677-8899-AABBCCDDEEFF}");
  for (std::size_t i = 0; i < g.bytes.size(); ++i) {
    EXPECT_EQ(g.bytes[i], i * 0x11) << "byte " << i;
  }
  static_assert(guid("{00000000-0000-0000-C000-000000000046}").bytes[8] == 0xC0);
}

TEST(Guid, RoundTripsThroughTextInUpperCase) {
  const char* texts[] = {
      "{00000000-0000-0000-0000-000000000000}", "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}",
      "{6f3d8a21-5b7c-4e19-9a0d-2c4b7e81f5a3}", "{6F3d8A21-5b7C-4E19-9a0D-2c4B7E81f5A3}",
      "{01234567-89AB-CDEF-0123-456789ABCDEF}",
  };
  for (const std::string text : texts) {
    SCOPED_TRACE(text);
    const auto parsed = parse_guid(text);
    ASSERT_TRUE(parsed.has_value());
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(to_string(*parsed), upper);
    EXPECT_EQ(parse_guid(to_string(*parsed)), parsed);
  }
}

TEST(Guid, RefusesMalformedText) {
  const std::string malformed[] = {
      "",
      "{}",
      "6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A3",      // no braces
      "(6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A3)",    // wrong brackets
      "{6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A3",     // no closing brace
      "6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A3}",     // no opening brace
      "{6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A}",     // a digit short
      "{6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A33}",   // a digit too many
      "{6F3D8A215-B7C-4E19-9A0D-2C4B7E81F5A3}",    // dash moved
      "{6F3D8A21-5B7C-4E19-9A0D2-C4B7E81F5A3}",    // dash moved in the last group
      "{6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A3}}",   // trailing text
      " {6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A3}",   // leading space
      "{6F3D8A21 5B7C-4E19-9A0D-2C4B7E81F5A3}",    // space for a dash
      "{6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5AG}",    // not hexadecimal
      "{6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5+3}",    // sign inside a byte
      "{0x3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A3}",    // a prefix
      "{6F3D8A21-5B7C-4E19-9A0D-2C4B7E81F5A3}\n",  // newline
      std::string("{6F3D8A21-5B7C-4E19-9A0D-2C4B7E8\0F5A3}", 38),
  };
  for (const std::string& text : malformed) {
    EXPECT_EQ(parse_guid(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(Guid, HashAndOrderSeparateIdentifiers) {
  constexpr GUID a = guid("{00000000-0000-0000-0000-000000000001}");
  constexpr GUID b = guid("{10000000-0000-0000-0000-000000000000}");
  EXPECT_NE(a, b);
  EXPECT_LT(a, b);
  EXPECT_NE(GuidHash{}(a), GuidHash{}(b));
}

// ---- Status codes

TEST(HResult, NamesAndHexForms) {
  struct Case {
    HRESULT code;
    const char* name;
    const char* hex;
  };
  const Case cases[] = {
      {S_OK, "S_OK", "0x00000000"},
      {S_FALSE, "S_FALSE", "0x00000001"},
      {E_NOTIMPL, "E_NOTIMPL", "0x80004001"},
      {E_NOINTERFACE, "E_NOINTERFACE", "0x80004002"},
      {E_POINTER, "E_POINTER", "0x80004003"},
      {E_FAIL, "E_FAIL", "0x80004005"},
      {E_OUTOFMEMORY, "E_OUTOFMEMORY", "0x8007000E"},
      {E_INVALIDARG, "E_INVALIDARG", "0x80070057"},
      {E_ACCESSDENIED, "E_ACCESSDENIED", "0x80070005"},
      {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH", "0x80020005"},
      {DISP_E_BADINDEX, "DISP_E_BADINDEX", "0x8002000B"},
      {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG", "0x80040154"},
      {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION", "0x80040110"},
      {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE", "0x80040111"},
      {CO_E_CLASSSTRING, "CO_E_CLASSSTRING", "0x800401F3"},
      {CO_E_DLLNOTFOUND, "CO_E_DLLNOTFOUND", "0x800401F8"},
      {CO_E_ERRORINDLL, "CO_E_ERRORINDLL", "0x800401F9"},
      {SELFREG_E_CLASS, "SELFREG_E_CLASS", "0x80040201"},
      // Codes without a name are shown in hex.
      {make_hresult(0x80070002), "0x80070002", "0x80070002"},
      {make_hresult(0x00000002), "0x00000002", "0x00000002"},
      {make_hresult(0xFFFFFFFF), "0xFFFFFFFF", "0xFFFFFFFF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hresult_name(c.code), c.name) << c.hex;
    EXPECT_EQ(hresult_hex(c.code), c.hex) << c.name;
  }
}

TEST(HResult, SuccessIsTheSignAndBooleansAreSixteenBit) {
  EXPECT_TRUE(succeeded(S_OK));
  EXPECT_TRUE(succeeded(S_FALSE));
  EXPECT_FALSE(failed(S_FALSE));
  EXPECT_TRUE(failed(E_FAIL));
  EXPECT_TRUE(failed(make_hresult(0x80000000)));
  EXPECT_EQ(to_variant_bool(true), -1);
  EXPECT_EQ(to_variant_bool(false), 0);
  EXPECT_TRUE(from_variant_bool(1));  // any non-zero value is true
  EXPECT_TRUE(from_variant_bool(-1));
  EXPECT_FALSE(from_variant_bool(0));
}

// ---- Test interfaces

struct IFirst : IUnknown {
  static constexpr GUID IID = guid("{11111111-0000-4000-8000-000000000001}");
  static constexpr std::string_view Name = "IFirst";
  virtual int First() noexcept = 0;

 protected:
  ~IFirst() = default;
};
struct ISecond : IUnknown {
  static constexpr GUID IID = guid("{11111111-0000-4000-8000-000000000002}");
  static constexpr std::string_view Name = "ISecond";
  virtual int Second() noexcept = 0;

 protected:
  ~ISecond() = default;
};
struct IMissing : IUnknown {
  static constexpr GUID IID = guid("{11111111-0000-4000-8000-000000000003}");
  static constexpr std::string_view Name = "IMissing";

 protected:
  ~IMissing() = default;
};

// Counts the reference calls made on it. It lives on the test's stack, so the
// counts can be read once every pointer is gone. It starts with the one
// reference its creator holds.
class Counted final : public IFirst {
 public:
  HRESULT QueryInterface(const GUID& iid, void** out) noexcept override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != IUnknown::IID && iid != IFirst::IID) return E_NOINTERFACE;
    *out = static_cast<IFirst*>(this);
    AddRef();
    return S_OK;
  }
  std::uint32_t AddRef() noexcept override {
    if (refs == 0) resurrected = true;
    ++add_refs;
    return static_cast<std::uint32_t>(++refs);
  }
  std::uint32_t Release() noexcept override {
    if (refs == 0) over_released = true;
    ++releases;
    return static_cast<std::uint32_t>(--refs);
  }
  int First() noexcept override { return 1; }

  int refs = 1;
  int add_refs = 0;
  int releases = 0;
  bool resurrected = false;
  bool over_released = false;
};

// ---- ComPtr

TEST(ComPtr, OwnershipVerbsCountReferencesExactly) {
  using P = ComPtr<IFirst>;
  struct Case {
    const char* verb;
    std::function<void(Counted& a, Counted& b)> run;
    int a_add_refs, a_releases, b_add_refs, b_releases;
  };
  const Case cases[] = {
      {"borrowing constructor", [](Counted& a, Counted&) { P p(&a); }, 1, 1, 0, 0},
      {"adopt", [](Counted& a, Counted&) { P p = P::adopt(&a); }, 0, 1, 0, 0},
      {"copy",
       [](Counted& a, Counted&) {
         P p = P::adopt(&a);
         P q(p);  // NOLINT(performance-unnecessary-copy-initialization): the copy is counted
         EXPECT_EQ(q.get(), &a);
       },
       1, 2, 0, 0},
      {"converting copy",
       [](Counted& a, Counted&) {
         ComPtr<Counted> p = ComPtr<Counted>::adopt(&a);
         P q(p);
         EXPECT_EQ(q.get(), &a);
       },
       1, 2, 0, 0},
      {"move",
       [](Counted& a, Counted&) {
         P p = P::adopt(&a);
         P q(std::move(p));
         EXPECT_EQ(p.get(), nullptr);  // NOLINT(bugprone-use-after-move)
         EXPECT_EQ(q.get(), &a);
       },
       0, 1, 0, 0},
      {"copy assignment over another",
       [](Counted& a, Counted& b) {
         P p = P::adopt(&a);
         P q = P::adopt(&b);
         q = p;
         EXPECT_EQ(q.get(), &a);
       },
       1, 2, 0, 1},
      {"move assignment over another",
       [](Counted& a, Counted& b) {
         P p = P::adopt(&a);
         P q = P::adopt(&b);
         q = std::move(p);
         EXPECT_EQ(p.get(), nullptr);  // NOLINT(bugprone-use-after-move)
         EXPECT_EQ(q.get(), &a);
       },
       0, 1, 0, 1},
      {"self copy assignment",
       [](Counted& a, Counted&) {
         P p = P::adopt(&a);
         const P& same = p;
         p = same;
         EXPECT_EQ(p.get(), &a);
       },
       1, 2, 0, 0},
      {"self move assignment",
       [](Counted& a, Counted&) {
         P p = P::adopt(&a);
         P& same = p;
         p = std::move(same);
         EXPECT_EQ(p.get(), &a);
       },
       0, 1, 0, 0},
      {"assigning null",
       [](Counted& a, Counted&) {
         P p = P::adopt(&a);
         p = nullptr;
         EXPECT_FALSE(p);
       },
       0, 1, 0, 0},
      {"reset",
       [](Counted& a, Counted&) {
         P p = P::adopt(&a);
         p.reset();
         EXPECT_FALSE(p);
       },
       0, 1, 0, 0},
      {"attach releases the old reference and adopts the new",
       [](Counted& a, Counted& b) {
         P p = P::adopt(&a);
         p.attach(&b);
         EXPECT_EQ(p.get(), &b);
       },
       0, 1, 0, 1},
      {"detach gives the reference up",
       [](Counted& a, Counted&) {
         P p = P::adopt(&a);
         IFirst* raw = p.detach();
         EXPECT_EQ(raw, &a);
         EXPECT_FALSE(p);
         EXPECT_EQ(a.releases, 0);
         raw->Release();
       },
       0, 1, 0, 0},
      {"copy_to hands out a new reference",
       [](Counted& a, Counted&) {
         P p = P::adopt(&a);
         IFirst* out = nullptr;
         p.copy_to(&out);
         EXPECT_EQ(out, &a);
         out->Release();
       },
       1, 2, 0, 0},
      {"copy_to from an empty pointer clears the out parameter",
       [](Counted&, Counted& b) {
         P p;
         IFirst* out = &b;
         p.copy_to(&out);
         EXPECT_EQ(out, nullptr);
       },
       0, 0, 0, 0},
      {"put fills an empty pointer from an out parameter",
       [](Counted& a, Counted&) {
         P p;
         EXPECT_EQ(a.QueryInterface(IFirst::IID, p.put_void()), S_OK);
         EXPECT_EQ(p.get(), &a);
       },
       1, 1, 0, 0},
      {"as hands out a new reference",
       [](Counted& a, Counted&) {
         P p(&a);
         ComPtr<IUnknown> q = p.as<IUnknown>();
         EXPECT_EQ(q.get(), static_cast<IUnknown*>(&a));
       },
       2, 2, 0, 0},
      {"try_as of a missing interface is null and takes nothing",
       [](Counted& a, Counted&) {
         P p(&a);
         EXPECT_FALSE(p.try_as<IMissing>());
       },
       1, 1, 0, 0},
      {"try_as on an empty pointer is null",
       [](Counted&, Counted&) { EXPECT_FALSE(P().try_as<IFirst>()); }, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verb);
    Counted a, b;
    c.run(a, b);
    EXPECT_EQ(a.add_refs, c.a_add_refs);
    EXPECT_EQ(a.releases, c.a_releases);
    EXPECT_EQ(b.add_refs, c.b_add_refs);
    EXPECT_EQ(b.releases, c.b_releases);
    EXPECT_FALSE(a.resurrected || b.resurrected) << "a reference was taken after the last release";
    EXPECT_FALSE(a.over_released || b.over_released);
  }
}

TEST(ComPtr, AsThrowsNoInterfaceNamingQueryInterfaceAndTheInterface) {
  Counted a;
  {
    const ComPtr<IFirst> p(&a);
    try {
      (void)p.as<IMissing>();
      ADD_FAILURE() << "as<IMissing> did not throw";
    } catch (const Error& e) {
      EXPECT_EQ(e.code(), E_NOINTERFACE);
      EXPECT_EQ(e.source(), "IUnknown.QueryInterface");
      const std::string text = e.what();
      EXPECT_EQ(text.rfind("IUnknown.QueryInterface: ", 0), 0u) << text;
      EXPECT_NE(text.find("IMissing"), std::string::npos) << text;
    }
  }
  EXPECT_EQ(a.refs, 1);  // the failed query left no reference behind

  try {
    (void)ComPtr<IFirst>().as<IUnknown>();
    ADD_FAILURE() << "as on an empty pointer did not throw";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), E_POINTER);
  }
}

// ---- Object

class Pair final : public Object<Pair, IFirst, ISecond> {
 public:
  explicit Pair(int* destroyed) : destroyed_(destroyed) {}
  ~Pair() override { ++*destroyed_; }
  int First() noexcept override { return 1; }
  int Second() noexcept override { return 2; }

 private:
  int* destroyed_;
};

TEST(Object, QueryInterfaceFromItsList) {
  int destroyed = 0;
  {
    const ComPtr<Pair> pair = make_object<Pair>(&destroyed);
    IUnknown* const identity = pair->identity();
    IUnknown* const as_first = static_cast<IFirst*>(pair.get());
    IUnknown* const as_second = static_cast<ISecond*>(pair.get());
    ASSERT_NE(as_first, as_second);  // two distinct interface pointers

    struct Case {
      const char* asked;
      GUID iid;
      HRESULT code;
      void* pointer;
    };
    const Case asked[] = {
        {"IUnknown", IUnknown::IID, S_OK, identity},
        {"IFirst", IFirst::IID, S_OK, static_cast<IFirst*>(pair.get())},
        {"ISecond", ISecond::IID, S_OK, static_cast<ISecond*>(pair.get())},
        {"IMissing", IMissing::IID, E_NOINTERFACE, nullptr},
    };
    const std::pair<const char*, IUnknown*> from[] = {
        {"identity", identity}, {"IFirst", as_first}, {"ISecond", as_second}};
    for (const auto& [from_name, source] : from) {
      for (const Case& c : asked) {
        SCOPED_TRACE(std::string(from_name) + " asked for " + c.asked);
        int sentinel = 0;
        void* out = &sentinel;
        const HRESULT hr = source->QueryInterface(c.iid, &out);
        EXPECT_EQ(hr, c.code);
        EXPECT_EQ(out, c.pointer);  // cleared on failure
        if (succeeded(hr) && out) static_cast<IUnknown*>(out)->Release();
      }
      EXPECT_EQ(source->QueryInterface(IFirst::IID, nullptr), E_POINTER) << from_name;
    }
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 1);
}

TEST(Object, CountsReferencesAndLiveObjects) {
  const long live_before = ModuleCount::count;
  int destroyed = 0;
  Pair* pair = make_object<Pair>(&destroyed).detach();
  EXPECT_EQ(ModuleCount::count, live_before + 1);
  EXPECT_EQ(pair->AddRef(), 2u);
  void* out = nullptr;
  ASSERT_EQ(pair->identity()->QueryInterface(ISecond::IID, &out), S_OK);
  EXPECT_EQ(pair->Release(), 2u);  // the query took one
  EXPECT_EQ(static_cast<ISecond*>(out)->Release(), 1u);
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(pair->Release(), 0u);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(ModuleCount::count, live_before);
}

// ---- Variant

TEST(Variant, EveryTypeAnswersOnlyItsOwnAccessor) {
  Counted object;
  object.refs = 0;  // owned by the variants below alone
  struct Case {
    const char* name;
    Variant value;
    VarType type;
    const char* type_name;
    std::function<void(const Variant&)> check;
  };
  const Case cases[] = {
      {"empty", Variant(), VarType::Empty, "Empty",
       [](const Variant& v) { EXPECT_TRUE(v.is_empty()); }},
      {"null", Variant::null(), VarType::Null, "Null",
       [](const Variant& v) { EXPECT_FALSE(v.is_empty()); }},
      {"i2", Variant::i2(-32768), VarType::I2, "Integer",
       [](const Variant& v) { EXPECT_EQ(*v.as_i2(), -32768); }},
      {"i4", Variant::i4(2147483647), VarType::I4, "Long",
       [](const Variant& v) { EXPECT_EQ(*v.as_i4(), 2147483647); }},
      {"r8", Variant::r8(-0.5), VarType::R8, "Double",
       [](const Variant& v) { EXPECT_EQ(*v.as_r8(), -0.5); }},
      {"date", Variant::date(45000.25), VarType::Date, "Date",
       [](const Variant& v) { EXPECT_EQ(v.as_date()->days, 45000.25); }},
      {"true", Variant::boolean(true), VarType::Bool, "Boolean",
       [](const Variant& v) { EXPECT_EQ(v.as_bool(), true); }},
      {"false", Variant::boolean(false), VarType::Bool, "Boolean",
       [](const Variant& v) { EXPECT_EQ(v.as_bool(), false); }},
      {"string", Variant::str("Küste \"tide\""), VarType::BStr, "String",
       [](const Variant& v) { EXPECT_EQ(*v.as_string(), "Küste \"tide\""); }},
      {"empty string", Variant::str(""), VarType::BStr, "String",
       [](const Variant& v) { EXPECT_EQ(*v.as_string(), ""); }},
      {"object", Variant::object(ComPtr<IUnknown>(&object)), VarType::Unknown, "Object",
       [&](const Variant& v) { EXPECT_EQ(v.as_object()->get(), static_cast<IUnknown*>(&object)); }},
      {"array", Variant::array(1, {Variant::i4(7), Variant::str("x")}), VarType::Array, "Array",
       [](const Variant& v) {
         EXPECT_EQ(v.as_array()->lower_bound, 1);
         ASSERT_EQ(v.as_array()->elements.size(), 2u);
         EXPECT_EQ(*v.as_array()->elements[1].as_string(), "x");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Variant& v = c.value;
    EXPECT_EQ(v.type(), c.type);
    EXPECT_EQ(to_string(v.type()), c.type_name);
    EXPECT_EQ(v.as_i2() != nullptr, c.type == VarType::I2);
    EXPECT_EQ(v.as_i4() != nullptr, c.type == VarType::I4);
    EXPECT_EQ(v.as_r8() != nullptr, c.type == VarType::R8);
    EXPECT_EQ(v.as_date() != nullptr, c.type == VarType::Date);
    EXPECT_EQ(v.as_bool().has_value(), c.type == VarType::Bool);
    EXPECT_EQ(v.as_string() != nullptr, c.type == VarType::BStr);
    EXPECT_EQ(v.as_object() != nullptr, c.type == VarType::Unknown);
    EXPECT_EQ(v.as_array() != nullptr, c.type == VarType::Array);
    c.check(v);
    const Variant copy = v;  // a copy holds the same value
    EXPECT_EQ(copy, v);
    c.check(copy);
  }
}

TEST(Variant, CopiesOfArraysAreDeep) {
  const Variant inner = Variant::array(0, {Variant::str("a"), Variant::i2(2)});
  Variant original = Variant::array(5, {inner, Variant::null()});

  Variant copy(original);  // from a non-const value, as callers hold them
  Variant assigned;
  assigned = original;
  for (const Variant* v : {&copy, &assigned}) {
    ASSERT_NE(v->as_array(), nullptr);
    EXPECT_NE(v->as_array(), original.as_array());
    EXPECT_NE(v->as_array()->elements[0].as_array(), original.as_array()->elements[0].as_array());
    EXPECT_EQ(*v, original);
  }

  // Dropping the original leaves the copies whole.
  original = Variant::i4(0);
  EXPECT_EQ(copy.as_array()->lower_bound, 5);
  EXPECT_EQ(*copy.as_array()->elements[0].as_array()->elements[0].as_string(), "a");
  EXPECT_EQ(assigned, copy);

  std::vector<Variant> values;
  values.emplace_back(copy);
  EXPECT_EQ(values.front(), copy);

  Variant moved(std::move(assigned));
  EXPECT_EQ(moved, copy);
}

TEST(Variant, CopiesShareObjectsByReference) {
  Counted object;
  object.refs = 0;
  {
    const Variant one = Variant::object(ComPtr<IUnknown>(&object));
    const Variant array = Variant::array(0, {one, one});
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): the copy is counted
    const Variant copy = array;
    EXPECT_EQ(object.refs, 5);  // one, two in the array, two in its copy
  }
  EXPECT_EQ(object.refs, 0);
  EXPECT_FALSE(object.over_released);
}

TEST(Variant, EqualityComparesTypeAndValue) {
  Counted first, second;
  const Variant a = Variant::object(ComPtr<IUnknown>(&first));
  const Variant b = Variant::object(ComPtr<IUnknown>(&second));
  struct Case {
    const char* name;
    Variant left, right;
    bool equal;
  };
  const Case cases[] = {
      {"empty", Variant(), Variant(), true},
      {"null", Variant::null(), Variant::null(), true},
      {"empty is not null", Variant(), Variant::null(), false},
      {"empty is not an empty string", Variant(), Variant::str(""), false},
      {"same i2", Variant::i2(3), Variant::i2(3), true},
      {"i2 is not i4 of the same number", Variant::i2(3), Variant::i4(3), false},
      {"r8 is not a date of the same number", Variant::r8(2), Variant::date(2), false},
      {"different i4", Variant::i4(3), Variant::i4(4), false},
      {"same string", Variant::str("x"), Variant::str("x"), true},
      {"strings differ in case", Variant::str("x"), Variant::str("X"), false},
      {"true is not false", Variant::boolean(true), Variant::boolean(false), false},
      {"true", Variant::boolean(true), Variant::boolean(true), true},
      {"bool is not i2", Variant::boolean(true), Variant::i2(-1), false},
      {"same object", a, a, true},
      {"different objects", a, b, false},
      {"same arrays", Variant::array(0, {Variant::i4(1)}), Variant::array(0, {Variant::i4(1)}),
       true},
      {"arrays differ in bound", Variant::array(0, {Variant::i4(1)}),
       Variant::array(1, {Variant::i4(1)}), false},
      {"arrays differ in an element", Variant::array(0, {Variant::i4(1)}),
       Variant::array(0, {Variant::i4(2)}), false},
      {"arrays differ in length", Variant::array(0, {Variant::i4(1)}),
       Variant::array(0, {Variant::i4(1), Variant::i4(1)}), false},
      {"nested arrays", Variant::array(0, {Variant::array(0, {Variant::str("a")})}),
       Variant::array(0, {Variant::array(0, {Variant::str("a")})}), true},
      {"array is not its element", Variant::array(0, {Variant::i4(1)}), Variant::i4(1), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.left == c.right, c.equal) << c.name;
    EXPECT_EQ(c.right == c.left, c.equal) << c.name << " (reversed)";
  }
}

// ---- Error information

TEST(ErrorInfo, IsConsumedOnce) {
  ClearErrorInfo();
  EXPECT_EQ(GetErrorInfo(), std::nullopt);
  SetErrorInfo({"IFoo.Bar", "IFoo.Bar: first"});
  SetErrorInfo({"IFoo.Baz", "IFoo.Baz: second"});  // the latest replaces the earlier
  const auto info = GetErrorInfo();
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->source, "IFoo.Baz");
  EXPECT_EQ(info->description, "IFoo.Baz: second");
  EXPECT_EQ(GetErrorInfo(), std::nullopt);
}

TEST(ErrorInfo, IsPerThread) {
  ClearErrorInfo();
  SetErrorInfo({"IMain.Call", "IMain.Call: main"});
  std::optional<ErrorInfo> seen_by_other;
  std::optional<ErrorInfo> other_own;
  std::thread other([&] {
    seen_by_other = GetErrorInfo();
    SetErrorInfo({"IOther.Call", "IOther.Call: other"});
    other_own = GetErrorInfo();
  });
  other.join();
  EXPECT_EQ(seen_by_other, std::nullopt);
  ASSERT_TRUE(other_own.has_value());
  EXPECT_EQ(other_own->source, "IOther.Call");
  const auto mine = GetErrorInfo();
  ASSERT_TRUE(mine.has_value());
  EXPECT_EQ(mine->description, "IMain.Call: main");
}

// ---- The boundary

TEST(Boundary, TurnsWhatEscapesIntoACodeAndADescriptionNamingTheMember) {
  struct Case {
    const char* name;
    std::function<void()> body;
    HRESULT code;
    const char* source;
    const char* description;
  };
  const Case cases[] = {
      {"raised error", [] { raise(E_INVALIDARG, "bad path"); }, E_INVALIDARG, "IFoo.Bar",
       "IFoo.Bar: bad path"},
      {"error already named by another member",
       [] { throw Error(DISP_E_BADINDEX, "IOther.Item: no item 3", "IOther.Item"); },
       DISP_E_BADINDEX, "IOther.Item", "IOther.Item: no item 3"},
      {"out of memory", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY, "IFoo.Bar",
       "IFoo.Bar: out of memory"},
      {"standard exception", [] { throw std::out_of_range("index 9"); }, E_FAIL, "IFoo.Bar",
       "IFoo.Bar: index 9"},
      {"anything else", [] { throw 42; }, E_FAIL, "IFoo.Bar", "IFoo.Bar: unexpected failure"},
      {"null out parameter", [] { out_param(static_cast<int*>(nullptr)); }, E_POINTER, "IFoo.Bar",
       "IFoo.Bar: null out parameter"},
      {"failed call without error information", [] { check(E_ACCESSDENIED, "IOther.Save"); },
       E_ACCESSDENIED, "IOther.Save", "IOther.Save: failed with E_ACCESSDENIED"},
      {"a call reported as failed here",
       [] {
         SetErrorInfo({"IOther.Save", "IOther.Save: disk full"});
         call(E_ACCESSDENIED, "IOther.Save");
       },
       E_ACCESSDENIED, "IFoo.Bar",
       "IFoo.Bar: IOther.Save failed (0x80070005): IOther.Save: disk full"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearErrorInfo();
    EXPECT_EQ(boundary("IFoo.Bar", c.body), c.code);
    const auto info = GetErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->source, c.source);
    EXPECT_EQ(info->description, c.description);
    EXPECT_EQ(GetErrorInfo(), std::nullopt);
  }
}

TEST(Boundary, SuccessReturnsTheBodysCodeAndLeavesNoStaleInformation) {
  SetErrorInfo({"IOld.Call", "IOld.Call: stale"});
  EXPECT_EQ(boundary("IFoo.Bar", [] {}), S_OK);
  EXPECT_EQ(GetErrorInfo(), std::nullopt);
  EXPECT_EQ(boundary("IFoo.Bar", [] { return S_FALSE; }), S_FALSE);
  EXPECT_NO_THROW(check(S_FALSE, "IFoo.Bar"));
}

TEST(Boundary, OutParametersAreClearedOnFailure) {
  int value = 5;
  std::string text = "old";
  EXPECT_EQ(boundary("IFoo.Bar",
                     [&] {
                       out_param(&value);
                       out_param(&text);
                       raise(E_FAIL, "late failure");
                     }),
            E_FAIL);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(text, "");
  ClearErrorInfo();
}

// One step of a chain of calls: the last raises, each other one calls the
// next and tests its status.
struct IStep : IUnknown {
  static constexpr GUID IID = guid("{11111111-0000-4000-8000-000000000004}");
  static constexpr std::string_view Name = "IStep";
  virtual HRESULT Run() noexcept = 0;

 protected:
  ~IStep() = default;
};

class Step final : public Object<Step, IStep> {
 public:
  Step(std::string member, ComPtr<IStep> next, std::function<void()> failure = {})
      : member_(std::move(member)), next_(std::move(next)), failure_(std::move(failure)) {}
  HRESULT Run() noexcept override {
    return boundary(member_, [&] {
      if (next_) {
        check(next_->Run(), "IStep.Run");
      } else {
        failure_();
      }
    });
  }

 private:
  std::string member_;
  ComPtr<IStep> next_;
  std::function<void()> failure_;
};

TEST(Boundary, AFailureThreeLevelsDownReachesTheTopWithItsOwnCodeAndText) {
  struct Case {
    const char* name;
    std::function<void()> failure;
    HRESULT code;
    const char* source;
    const char* description;
  };
  const Case cases[] = {
      {"raised", [] { raise(E_ACCESSDENIED, "the file is read-only"); }, E_ACCESSDENIED,
       "ILeaf.Write", "ILeaf.Write: the file is read-only"},
      {"standard exception", [] { throw std::runtime_error("disk full"); }, E_FAIL, "ILeaf.Write",
       "ILeaf.Write: disk full"},
      {"a missing interface",
       [] {
         const ComPtr<IUnknown> other(make_object<Step>("IOther.Run", nullptr)->identity());
         (void)other.as<IMissing>();
       },
       E_NOINTERFACE, "IUnknown.QueryInterface",
       "IUnknown.QueryInterface: the object does not offer IMissing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto leaf = make_object<Step>("ILeaf.Write", nullptr, c.failure);
    const auto middle = make_object<Step>("IMiddle.Save", leaf);
    const auto top = make_object<Step>("ITop.Commit", middle);
    EXPECT_EQ(top->Run(), c.code);
    const auto info = GetErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->source, c.source);
    EXPECT_EQ(info->description, c.description);
    EXPECT_EQ(GetErrorInfo(), std::nullopt);
  }
}

TEST(Check, ThrowsTheCalleesInformationWithTheOriginalCode) {
  SetErrorInfo({"IOther.Item", "IOther.Item: no item 3"});
  try {
    check(DISP_E_BADINDEX, "IOther.Item");
    ADD_FAILURE() << "check did not throw";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), DISP_E_BADINDEX);
    EXPECT_EQ(e.source(), "IOther.Item");
    EXPECT_STREQ(e.what(), "IOther.Item: no item 3");
  }
  EXPECT_EQ(GetErrorInfo(), std::nullopt);  // taken by check
}

TEST(Call, AFailedCallIsOneErrorNamingTheCallItsCodeAndWhatItLeft) {
  struct Case {
    const char* name;
    std::optional<ErrorInfo> left;
    HRESULT code;
    const char* member;
    const char* interface_name;
    const char* what;
  };
  const Case cases[] = {
      {"with error information", ErrorInfo{"IOther.Item", "IOther.Item: no item 3"},
       DISP_E_BADINDEX, "IList.Item", "IList",
       "IList.Item failed (0x8002000B): IOther.Item: no item 3"},
      {"without", std::nullopt, E_FAIL, "CoCreateInstance", "",
       "CoCreateInstance failed (0x80004005)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearErrorInfo();
    if (c.left) SetErrorInfo(*c.left);
    try {
      call(c.code, c.member);
      ADD_FAILURE() << "call did not throw";
    } catch (const Error& e) {  // the one type every front catches
      EXPECT_EQ(e.code(), c.code);
      EXPECT_EQ(e.member(), c.member);
      EXPECT_EQ(e.interface_name(), c.interface_name);
      EXPECT_EQ(e.description(), c.left ? c.left->description : "");
      EXPECT_STREQ(e.what(), c.what);
      EXPECT_EQ(e.message(), c.what) << "the code is shown twice";
      EXPECT_FALSE(e.named()) << "a boundary it crosses names it";
    }
    EXPECT_EQ(GetErrorInfo(), std::nullopt);  // taken by call
  }
  EXPECT_NO_THROW(call(S_FALSE, "IOther.Item"));
  const Error raised(E_ACCESSDENIED, "cannot write");
  EXPECT_EQ(raised.member(), "");
  EXPECT_EQ(raised.description(), "cannot write");
  EXPECT_EQ(raised.message(), "cannot write (0x80070005)");
}

}  // namespace
}  // namespace tw::com
