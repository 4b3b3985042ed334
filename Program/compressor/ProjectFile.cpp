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

// Walks the children of a node from the first through their next siblings
// (a list's item(i) may count from the start each time). The visitor gets
// each child, which it must not keep, and returns false to stop; the result
// is false when the children could not be reached or the visitor stopped.
template <class Visit>
bool ForEachChild(IXMLDOMNode* node, Visit visit) {
  IXMLDOMNode* child = nullptr;
  const HRESULT first = node->get_firstChild(&child);
  if (FAILED(first)) return false;
  bool complete = true;
  while (child && complete) {
    complete = visit(child);
    IXMLDOMNode* next = nullptr;
    if (complete && FAILED(child->get_nextSibling(&next))) complete = false;
    child->Release();
    child = next;
  }
  if (child) child->Release();
  return complete;
}

bool IsXmlSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// The File element's own text, without the white space around it (a
// project laid out with indents): its text and CDATA children, nothing
// nested. False when it holds an element.
bool OwnText(IXMLDOMNode* node, std::wstring& text, bool& hasElement) {
  text.clear();
  hasElement = false;
  const bool listed = ForEachChild(node, [&](IXMLDOMNode* child) {
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
    return true;
  });
  size_t end = text.size();
  while (end > 0 && IsXmlSpace(text[end - 1])) --end;
  size_t start = 0;
  while (start < end && IsXmlSpace(text[start])) ++start;
  text = text.substr(start, end - start);
  return listed;
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
  return ForEachChild(node, [&](IXMLDOMNode* child) {
    bool acceptable = true;
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
    return acceptable;
  });
}

// False when the children of a node could not be listed; the rest is read.
bool ReadInto(ArchiveTreeBatch& batch, HTREEITEM parent, IXMLDOMNode* node) {
  bool complete = true;
  const bool listed = ForEachChild(node, [&](IXMLDOMNode* child) {
    const std::wstring name = NodeName(child);
    if (name == L"Folder") {
      std::wstring folder;
      FolderName(child, folder);
      if (HTREEITEM item = batch.AddFolder(parent, folder))
        complete = ReadInto(batch, item, child) && complete;
    } else if (name == L"File") {
      std::wstring path;
      bool hasElement = false;
      if (OwnText(child, path, hasElement)) batch.AddFile(parent, FileNamePart(path), path);
    }
    return true;
  });
  return listed && complete;
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
  ArchiveTreeBatch batch(tree);
  return ReadInto(batch, parent, node);
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
