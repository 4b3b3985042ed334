// MSXML class and interface ids that MinGW's headers declare (or lack) but
// no MinGW library defines. Include this instead of <msxml2.h>.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <msxml2.h>

// Declared by msxml2.h, defined in MsxmlGuids.cpp.
// CLSID_DOMDocument26  {F6D90F11-9C73-11D3-B32E-00C04F990BB4} "Msxml2.DOMDocument"
// CLSID_DOMDocument30  {F5078F32-C551-11D3-89B9-0000F81FE221} "Msxml2.DOMDocument.3.0"
// IID_IXMLDOMDocument2 {2933BF95-7B36-11D2-B20E-00C04F983E60}

// Absent from MinGW's headers: "Msxml2.DOMDocument.6.0".
EXTERN_C const CLSID CLSID_DOMDocument60;

// DOMDocument, version-independent (MSXML 3 and later).
extern const CLSID kClsidDomDocument;
extern const CLSID& kClsidDomDocument30;
extern const CLSID& kClsidDomDocument60;

extern const IID kIidXmlDomNode;
extern const IID kIidXmlDomDocument;
extern const IID& kIidXmlDomDocument2;
extern const IID kIidXmlDomElement;
