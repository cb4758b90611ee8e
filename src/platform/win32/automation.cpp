#include "platform/win32/automation.h"

#include "platform/win32/wide_text.h"

namespace korvan {

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

HRESULT CallByName(IDispatch* object,
                   const wchar_t* name,
                   WORD kind,
                   std::vector<OwnedVariant> arguments,
                   VARIANT* result) {
  if (object == nullptr) return E_POINTER;
  DISPID member = DISPID_UNKNOWN;
  auto* names = const_cast<LPOLESTR>(name);
  HRESULT hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &member);
  if (FAILED(hr)) return hr;

  // Invoke takes the arguments last to first; the VARIANTs stay owned by `arguments`.
  std::vector<VARIANTARG> reversed;
  reversed.reserve(arguments.size());
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it)
    reversed.push_back(*it->Get());

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
  const UniqueBstr source(exception.bstrSource), description(exception.bstrDescription),
      helpFile(exception.bstrHelpFile);
  return hr;
}

}  // namespace korvan
