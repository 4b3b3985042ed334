// Class and interface ids of the XML DOM component (MSXML). MinGW's
// msxml2.h declares several of them without any library defining them, and
// lacks some: the programs that use MSXML take these instead.
#pragma once
#include <windows.h>

// DOMDocument, version-independent (MSXML 3 and later).
extern const CLSID kClsidDomDocument;
extern const CLSID kClsidDomDocument30;
extern const CLSID kClsidDomDocument60;

extern const IID kIidXmlDomNode;
extern const IID kIidXmlDomDocument;
extern const IID kIidXmlDomDocument2;
extern const IID kIidXmlDomElement;
