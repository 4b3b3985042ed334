#include "ZqXml.h"

#include <oleauto.h>

#include <cstring>

namespace zq_xml {
namespace internal {

ScopedBstr::ScopedBstr(const wchar_t* text) : value_(nullptr) {
  if (!text) return;
  value_ = SysAllocString(text);
  if (!value_ && text[0]) throw KXMLException{E_OUTOFMEMORY};
}

ScopedBstr::~ScopedBstr() {
  if (value_) SysFreeString(value_);
}

}  // namespace internal

namespace {

std::wstring TakeBstr(BSTR text) {
  std::wstring result;
  if (text) {
    result.assign(text, SysStringLen(text));
    SysFreeString(text);
  }
  return result;
}

}  // namespace

KXMLNode KXMLNode::SelectSingleNode(const wchar_t* xpath) const {
  IXMLDOMNode* self = GetInterface();
  if (!self) return KXMLNode();
  internal::ScopedBstr query(xpath);
  IXMLDOMNode* found = nullptr;
  hr_ = self->selectSingleNode(query.Get(), &found);
  if (FAILED(hr_) || !found) return KXMLNode();
  return KXMLNode(found);
}

KXMLNodeList KXMLNode::SelectNodes(const wchar_t* xpath) const {
  IXMLDOMNode* self = GetInterface();
  if (!self) return KXMLNodeList();
  internal::ScopedBstr query(xpath);
  IXMLDOMNodeList* found = nullptr;
  hr_ = self->selectNodes(query.Get(), &found);
  if (FAILED(hr_) || !found) return KXMLNodeList();
  return KXMLNodeList(found);
}

std::wstring KXMLNode::Text() const {
  IXMLDOMNode* self = GetInterface();
  if (!self) return std::wstring();
  BSTR text = nullptr;
  hr_ = self->get_text(&text);
  if (FAILED(hr_)) {
    if (text) SysFreeString(text);
    return std::wstring();
  }
  return TakeBstr(text);
}

KXMLNamedNodeMap KXMLNode::Attributes() const {
  IXMLDOMNode* self = GetInterface();
  if (!self) return KXMLNamedNodeMap();
  IXMLDOMNamedNodeMap* map = nullptr;
  hr_ = self->get_attributes(&map);
  if (FAILED(hr_) || !map) return KXMLNamedNodeMap();
  return KXMLNamedNodeMap(map);
}

bool KXMLDocument::Create() {
  IXMLDOMDocument* document = nullptr;
  hr_ = CoCreateInstance(CLSID_DOMDocument26, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument,
                         reinterpret_cast<void**>(&document));
  if (FAILED(hr_) || !document) return false;
  Reset(document);
  return true;
}

HRESULT KXMLDocument::SetAsync(bool async) {
  IXMLDOMDocument* document = GetTyped();
  if (!document) return hr_ = E_POINTER;
  return hr_ = document->put_async(async ? VARIANT_TRUE : VARIANT_FALSE);
}

bool KXMLDocument::Load(const wchar_t* pathOrUrl) {
  IXMLDOMDocument* document = GetTyped();
  if (!document) return false;
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(pathOrUrl ? pathOrUrl : L"");
  if (!source.bstrVal) throw KXMLException{E_OUTOFMEMORY};
  VARIANT_BOOL loaded = VARIANT_FALSE;
  hr_ = document->load(source, &loaded);
  VariantClear(&source);
  return SUCCEEDED(hr_) && loaded == VARIANT_TRUE;
}

bool KXMLDocument::LoadBytes(const void* data, size_t size) {
  IXMLDOMDocument* document = GetTyped();
  if (!document || (!data && size) || size > 0x7fffffff) return false;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
  if (!array) throw KXMLException{E_OUTOFMEMORY};
  void* bytes = nullptr;
  if (FAILED(SafeArrayAccessData(array, &bytes))) {
    SafeArrayDestroy(array);
    return false;
  }
  if (size) memcpy(bytes, data, size);
  SafeArrayUnaccessData(array);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_ARRAY | VT_UI1;
  source.parray = array;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  hr_ = document->load(source, &loaded);
  VariantClear(&source);
  return SUCCEEDED(hr_) && loaded == VARIANT_TRUE;
}

bool KXMLDocument::SetUntrustedInput() {
  IXMLDOMDocument* document = GetTyped();
  if (!document) return false;
  if (FAILED(hr_ = document->put_resolveExternals(VARIANT_FALSE))) return false;
  if (FAILED(hr_ = document->put_validateOnParse(VARIANT_FALSE))) return false;
  IXMLDOMDocument2* document2 = nullptr;
  if (FAILED(document->QueryInterface(IID_IXMLDOMDocument2,
                                      reinterpret_cast<void**>(&document2))) ||
      !document2)
    return false;
  internal::ScopedBstr name(L"ProhibitDTD");
  VARIANT on;
  VariantInit(&on);
  on.vt = VT_BOOL;
  on.boolVal = VARIANT_TRUE;
  hr_ = document2->setProperty(name.Get(), on);
  document2->Release();
  return SUCCEEDED(hr_);
}

bool KXMLDocument::HasDocumentType() const {
  IXMLDOMDocument* document = GetTyped();
  if (!document) return false;
  IXMLDOMDocumentType* type = nullptr;
  hr_ = document->get_doctype(&type);
  if (type) {
    type->Release();
    return true;
  }
  return false;
}

KXMLNode KXMLNodeList::Item(long index) const {
  IXMLDOMNodeList* self = GetInterface();
  if (!self || index < 0) return KXMLNode();
  IXMLDOMNode* node = nullptr;
  hr_ = self->get_item(index, &node);
  if (FAILED(hr_) || !node) return KXMLNode();
  return KXMLNode(node);
}

long KXMLNodeList::Length() const {
  IXMLDOMNodeList* self = GetInterface();
  if (!self) return 0;
  long length = 0;
  hr_ = self->get_length(&length);
  if (FAILED(hr_) || length < 0) return 0;
  return length;
}

KXMLNodeListIterator KXMLNodeList::Begin() const { return KXMLNodeListIterator(this, 0); }

KXMLNodeListIterator KXMLNodeList::End() const { return KXMLNodeListIterator(this, Length()); }

KXMLNodeListIterator::KXMLNodeListIterator(const KXMLNodeList* list, long index)
    : list_(list), index_(index), length_(list ? list->Length() : 0) {}

const KXMLNode& KXMLNodeListIterator::operator*() {
  current_ = list_ ? list_->Item(index_) : KXMLNode();
  return current_;
}

KXMLNodeListIterator& KXMLNodeListIterator::operator++() {
  if (index_ < length_) ++index_;
  return *this;
}

KXMLNode KXMLNamedNodeMap::GetNamedItem(const wchar_t* name) const {
  IXMLDOMNamedNodeMap* self = GetInterface();
  if (!self) return KXMLNode();
  internal::ScopedBstr query(name);
  IXMLDOMNode* node = nullptr;
  hr_ = self->getNamedItem(query.Get(), &node);
  if (FAILED(hr_) || !node) return KXMLNode();
  return KXMLNode(node);
}

std::wstring KXMLNamedNodeMap::GetNamedItemText(const wchar_t* name) const {
  return GetNamedItem(name).Text();
}

}  // namespace zq_xml
