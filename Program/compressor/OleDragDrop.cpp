#include "OleDragDrop.h"

#include <shlobj.h>

#include <new>

namespace {

FORMATETC HGlobalFormat(CLIPFORMAT format) {
  FORMATETC entry = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return entry;
}

// The IUnknown part the four objects share: one reference count, freed at 0.
template <class Interface>
class RefCounted : public Interface {
 public:
  RefCounted(REFIID iid) : iid_(iid) {}
  virtual ~RefCounted() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
    if (!result) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, iid_)) {
      *result = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++count_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = --count_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  const IID iid_;
  LONG count_ = 1;
};

class FormatEnumerator : public RefCounted<IEnumFORMATETC> {
 public:
  FormatEnumerator(IUnknown* owner, const std::vector<FORMATETC>& formats, size_t index)
      : RefCounted(IID_IEnumFORMATETC), owner_(owner), formats_(formats), index_(index) {
    owner_->AddRef();
  }
  ~FormatEnumerator() override { owner_->Release(); }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (formats_.empty()) return S_FALSE;
    if (!out) return count == 1 ? S_FALSE : E_POINTER;
    ULONG copied = 0;
    while (copied < count && index_ < formats_.size()) out[copied++] = formats_[index_++];
    if (fetched) *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    if (count > formats_.size() - index_) {
      index_ = formats_.size();
      return S_FALSE;
    }
    index_ += count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    index_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** result) override {
    if (!result) return E_POINTER;
    *result = new (std::nothrow) FormatEnumerator(owner_, formats_, index_);
    return *result ? S_OK : E_OUTOFMEMORY;
  }

 private:
  IUnknown* owner_;
  std::vector<FORMATETC> formats_;
  size_t index_;
};

class DragDataObject : public RefCounted<IDataObject> {
 public:
  DragDataObject(HWND owner, UINT message, const CLIPFORMAT* formats, int count)
      : RefCounted(IID_IDataObject), owner_(owner), message_(message) {
    for (int i = 0; i < count; ++i) formats_.push_back(HGlobalFormat(formats[i]));
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* request, STGMEDIUM* medium) override {
    if (!request || !medium) return E_INVALIDARG;
    const FORMATETC* entry = Find(*request);
    if (!entry) return DV_E_FORMATETC;
    RenderDataRequest render = {nullptr, entry, medium};
    SendMessageW(owner_, message_, entry->cfFormat, reinterpret_cast<LPARAM>(&render));
    if (!render.data) return STG_E_MEDIUMFULL;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = render.data;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* request) override {
    return request && Find(*request) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** result) override {
    if (!result) return E_INVALIDARG;
    *result = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    *result = new (std::nothrow) FormatEnumerator(this, formats_, 0);
    return *result ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_NOCONNECTION; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  const FORMATETC* Find(const FORMATETC& request) const {
    if (!(request.tymed & TYMED_HGLOBAL)) return nullptr;
    for (const FORMATETC& entry : formats_)
      if (entry.cfFormat == request.cfFormat) return &entry;
    return nullptr;
  }

  HWND owner_;
  UINT message_;
  std::vector<FORMATETC> formats_;
};

class DragDropSource : public RefCounted<IDropSource> {
 public:
  explicit DragDropSource(DWORD keyState)
      : RefCounted(IID_IDropSource), button_(keyState & MK_RBUTTON ? MK_RBUTTON : MK_LBUTTON) {}
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keyState) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return keyState & button_ ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override {
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }

 private:
  const DWORD button_;
};

