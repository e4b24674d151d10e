// Owners for Win32 handles: every handle is closed by the object that got it.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <utility>

namespace obrivo::win32 {

// A move-only owner of one handle value; `Traits` names the invalid value and how to close it.
template <typename Traits>
class Unique {
 public:
  using Handle = typename Traits::Handle;

  Unique() = default;
  explicit Unique(Handle h) : h_(h) {}
  ~Unique() { reset(); }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : h_(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return h_; }
  explicit operator bool() const { return !Traits::IsInvalid(h_); }
  Handle release() { return std::exchange(h_, Traits::Invalid()); }
  void reset(Handle h = Traits::Invalid()) {
    if (!Traits::IsInvalid(h_)) Traits::Close(h_);
    h_ = h;
  }
  // For APIs that return the handle through an out parameter.
  Handle* put() {
    reset();
    return &h_;
  }

 private:
  Handle h_ = Traits::Invalid();
};

struct HandleTraits {  // kernel objects; both NULL and INVALID_HANDLE_VALUE mean none
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsInvalid(Handle h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

struct KeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsInvalid(Handle h) { return h == nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};

struct FindTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsInvalid(Handle h) { return h == INVALID_HANDLE_VALUE || h == nullptr; }
  static void Close(Handle h) { ::FindClose(h); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsInvalid(Handle h) { return h == nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};

struct GdiTraits {
  using Handle = HGDIOBJ;
  static Handle Invalid() { return nullptr; }
  static bool IsInvalid(Handle h) { return h == nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static bool IsInvalid(Handle h) { return h == nullptr; }
  static void Close(Handle h) { ::DestroyMenu(h); }
};

struct ServiceTraits {  // the service control manager and its services
  using Handle = SC_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsInvalid(Handle h) { return h == nullptr; }
  static void Close(Handle h) { ::CloseServiceHandle(h); }
};

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static bool IsInvalid(Handle h) { return h == nullptr; }
  static void Close(Handle h) { ::DestroyIcon(h); }
};

using UniqueHandle = Unique<HandleTraits>;
using UniqueKey = Unique<KeyTraits>;
using UniqueFind = Unique<FindTraits>;
using UniqueModule = Unique<ModuleTraits>;
using UniqueGdiObject = Unique<GdiTraits>;
using UniqueMenu = Unique<MenuTraits>;
using UniqueServiceHandle = Unique<ServiceTraits>;
using UniqueIcon = Unique<IconTraits>;

// A COM interface pointer that releases its reference.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

 private:
  T* p_ = nullptr;
};

// CoInitialize for the lifetime of a scope.
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(::CoInitialize(nullptr))) {}
  ~ComScope() {
    if (ok_) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_;
};

}  // namespace obrivo::win32
