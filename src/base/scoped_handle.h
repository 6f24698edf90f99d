#pragma once
// Owners of system handles: each closes the handle it holds exactly once, when it is reset or
// goes out of scope. They move but never copy, so a handle has one owner at a time.
#include <windows.h>

#include <utility>

// `Traits` names the handle type, its invalid value and the call that closes it.
template <typename Traits>
class ScopedHandleOf {
public:
  using Handle = typename Traits::Handle;

  ScopedHandleOf() = default;
  explicit ScopedHandleOf(Handle handle) : m_handle(handle) {}
  ~ScopedHandleOf() { reset(); }
  ScopedHandleOf(ScopedHandleOf&& other) noexcept : m_handle(other.release()) {}
  ScopedHandleOf& operator=(ScopedHandleOf&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ScopedHandleOf(const ScopedHandleOf&) = delete;
  ScopedHandleOf& operator=(const ScopedHandleOf&) = delete;

  Handle get() const { return m_handle; }
  bool valid() const { return m_handle != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }

  // Gives the handle up without closing it.
  Handle release() { return std::exchange(m_handle, Traits::Invalid()); }
  // Closes the handle held and takes `handle`; false when the close failed.
  bool reset(Handle handle = Traits::Invalid()) {
    const Handle old = std::exchange(m_handle, handle);
    return old == Traits::Invalid() || Traits::Close(old);
  }

private:
  Handle m_handle = Traits::Invalid();
};

namespace scoped_handle_traits {
// Events, threads, mutexes: null when there is none.
struct Kernel {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle handle) { return ::CloseHandle(handle) != FALSE; }
};
// Files and devices from CreateFileW: INVALID_HANDLE_VALUE when there is none.
struct File {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Close(Handle handle) { return ::CloseHandle(handle) != FALSE; }
};
struct RegistryKey {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle handle) { return ::RegCloseKey(handle) == ERROR_SUCCESS; }
};
struct Module {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle handle) { return ::FreeLibrary(handle) != FALSE; }
};
}  // namespace scoped_handle_traits

using ScopedHandle = ScopedHandleOf<scoped_handle_traits::Kernel>;
using ScopedFileHandle = ScopedHandleOf<scoped_handle_traits::File>;
using ScopedRegKey = ScopedHandleOf<scoped_handle_traits::RegistryKey>;
using ScopedModule = ScopedHandleOf<scoped_handle_traits::Module>;
