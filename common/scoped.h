// Scoped owners for what the kernel, the Service Control Manager and COM hand out; registry
// keys have theirs in registry/. Each owner closes its handle when it goes out of scope; it can
// be moved, not copied.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <utility>

namespace quorvane {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }

  // For the out-parameter of a call that opens the handle; closes any handle held before.
  Handle* Put() {
    Reset();
    return &handle_;
  }

  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }

  void Reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseServiceHandle(handle); }
};

// Kernel objects whose "no handle" value is null: threads, processes, events, mutexes.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// Files, whose "no handle" value is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { FindClose(handle); }
};

struct BstrTraits {
  using Handle = BSTR;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { SysFreeString(handle); }
};

using ScopedServiceHandle = UniqueHandle<ServiceHandleTraits>;
using ScopedHandle = UniqueHandle<KernelHandleTraits>;
using ScopedFile = UniqueHandle<FileHandleTraits>;
using ScopedFind = UniqueHandle<FindHandleTraits>;
using ScopedBstr = UniqueHandle<BstrTraits>;

// One reference to a COM interface, released when the owner goes out of scope.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference that the caller holds.
  explicit ComPtr(Interface* pointer) : pointer_(pointer) {}
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For the out-parameter of a call that hands out a reference; releases any held before.
  Interface** Put() {
    Reset();
    return &pointer_;
  }

  void Reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }

 private:
  Interface* pointer_ = nullptr;
};

// COM on the calling thread, in a single-threaded apartment: CoInitialize, and when that
// succeeded (S_FALSE included: each success needs its own CoUninitialize), CoUninitialize
// when the owner goes out of scope. Must end on the thread that made it.
class ScopedComInit {
 public:
  ScopedComInit() : result_(CoInitialize(nullptr)) {}
  ScopedComInit(ScopedComInit&& other) noexcept : result_(std::exchange(other.result_, E_FAIL)) {}
  ScopedComInit& operator=(ScopedComInit&& other) noexcept {
    if (this != &other) {
      Reset();
      result_ = std::exchange(other.result_, E_FAIL);
    }
    return *this;
  }
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;
  ~ScopedComInit() { Reset(); }

  explicit operator bool() const { return SUCCEEDED(result_); }

 private:
  void Reset() {
    if (SUCCEEDED(std::exchange(result_, E_FAIL))) CoUninitialize();
  }

  HRESULT result_;
};

}  // namespace quorvane
