// Owning wrappers for the Win32 handle kinds the program holds: each closes its handle exactly once.
// The COM and OLE owners stand beside them in com_owners.h; WinINet's and WinHTTP's in their own
// headers, as the two systems' headers cannot meet in one file.
#pragma once

#include <windows.h>
#include <bcrypt.h>

#include <utility>

namespace korvan {

// Traits: Type, Invalid() and Close(Type). A handle equal to Invalid() is never closed.
template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;

  UniqueResource() noexcept = default;
  explicit UniqueResource(Type value) noexcept : value_(value) {}
  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { Reset(); }

  Type Get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

  Type Release() noexcept { return std::exchange(value_, Traits::Invalid()); }
  void Reset(Type value = Traits::Invalid()) noexcept {
    const Type old = std::exchange(value_, value);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

 private:
  Type value_ = Traits::Invalid();
};

// A handle kind that is null when absent and closed by one call, whose result is of no use.
template <typename HandleType, auto close>
struct NullableHandleTraits {
  using Type = HandleType;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { static_cast<void>(close(handle)); }
};

// Process, thread, file-mapping and event handles: null when absent.
struct HandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { ::CloseHandle(handle); }
};

// CreateFileA gives INVALID_HANDLE_VALUE, not null, on failure.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) noexcept { ::CloseHandle(handle); }
};

struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) noexcept { ::FindClose(handle); }
};

struct ModuleTraits {
  using Type = HMODULE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type module) noexcept { ::FreeLibrary(module); }
};

struct CryptoAlgorithmTraits {
  using Type = BCRYPT_ALG_HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type algorithm) noexcept { ::BCryptCloseAlgorithmProvider(algorithm, 0); }
};

struct CryptoHashTraits {
  using Type = BCRYPT_HASH_HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type hash) noexcept { ::BCryptDestroyHash(hash); }
};

// A pen, brush, font, bitmap or region the program created; not one selected into a DC.
template <typename GdiType>
struct GdiObjectTraits {
  using Type = GdiType;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type object) noexcept { ::DeleteObject(object); }
};

// The screen's DC from GetDC(nullptr).
struct ScreenDcTraits {
  using Type = HDC;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type dc) noexcept { ::ReleaseDC(nullptr, dc); }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueCryptoAlgorithm = UniqueResource<CryptoAlgorithmTraits>;
using UniqueCryptoHash = UniqueResource<CryptoHashTraits>;
using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueScreenDc = UniqueResource<ScreenDcTraits>;

}  // namespace korvan