class DragDropTarget : public RefCounted<IDropTarget> {
 public:
  DragDropTarget(HWND owner, UINT message, const CLIPFORMAT* formats, int count)
      : RefCounted(IID_IDropTarget), owner_(owner), message_(message), formats_(formats, formats + count) {}

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* object, DWORD keyState, POINTL point,
                                      DWORD* effect) override {
    // Whatever a former drag was answered does not carry over.
    record_.effect = DROPEFFECT_NONE;
    Notify(kDropEnter, object, keyState, &point, effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override {
    Notify(kDropOver, nullptr, keyState, &point, effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    Notify(kDropLeave, nullptr, 0, nullptr, nullptr);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* object, DWORD keyState, POINTL point,
                                 DWORD* effect) override {
    Notify(kDrop, object, keyState, &point, effect);
    return S_OK;
  }

 private:
  void Notify(DropEvent event, IDataObject* object, DWORD keyState, const POINTL* point,
              DWORD* effect) {
    STGMEDIUM medium = {};
    CLIPFORMAT taken = 0;
    if (object) {
      for (CLIPFORMAT format : formats_) {
        FORMATETC request = HGlobalFormat(format);
        if (object->QueryGetData(&request) != S_OK) continue;
        if (SUCCEEDED(object->GetData(&request, &medium)) && medium.tymed == TYMED_HGLOBAL &&
            medium.hGlobal)
          taken = format;
        else if (medium.tymed != TYMED_NULL)
          ReleaseStgMedium(&medium);
        break;
      }
    }
    record_.point = point;
    record_.keyState = keyState;
    record_.format = taken;
    record_.data = taken ? medium.hGlobal : nullptr;
    record_.object = object;
    if (taken) {
      SendMessageW(owner_, message_, event, reinterpret_cast<LPARAM>(&record_));
      ReleaseStgMedium(&medium);
      record_.data = nullptr;
    }
    // Never a move: the source would delete the user's files afterwards.
    record_.effect &= ~static_cast<DWORD>(DROPEFFECT_MOVE);
    if (effect) *effect &= record_.effect;
  }

  HWND owner_;
  UINT message_;
  std::vector<CLIPFORMAT> formats_;
  DropNotification record_ = {};
};

}  // namespace

HGLOBAL BuildDropFilesBlock(const std::vector<std::wstring>& paths) {
  size_t characters = 1;
  for (const std::wstring& path : paths) characters += path.size() + 1;
  const size_t bytes = sizeof(DROPFILES) + characters * sizeof(wchar_t) + 2;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!block) return nullptr;
  BYTE* base = static_cast<BYTE*>(GlobalLock(block));
  if (!base) {
    GlobalFree(block);
    return nullptr;
  }
  DROPFILES* header = reinterpret_cast<DROPFILES*>(base);
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  wchar_t* text = reinterpret_cast<wchar_t*>(base + sizeof(DROPFILES));
  for (const std::wstring& path : paths) {
    memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    text += path.size() + 1;
  }
  GlobalUnlock(block);
  return block;
}

HGLOBAL CopyGlobalBlock(HGLOBAL block) {
  if (!block) return nullptr;
  const SIZE_T size = GlobalSize(block);
  const void* source = GlobalLock(block);
  if (!source) return nullptr;
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  void* target = copy ? GlobalLock(copy) : nullptr;
  if (target) {
    memcpy(target, source, size);
    GlobalUnlock(copy);
  } else if (copy) {
    GlobalFree(copy);
    copy = nullptr;
  }
  GlobalUnlock(block);
  return copy;
}

IDataObject* CreateDragDataObject(HWND owner, UINT renderMessage, const CLIPFORMAT* formats,
                                  int count) {
  return new (std::nothrow) DragDataObject(owner, renderMessage, formats, count);
}

IDropSource* CreateDragDropSource(DWORD keyState) {
  return new (std::nothrow) DragDropSource(keyState);
}

IDropTarget* CreateDragDropTarget(HWND owner, UINT notifyMessage, const CLIPFORMAT* formats,
                                  int count) {
  return new (std::nothrow) DragDropTarget(owner, notifyMessage, formats, count);
}

int StartDrag(HWND owner, UINT renderMessage, const CLIPFORMAT* formats, int count,
              DWORD allowedEffects) {
  IDataObject* object = CreateDragDataObject(owner, renderMessage, formats, count);
  DWORD keyState = GetKeyState(VK_RBUTTON) < 0 ? MK_RBUTTON : MK_LBUTTON;
  IDropSource* source = CreateDragDropSource(keyState);
  int result = -1;
  if (object && source) {
    DWORD effect = DROPEFFECT_NONE;
    if (DoDragDrop(object, source, allowedEffects, &effect) == DRAGDROP_S_DROP)
      result = static_cast<int>(effect);
  }
  if (source) source->Release();
  if (object) object->Release();
  return result;
}

bool RegisterDropTarget(HWND window, UINT notifyMessage, const CLIPFORMAT* formats, int count) {
  IDropTarget* target = CreateDragDropTarget(window, notifyMessage, formats, count);
  if (!target) return false;
  const bool registered = SUCCEEDED(RegisterDragDrop(window, target));
  // The registration holds its own reference; without one this frees it.
  target->Release();
  return registered;
}
