#pragma once
// Status codes and 16-bit booleans as they cross every interface.

#include <cstdint>
#include <string>
#include <string_view>

namespace tw::com {

using HRESULT = std::int32_t;

constexpr HRESULT make_hresult(std::uint32_t bits) {
  return static_cast<HRESULT>(bits);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = make_hresult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = make_hresult(0x80004002);
inline constexpr HRESULT E_POINTER = make_hresult(0x80004003);
inline constexpr HRESULT E_ABORT = make_hresult(0x80004004);
inline constexpr HRESULT E_FAIL = make_hresult(0x80004005);
inline constexpr HRESULT E_OUTOFMEMORY = make_hresult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = make_hresult(0x80070057);
inline constexpr HRESULT E_ACCESSDENIED = make_hresult(0x80070005);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = make_hresult(0x80020005);
inline constexpr HRESULT DISP_E_BADINDEX = make_hresult(0x8002000B);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = make_hresult(0x80040154);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = make_hresult(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = make_hresult(0x80040111);
inline constexpr HRESULT CO_E_CLASSSTRING = make_hresult(0x800401F3);
inline constexpr HRESULT CO_E_DLLNOTFOUND = make_hresult(0x800401F8);
inline constexpr HRESULT CO_E_ERRORINDLL = make_hresult(0x800401F9);
inline constexpr HRESULT SELFREG_E_CLASS = make_hresult(0x80040201);

constexpr bool succeeded(HRESULT hr) {
  return hr >= 0;
}
constexpr bool failed(HRESULT hr) {
  return hr < 0;
}

// "0x80004005"
std::string hresult_hex(HRESULT hr);
// "E_FAIL", or the hex form for codes without a name.
std::string hresult_name(HRESULT hr);

using VARIANT_BOOL = std::int16_t;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr VARIANT_BOOL to_variant_bool(bool value) {
  return value ? VARIANT_TRUE : VARIANT_FALSE;
}
// Any non-zero value counts as true, as the callers of such interfaces treat it.
constexpr bool from_variant_bool(VARIANT_BOOL value) {
  return value != VARIANT_FALSE;
}

}  // namespace tw::com
