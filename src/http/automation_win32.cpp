#include "http/automation_win32.h"

#include <cstring>
#include <memory>

#include "runtime/system/wide_text.h"

namespace korvan {

namespace {

struct SafeArrayDeleter {
  void operator()(SAFEARRAY* array) const noexcept { ::SafeArrayDestroy(array); }
};
using UniqueSafeArray = std::unique_ptr<SAFEARRAY, SafeArrayDeleter>;

// Holds SafeArrayAccessData for one scope.
class SafeArrayAccess {
 public:
  explicit SafeArrayAccess(SAFEARRAY* array) noexcept : array_(array) {
    if (FAILED(::SafeArrayAccessData(array_, &data_))) data_ = nullptr;
  }
  ~SafeArrayAccess() {
    if (data_ != nullptr) ::SafeArrayUnaccessData(array_);
  }
  SafeArrayAccess(const SafeArrayAccess&) = delete;
  SafeArrayAccess& operator=(const SafeArrayAccess&) = delete;
  void* Data() const noexcept { return data_; }

 private:
  SAFEARRAY* array_;
  void* data_ = nullptr;
};

struct BstrDeleter {
  void operator()(wchar_t* text) const noexcept { ::SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<wchar_t, BstrDeleter>;

UniqueBstr TextToBstr(std::string_view text) {
  const std::wstring wide = AnsiToWide(text);
  return UniqueBstr(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

}  // namespace

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
  V_BSTR(variant.Get()) = bstr.release();
  return variant;
}

OwnedVariant OwnedVariant::FromBytes(const ByteSet& bytes) {
  OwnedVariant variant;
  UniqueSafeArray array(::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
  if (!array) return variant;
  {
    SafeArrayAccess access(array.get());
    if (access.Data() == nullptr) return variant;
    if (!bytes.empty()) std::memcpy(access.Data(), bytes.data(), bytes.size());
  }
  V_VT(variant.Get()) = VT_ARRAY | VT_UI1;
  V_ARRAY(variant.Get()) = array.release();
  return variant;
}

ByteSet VariantBytes(const VARIANT& value) {
  if (V_VT(&value) != (VT_ARRAY | VT_UI1) || V_ARRAY(&value) == nullptr) return {};
  SAFEARRAY* array = V_ARRAY(&value);
  if (::SafeArrayGetDim(array) != 1) return {};
  LONG lower = 0;
  LONG upper = -1;
  if (FAILED(::SafeArrayGetLBound(array, 1, &lower)) || FAILED(::SafeArrayGetUBound(array, 1, &upper))) return {};
  if (upper < lower) return {};
  SafeArrayAccess access(array);
  if (access.Data() == nullptr) return {};
  const auto* first = static_cast<const std::uint8_t*>(access.Data());
  return ByteSet(first, first + (static_cast<std::size_t>(upper) - lower + 1));
}

Text VariantText(const VARIANT& value) {
  if (V_VT(&value) != VT_BSTR || V_BSTR(&value) == nullptr) return {};
  const BSTR text = V_BSTR(&value);
  // A Text ends at its first zero; Wine's header text can hold one after a malformed header line.
  return WideToAnsi(std::wstring_view(text));
}

std::optional<double> VariantNumber(const VARIANT& value) {
  OwnedVariant converted;
  // VariantChangeType's source is not const in the headers, though it is only read.
  if (FAILED(::VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, VT_R8))) return std::nullopt;
  return V_R8(converted.Get());
}

HRESULT CallByName(IDispatch* object, const wchar_t* name, WORD kind, std::vector<OwnedVariant> arguments,
                   VARIANT* result) {
  if (object == nullptr) return E_POINTER;
  DISPID member = DISPID_UNKNOWN;
  auto* names = const_cast<LPOLESTR>(name);
  HRESULT hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &member);
  if (FAILED(hr)) return hr;

  // Invoke takes the arguments last to first; the VARIANTs stay owned by `arguments`.
  std::vector<VARIANTARG> reversed;
  reversed.reserve(arguments.size());
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(*it->Get());

  DISPID putName = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{};
  parameters.rgvarg = reversed.empty() ? nullptr : reversed.data();
  parameters.cArgs = static_cast<UINT>(reversed.size());
  if (kind == DISPATCH_PROPERTYPUT) {
    parameters.rgdispidNamedArgs = &putName;
    parameters.cNamedArgs = 1;
  }
  OwnedVariant ignored;
  VARIANT* target = result != nullptr ? result : (kind == DISPATCH_PROPERTYPUT ? nullptr : ignored.Get());
  EXCEPINFO exception{};
  UINT badArgument = 0;
  hr = object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, target, &exception, &badArgument);
  // A failing member may describe itself; those strings are ours to free.
  ::SysFreeString(exception.bstrSource);
  ::SysFreeString(exception.bstrDescription);
  ::SysFreeString(exception.bstrHelpFile);
  return hr;
}

}  // namespace korvan
