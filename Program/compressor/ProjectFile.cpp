#include "ProjectFile.h"

#include <shlobj.h>

#include <string>

#include "ArchiveNames.h"
#include "ArchiveTree.h"
#include "ArchiveWriter.h"
#include "MsxmlGuids.h"

const wchar_t kProjectTemplate[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    L"<VesmarinCompressorProject>\n"
    L"</VesmarinCompressorProject>";

namespace {

const int kMaxFolderDepth = 128;
const ULONGLONG kMaxProjectBytes = 64ull * 1024 * 1024;

// A BSTR owned for the length of a call.
class Bstr {
 public:
  explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
  Bstr() : value_(nullptr) {}
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return value_; }
  BSTR* out() { return &value_; }
  std::wstring text() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : L""; }

 private:
  BSTR value_;
};

template <class T>
void Release(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

std::wstring NodeName(IXMLDOMNode* node) {
  Bstr name;
  if (FAILED(node->get_nodeName(name.out()))) return std::wstring();
  return name.text();
}

// The File element's own text: its text and CDATA children, nothing nested.
// False when it holds an element.
bool OwnText(IXMLDOMNode* node, std::wstring& text, bool& hasElement) {
  text.clear();
  hasElement = false;
  IXMLDOMNodeList* children = nullptr;
  if (FAILED(node->get_childNodes(&children)) || !children) return false;
  long count = 0;
  children->get_length(&count);
  for (long i = 0; i < count; ++i) {
    IXMLDOMNode* child = nullptr;
    if (FAILED(children->get_item(i, &child)) || !child) continue;
    DOMNodeType type = NODE_INVALID;
    child->get_nodeType(&type);
    if (type == NODE_ELEMENT) hasElement = true;
    if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
      VARIANT value;
      VariantInit(&value);
      if (SUCCEEDED(child->get_nodeValue(&value)) && value.vt == VT_BSTR && value.bstrVal)
        text.append(value.bstrVal, SysStringLen(value.bstrVal));
      VariantClear(&value);
    }
    child->Release();
  }
  children->Release();
  return true;
}

// The attribute Name of a Folder element; false when it has none.
bool FolderName(IXMLDOMNode* node, std::wstring& name) {
  IXMLDOMElement* element = nullptr;
  if (FAILED(node->QueryInterface(kIidXmlDomElement, reinterpret_cast<void**>(&element))) ||
      !element)
    return false;
  VARIANT value;
  VariantInit(&value);
  Bstr attribute(L"Name");
  const bool found = element->getAttribute(attribute, &value) == S_OK && value.vt == VT_BSTR;
  if (found) name.assign(value.bstrVal ? value.bstrVal : L"", SysStringLen(value.bstrVal));
  VariantClear(&value);
  element->Release();
  return found;
}

// The file name part of a File path, as the tree shows it.
std::wstring FileNamePart(const std::wstring& path) {
  const size_t at = path.rfind(L'\\');
  return at == std::wstring::npos ? path : path.substr(at + 1);
}

bool IsAcceptableBelow(IXMLDOMNode* node, int depth) {
  if (depth > kMaxFolderDepth) return false;
  IXMLDOMNodeList* children = nullptr;
  if (FAILED(node->get_childNodes(&children)) || !children) return false;
  long count = 0;
  children->get_length(&count);
  bool acceptable = true;
  for (long i = 0; i < count && acceptable; ++i) {
    IXMLDOMNode* child = nullptr;
    if (FAILED(children->get_item(i, &child)) || !child) {
      acceptable = false;
      break;
    }
    const std::wstring name = NodeName(child);
    if (name == L"Folder") {
      std::wstring folder;
      acceptable = FolderName(child, folder) && IsSafeArchiveComponent(folder) &&
                   IsAcceptableBelow(child, depth + 1);
    } else if (name == L"File") {
      std::wstring path;
      bool hasElement = false;
      acceptable = OwnText(child, path, hasElement) && !hasElement && path.size() < MAX_PATH &&
                   IsSafeArchiveComponent(FileNamePart(path));
    }
    child->Release();
  }
  children->Release();
  return acceptable;
}

HRESULT SetBooleanProperty(IXMLDOMDocument2* document, const wchar_t* name, bool on) {
  Bstr property(name);
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
  return document->setProperty(property, value);
}

}  // namespace

IXMLDOMDocument* CreateProjectDocument() {
  IXMLDOMDocument* document = nullptr;
  if (FAILED(CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_ALL, kIidXmlDomDocument,
                              reinterpret_cast<void**>(&document))) ||
      !document)
    return nullptr;
  // Loading must finish inside load(), and nothing outside the file may be
  // fetched or expanded while it is read.
  if (FAILED(document->put_async(VARIANT_FALSE)) ||
      FAILED(document->put_validateOnParse(VARIANT_FALSE)) ||
      FAILED(document->put_resolveExternals(VARIANT_FALSE))) {
    document->Release();
    return nullptr;
  }
  IXMLDOMDocument2* second = nullptr;
  if (SUCCEEDED(document->QueryInterface(kIidXmlDomDocument2, reinterpret_cast<void**>(&second))) &&
      second) {
    SetBooleanProperty(second, L"ProhibitDTD", true);
    second->Release();
  }
  return document;
}

