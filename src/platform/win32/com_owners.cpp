#include "platform/win32/com_owners.h"

#include <cstring>
#include <string>

#include "platform/win32/wide_text.h"

namespace korvan {

UniqueBstr TextToBstr(std::string_view text) {
  const std::wstring wide = AnsiToWide(text);
  return UniqueBstr(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

UniqueBstr Utf8ToBstr(std::string_view text) {
  const std::wstring wide = Utf8ToWide(text);
  return UniqueBstr(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

std::string BstrToUtf8(BSTR text) {
  return text == nullptr ? std::string() : WideToUtf8(std::wstring_view(text, ::SysStringLen(text)));
}

OwnedVariant& OwnedVariant::operator=(OwnedVariant&& other) noexcept {
  if (this != &other) {
    ::VariantClear(&value_);
    value_ = other.value_;
    ::VariantInit(&other.value_);
  }
  return *this;
}

OwnedVariant OwnedVariant::FromInteger(LONG number) {
  OwnedVariant variant;
  V_VT(variant.Get()) = VT_I4;
  V_I4(variant.Get()) = number;
  return variant;
}

OwnedVariant OwnedVariant::FromLogical(bool logical) {
  OwnedVariant variant;
  V_VT(variant.Get()) = VT_BOOL;
  V_BOOL(variant.Get()) = logical ? VARIANT_TRUE : VARIANT_FALSE;
  return variant;
}

OwnedVariant OwnedVariant::FromText(std::string_view text) {
  OwnedVariant variant;
  UniqueBstr bstr = TextToBstr(text);
  if (!bstr) return variant;
  V_VT(variant.Get()) = VT_BSTR;
  V_BSTR(variant.Get()) = bstr.Release();
  return variant;
}

OwnedVariant OwnedVariant::FromBytes(const ByteSet& bytes) {
  OwnedVariant variant;
  UniqueSafeArray array(::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
  if (!array) return variant;
  {
    SafeArrayAccess access(array.Get());
    if (access.Data() == nullptr) return variant;
    if (!bytes.empty()) std::memcpy(access.Data(), bytes.data(), bytes.size());
  }
  V_VT(variant.Get()) = VT_ARRAY | VT_UI1;
  V_ARRAY(variant.Get()) = array.Release();
  return variant;
}

}  // namespace korvan
