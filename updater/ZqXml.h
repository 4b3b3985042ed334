// zq_xml: value-type wrappers over the MSXML DOM. Copies share one COM
// reference; queries that find nothing or fail give empty wrappers and empty
// strings instead of errors.
#pragma once
#include <windows.h>

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <string>

#include "MsxmlGuids.h"

namespace zq_xml {

// Raised only when memory for a COM string or variant cannot be had.
struct KXMLException {
  HRESULT hr;
};

namespace internal {

// Owns one COM interface pointer (may be null); never copied.
class KXMLInterfacePtr {
 public:
  explicit KXMLInterfacePtr(IUnknown* takeOver) : pointer_(takeOver) {}
  ~KXMLInterfacePtr() {
    if (pointer_) pointer_->Release();
  }
  KXMLInterfacePtr(const KXMLInterfacePtr&) = delete;
  KXMLInterfacePtr& operator=(const KXMLInterfacePtr&) = delete;
  IUnknown* Get() const { return pointer_; }

 private:
  IUnknown* pointer_;
};

template <class I>
class KXMLDOMBaseT {
 public:
  KXMLDOMBaseT() : hr_(S_OK) {}
  // Takes over the reference the caller holds.
  explicit KXMLDOMBaseT(I* takeOver) : hr_(S_OK) {
    if (takeOver) shared_.reset(new KXMLInterfacePtr(takeOver));
  }
  virtual ~KXMLDOMBaseT() {}
  virtual bool IsValid() const { return shared_ && shared_->Get() != nullptr; }
  virtual I* GetInterface() const {
    return shared_ ? static_cast<I*>(shared_->Get()) : nullptr;
  }
  HRESULT LastResult() const { return hr_; }
  // How many wrappers share the reference (0 for an empty wrapper).
  long ShareCount() const { return shared_ ? shared_.use_count() : 0; }

 protected:
  void Reset(I* takeOver) {
    shared_.reset();
    if (takeOver) shared_.reset(new KXMLInterfacePtr(takeOver));
  }

  boost::shared_ptr<KXMLInterfacePtr> shared_;
  mutable HRESULT hr_;
};

// A BSTR made from a wide string for one call; null text gives null.
class ScopedBstr {
 public:
  explicit ScopedBstr(const wchar_t* text);
  ~ScopedBstr();
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  BSTR Get() const { return value_; }

 private:
  BSTR value_;
};

}  // namespace internal

class KXMLNodeList;
class KXMLNamedNodeMap;

class KXMLNode : public internal::KXMLDOMBaseT<IXMLDOMNode> {
 public:
  KXMLNode() {}
  explicit KXMLNode(IXMLDOMNode* takeOver) : KXMLDOMBaseT(takeOver) {}

  KXMLNode SelectSingleNode(const wchar_t* xpath) const;
  KXMLNodeList SelectNodes(const wchar_t* xpath) const;
  std::wstring Text() const;
  KXMLNamedNodeMap Attributes() const;
};

namespace internal {

template <class T>
class KXMLNodeBasedT : public KXMLNode {
 public:
  T* GetTyped() const { return static_cast<T*>(GetInterface()); }
};

}  // namespace internal

class KXMLDocument : public internal::KXMLNodeBasedT<IXMLDOMDocument> {
 public:
  // Creates the DOM document object; false leaves the wrapper as it was.
  bool Create();
  HRESULT SetAsync(bool async);
  // Loads a local path or URL; true only when the parser reported success.
  bool Load(const wchar_t* pathOrUrl);
  // Loads a document from bytes already in memory (the encoding is read
  // from the bytes themselves).
  bool LoadBytes(const void* data, size_t size);
  // For documents from outside: no external entities, no DTD, no
  // validation. False when the parser refuses one of them.
  bool SetUntrustedInput();
  // True when the loaded document carries a document type declaration.
  bool HasDocumentType() const;
};

class KXMLNodeListIterator;

class KXMLNodeList : public internal::KXMLDOMBaseT<IXMLDOMNodeList> {
 public:
  KXMLNodeList() {}
  explicit KXMLNodeList(IXMLDOMNodeList* takeOver) : KXMLDOMBaseT(takeOver) {}

  KXMLNode Item(long index) const;
  long Length() const;
  KXMLNodeListIterator Begin() const;
  KXMLNodeListIterator End() const;
};

class KXMLNodeListIterator {
 public:
  KXMLNodeListIterator(const KXMLNodeList* list, long index);
  const KXMLNode& operator*();
  const KXMLNode* operator->() { return &**this; }
  KXMLNodeListIterator& operator++();
  bool operator==(const KXMLNodeListIterator& other) const { return index_ == other.index_; }
  bool operator!=(const KXMLNodeListIterator& other) const { return index_ != other.index_; }

 private:
  const KXMLNodeList* list_;
  long index_;
  long length_;
  KXMLNode current_;
};

class KXMLNamedNodeMap : public internal::KXMLDOMBaseT<IXMLDOMNamedNodeMap> {
 public:
  KXMLNamedNodeMap() {}
  explicit KXMLNamedNodeMap(IXMLDOMNamedNodeMap* takeOver) : KXMLDOMBaseT(takeOver) {}

  KXMLNode GetNamedItem(const wchar_t* name) const;
  std::wstring GetNamedItemText(const wchar_t* name) const;
};

}  // namespace zq_xml