bool ProjectWriter(HWND tree, HTREEITEM item, IXMLDOMDocument* document, IXMLDOMNode* parent) {
  for (; item; item = TreeView_GetNextSibling(tree, item)) {
    const std::wstring text = GetItemText(tree, item);
    const wchar_t* source = GetItemSource(tree, item);
    IXMLDOMElement* element = nullptr;
    IXMLDOMNode* appended = nullptr;
    bool written = false;
    if (source) {
      Bstr tag(L"File");
      Bstr path(source);
      IXMLDOMText* textNode = nullptr;
      IXMLDOMNode* inner = nullptr;
      written = SUCCEEDED(document->createElement(tag, &element)) && element &&
                SUCCEEDED(document->createTextNode(path, &textNode)) && textNode &&
                SUCCEEDED(element->appendChild(textNode, &inner)) &&
                SUCCEEDED(parent->appendChild(element, &appended));
      Release(textNode);
      Release(inner);
    } else {
      Bstr tag(L"Folder");
      Bstr attribute(L"Name");
      VARIANT name;
      VariantInit(&name);
      name.vt = VT_BSTR;
      name.bstrVal = SysAllocString(text.c_str());
      HTREEITEM child = TreeView_GetChild(tree, item);
      written = SUCCEEDED(document->createElement(tag, &element)) && element &&
                (!child || ProjectWriter(tree, child, document, element)) &&
                SUCCEEDED(element->setAttribute(attribute, name)) &&
                SUCCEEDED(parent->appendChild(element, &appended));
      VariantClear(&name);
    }
    Release(appended);
    Release(element);
    if (!written) return false;
  }
  return true;
}

bool IsAcceptableProjectNode(IXMLDOMNode* node) { return node && IsAcceptableBelow(node, 0); }

bool ProjectReader(HWND tree, HTREEITEM parent, IXMLDOMNode* node) {
  IXMLDOMNodeList* children = nullptr;
  if (FAILED(node->get_childNodes(&children)) || !children) return false;
  long count = 0;
  children->get_length(&count);
  for (long i = 0; i < count; ++i) {
    IXMLDOMNode* child = nullptr;
    if (FAILED(children->get_item(i, &child)) || !child) continue;
    const std::wstring name = NodeName(child);
    if (name == L"Folder") {
      std::wstring folder;
      FolderName(child, folder);
      HTREEITEM item = InsertFolderItem(tree, parent, folder);
      if (item) ProjectReader(tree, item, child);
    } else if (name == L"File") {
      std::wstring path;
      bool hasElement = false;
      if (OwnText(child, path, hasElement)) InsertFileItem(tree, parent, FileNamePart(path), path);
    }
    child->Release();
  }
  children->Release();
  return true;
}

int LoadProjectDocument(IXMLDOMDocument* document, const wchar_t* path) {
  const int kNotLoaded = 103;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!path || !*path || !GetFileAttributesExW(path, GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return kNotLoaded;
  const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (size > kMaxProjectBytes) return kNotLoaded;
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(path, MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return kNotLoaded;
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(full);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT result = document->load(source, &loaded);
  VariantClear(&source);
  if (result != S_OK || loaded != VARIANT_TRUE) return kNotLoaded;
  IXMLDOMDocumentType* doctype = nullptr;
  if (SUCCEEDED(document->get_doctype(&doctype)) && doctype) {
    doctype->Release();
    return kNotLoaded;
  }
  IXMLDOMElement* root = nullptr;
  if (FAILED(document->get_documentElement(&root)) || !root) return kNotLoaded;
  const bool acceptable = NodeName(root) != L"VesmarinCompressorProject" ||
                          IsAcceptableProjectNode(root);
  root->Release();
  return acceptable ? 0 : kNotLoaded;
}

void ReadProjectIntoTree(HWND tree, IXMLDOMDocument* document) {
  HTREEITEM root = ResetArchiveTree(tree);
  IXMLDOMElement* top = nullptr;
  if (SUCCEEDED(document->get_documentElement(&top)) && top) {
    if (NodeName(top) == L"VesmarinCompressorProject") ProjectReader(tree, root, top);
    top->Release();
  }
  TreeView_Expand(tree, root, TVE_EXPAND);
}

bool WriteProjectFile(HWND tree, const wchar_t* path) {
  HTREEITEM root = GetArchiveRoot(tree);
  if (!root) return false;
  IXMLDOMDocument* document = CreateProjectDocument();
  if (!document) return false;
  Bstr text(kProjectTemplate);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  IXMLDOMElement* top = nullptr;
  bool written = SUCCEEDED(document->loadXML(text, &loaded)) && loaded == VARIANT_TRUE &&
                 SUCCEEDED(document->get_documentElement(&top)) && top &&
                 ProjectWriter(tree, TreeView_GetChild(tree, root), document, top);
  Release(top);
  wchar_t temporary[MAX_PATH];
  if (written && MakeTemporarySibling(path, temporary)) {
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(temporary);
    written = SUCCEEDED(document->save(target));
    VariantClear(&target);
    if (written) {
      written = ReplaceWithTemporary(temporary, path);
    } else {
      DeleteFileW(temporary);
    }
  } else {
    written = false;
  }
  document->Release();
  if (written) SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, path, nullptr);
  return written;
}
