// Owners for the COM and OLE side of the program: the apartment and OLE sessions of a thread, BSTR
// and VARIANT values and SAFEARRAY data. Texts cross as code page 936.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "platform/win32/handles.h"
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

// OleInitialize paired with OleUninitialize on the window's thread (the browser views need OLE).
class OleSession {
 public:
  OleSession() noexcept : initialised_(SUCCEEDED(::OleInitialize(nullptr))) {}
  ~OleSession() {
    if (initialised_) ::OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

 private:
  bool initialised_;
};

struct BstrTraits {
  using Type = BSTR;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type text) noexcept { ::SysFreeString(text); }
};
using UniqueBstr = UniqueResource<BstrTraits>;

// The code page 936 text as a BSTR; null when it cannot be allocated.
UniqueBstr TextToBstr(std::string_view text);
// The UTF-8 text as a BSTR; null when it cannot be allocated.
UniqueBstr Utf8ToBstr(std::string_view text);
// The BSTR's text (it may hold zeros) in UTF-8.
std::string BstrToUtf8(BSTR text);

struct SafeArrayTraits {
  using Type = SAFEARRAY*;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type array) noexcept { ::SafeArrayDestroy(array); }
};
using UniqueSafeArray = UniqueResource<SafeArrayTraits>;

// Holds SafeArrayAccessData for one scope; Data() is null when the access failed.
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

}  // namespace korvan
