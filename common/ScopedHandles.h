// Holders that release a Windows resource when they go out of scope. A
// holder lives in the function that acquired the resource; none is copied.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <ole2.h>

namespace vesmarin {

// One holder for every kind of handle: Traits gives the handle type, the
// value that means "none" and how the handle is released.
template <class Traits>
class ScopedResource {
 public:
  typedef typename Traits::Type Type;

  ScopedResource() : value_(Traits::Invalid()) {}
  explicit ScopedResource(Type value) : value_(value) {}
  ~ScopedResource() { Close(); }
  ScopedResource(const ScopedResource&) = delete;
  ScopedResource& operator=(const ScopedResource&) = delete;

  Type get() const { return value_; }
  bool valid() const { return Traits::IsValid(value_); }
  explicit operator bool() const { return valid(); }

  // Releases what is held and holds value instead.
  void reset(Type value = Traits::Invalid()) {
    Close();
    value_ = value;
  }
  // Hands the value over to the caller, who releases it.
  Type release() {
    Type value = value_;
    value_ = Traits::Invalid();
    return value;
  }
  // Releases what is held; the address to receive a new value (for
  // functions that return a handle through a pointer).
  Type* receive() {
    Close();
    return &value_;
  }
  // False when releasing failed; holding nothing is success.
  bool Close() {
    if (!valid()) {
      value_ = Traits::Invalid();
      return true;
    }
    const bool ok = Traits::Release(value_);
    value_ = Traits::Invalid();
    return ok;
  }

 private:
  Type value_;
};

// Which value of a kernel handle means "none": files and find handles use
// INVALID_HANDLE_VALUE, everything else null. Neither value is ever closed.
struct InvalidIsNone {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
};
struct NullIsNone {
  static HANDLE Invalid() { return nullptr; }
};

template <class NonePolicy>
struct KernelHandleTraits {
  typedef HANDLE Type;
  static HANDLE Invalid() { return NonePolicy::Invalid(); }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static bool Release(HANDLE h) { return CloseHandle(h) != FALSE; }
};

struct FindHandleTraits {
  typedef HANDLE Type;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static bool Release(HANDLE h) { return FindClose(h) != FALSE; }
};

struct RegKeyTraits {
  typedef HKEY Type;
  static HKEY Invalid() { return nullptr; }
  static bool IsValid(HKEY key) { return key != nullptr; }
  static bool Release(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }
};

struct ModuleTraits {
  typedef HMODULE Type;
  static HMODULE Invalid() { return nullptr; }
  static bool IsValid(HMODULE module) { return module != nullptr; }
  static bool Release(HMODULE module) { return FreeLibrary(module) != FALSE; }
};

struct GlobalMemoryTraits {
  typedef HGLOBAL Type;
  static HGLOBAL Invalid() { return nullptr; }
  static bool IsValid(HGLOBAL block) { return block != nullptr; }
  static bool Release(HGLOBAL block) { return GlobalFree(block) == nullptr; }
};

template <class Object>
struct GdiObjectTraits {
  typedef Object Type;
  static Object Invalid() { return nullptr; }
  static bool IsValid(Object object) { return object != nullptr; }
  static bool Release(Object object) { return DeleteObject(object) != FALSE; }
};

// A file, pipe or other handle whose "none" is INVALID_HANDLE_VALUE.
typedef ScopedResource<KernelHandleTraits<InvalidIsNone>> ScopedFile;
// A process, thread, event, mutex or mapping handle, "none" being null.
typedef ScopedResource<KernelHandleTraits<NullIsNone>> ScopedHandle;
typedef ScopedResource<FindHandleTraits> ScopedFind;
typedef ScopedResource<RegKeyTraits> ScopedRegKey;
typedef ScopedResource<ModuleTraits> ScopedModule;
typedef ScopedResource<GlobalMemoryTraits> ScopedGlobal;
typedef ScopedResource<GdiObjectTraits<HBITMAP>> ScopedBitmap;
typedef ScopedResource<GdiObjectTraits<HFONT>> ScopedFont;
typedef ScopedResource<GdiObjectTraits<HBRUSH>> ScopedBrush;
typedef ScopedResource<GdiObjectTraits<HGDIOBJ>> ScopedGdiObject;

// A temporary file deleted when the holder goes away: made by Make in the
// user's temporary folder, or a path handed over with Adopt.
class ScopedTempFile {
 public:
  ScopedTempFile() { path_[0] = L'\0'; }
  ~ScopedTempFile() { Delete(); }
  ScopedTempFile(const ScopedTempFile&) = delete;
  ScopedTempFile& operator=(const ScopedTempFile&) = delete;

  // Creates an empty file with a unique name ("<prefix>XXXX.tmp"); from
  // then on it is this holder's. False (and no path) on failure.
  bool Make(const wchar_t* prefix) {
    Delete();
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, prefix, 0, path_) == 0) {
      path_[0] = L'\0';
      return false;
    }
    return true;
  }
  // Takes over an existing path; false when it does not fit.
  bool Adopt(const wchar_t* path) {
    Delete();
    if (!path || lstrlenW(path) >= MAX_PATH) return false;
    lstrcpynW(path_, path, MAX_PATH);
    return true;
  }
  // Keeps the file: the holder forgets it.
  void Keep() { path_[0] = L'\0'; }
  // Deletes the file now (if any).
  void Delete() {
    if (path_[0]) DeleteFileW(path_);
    path_[0] = L'\0';
  }
  const wchar_t* path() const { return path_; }
  bool empty() const { return path_[0] == L'\0'; }

 private:
  wchar_t path_[MAX_PATH];
};

// A COM interface pointer, released when the holder goes away.
template <class Interface>
class ScopedComPtr {
 public:
  ScopedComPtr() = default;
  explicit ScopedComPtr(Interface* pointer) : pointer_(pointer) {}
  ~ScopedComPtr() { reset(); }
  ScopedComPtr(const ScopedComPtr&) = delete;
  ScopedComPtr& operator=(const ScopedComPtr&) = delete;

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  void reset(Interface* pointer = nullptr) {
    if (pointer_) pointer_->Release();
    pointer_ = pointer;
  }
  Interface* release() {
    Interface* pointer = pointer_;
    pointer_ = nullptr;
    return pointer;
  }
  // For functions that return an interface through a pointer.
  Interface** receive() {
    reset();
    return &pointer_;
  }

 private:
  Interface* pointer_ = nullptr;
};

// COM (or, with ole, OLE) for this thread while the holder lives; undone
// only when the start succeeded.
class ScopedComInit {
 public:
  enum Kind { kCom, kOle };
  explicit ScopedComInit(Kind kind = kCom, DWORD comModel = COINIT_APARTMENTTHREADED)
      : kind_(kind),
        result_(kind == kOle ? OleInitialize(nullptr) : CoInitializeEx(nullptr, comModel)) {}
  ~ScopedComInit() {
    if (!succeeded()) return;
    if (kind_ == kOle) {
      OleUninitialize();
    } else {
      CoUninitialize();
    }
  }
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;

  bool succeeded() const { return SUCCEEDED(result_); }
  HRESULT result() const { return result_; }

 private:
  Kind kind_;
  HRESULT result_;
};

// The wait cursor while the holder lives; the cursor before it comes back.
class ScopedWaitCursor {
 public:
  ScopedWaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~ScopedWaitCursor() { SetCursor(previous_); }
  ScopedWaitCursor(const ScopedWaitCursor&) = delete;
  ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace vesmarin
