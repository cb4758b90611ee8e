// Late-bound COM automation: the values of VARIANTs and calls of an IDispatch member by its name.
// Texts cross as code page 936.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string_view>
#include <vector>

#include "platform/win32/com_owners.h"
#include "runtime/text/text.h"

namespace korvan {

// The bytes of a VT_ARRAY | VT_UI1 value; empty for any other kind.
ByteSet VariantBytes(const VARIANT& value);
// A VT_BSTR value up to its first zero, as code page 936; empty for any other kind.
Text VariantText(const VARIANT& value);
// The value as a double (VariantChangeType); nullopt when it has none.
std::optional<double> VariantNumber(const VARIANT& value);

// Calls member `name` of object with the arguments in their declared order. kind is
// DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT; for a put the last argument is the
// value written and the ones before it are the indexes. result may be null.
HRESULT CallByName(IDispatch* object,
                   const wchar_t* name,
                   WORD kind,
                   std::vector<OwnedVariant> arguments,
                   VARIANT* result = nullptr);

}  // namespace korvan
