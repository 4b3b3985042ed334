// The project file: the archive tree as XML (root element
// VesmarinCompressorProject, elements Folder with the attribute Name and
// File with the source path as text), read and written through the XML DOM
// component.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <msxml2.h>

// The text a new project document starts from.
extern const wchar_t kProjectTemplate[];

// A DOM document that loads synchronously and resolves no external
// entities and no DTD; null on failure.
IXMLDOMDocument* CreateProjectDocument();

// Writes item, its following siblings and everything below them into
// parent, in tree order. False at the first failing DOM call.
bool ProjectWriter(HWND tree, HTREEITEM item, IXMLDOMDocument* document, IXMLDOMNode* parent);

// True when every element below node is one the reader can take without
// harm: Folder names are single safe components, File elements hold only
// text naming a file whose name is a safe component, nothing is nested
// deeper than the limit.
bool IsAcceptableProjectNode(IXMLDOMNode* node);

// Inserts the Folder and File elements below node as items below parent
// (sorted, no merging). False only when a node's children cannot be listed.
bool ProjectReader(HWND tree, HTREEITEM parent, IXMLDOMNode* node);

// Loads a project file into document: 0, or 103 when the path is no local
// file, is too large, does not parse, has a DTD or content the reader
// refuses.
int LoadProjectDocument(IXMLDOMDocument* document, const wchar_t* path);

// Rebuilds the tree from a loaded document (new root, the elements below
// the document element "VesmarinCompressorProject").
void ReadProjectIntoTree(HWND tree, IXMLDOMDocument* document);

// Writes the tree below its root to path, through a temporary file in the
// same folder; an older file stays as it was when anything fails.
bool WriteProjectFile(HWND tree, const wchar_t* path);
