// Late-bound COM automation: owners for the COM apartment, BSTR and VARIANT values, and calls of an
// IDispatch member by its name. Texts cross as code page 936.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string_view>
#include <vector>

#include "runtime/text/text.h"

namespace korvan {

// CoInitialize(nullptr) for the calling thread, balanced on destruction when it succeeded
// (S_FALSE included: the thread was already initialised, and the count still has to drop).
class ComInitialization {
 public:
  ComInitialization() noexcept : result_(::CoInitialize(nullptr)) {}
  ~ComInitialization() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;

 private:
  HRESULT result_;
};

// One VARIANT, cleared (with whatever BSTR or SAFEARRAY it holds) on destruction.
class OwnedVariant {
 public:
  OwnedVariant() noexcept { ::VariantInit(&value_); }
  OwnedVariant(OwnedVariant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
  OwnedVariant& operator=(OwnedVariant&& other) noexcept;
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;
  ~OwnedVariant() { ::VariantClear(&value_); }

  static OwnedVariant FromInteger(LONG number);
  static OwnedVariant FromLogical(bool logical);
  // The code page 936 text as a BSTR.
  static OwnedVariant FromText(std::string_view text);
  // The bytes as a one-dimensional SAFEARRAY of VT_UI1; VT_EMPTY when the array cannot be made.
  static OwnedVariant FromBytes(const ByteSet& bytes);

  VARIANT* Get() noexcept { return &value_; }
  const VARIANT* Get() const noexcept { return &value_; }

 private:
  VARIANT value_;
};

// The bytes of a VT_ARRAY | VT_UI1 value; empty for any other kind.
ByteSet VariantBytes(const VARIANT& value);
// A VT_BSTR value up to its first zero, as code page 936; empty for any other kind.
Text VariantText(const VARIANT& value);
// The value as a double (VariantChangeType); nullopt when it has none.
std::optional<double> VariantNumber(const VARIANT& value);

// Calls member `name` of object with the arguments in their declared order. kind is
// DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT; for a put the last argument is the
// value written and the ones before it are the indexes. result may be null.
HRESULT CallByName(IDispatch* object, const wchar_t* name, WORD kind, std::vector<OwnedVariant> arguments,
                   VARIANT* result = nullptr);

}  // namespace korvan
