// The repeated slots of a definition file, as numbered keys: the lines of a
// text, the COM servers, the extra copies, the shortcuts, the registry keys
// removed at uninstall and the programs run after extraction.
#pragma once
#include <string>

#include "DefinitionValues.h"
#include "SfxSettings.h"

// "<group><index>_<field>", or "<group><index>" without a field.
std::wstring IndexedKey(const wchar_t* group, int index, const wchar_t* field);

// Three lines of a text of width characters, in the keys name0..2.
void ReadLines(const DefinitionReader& in, const wchar_t* name, wchar_t* text, int width);
void WriteLines(const DefinitionWriter& out, const wchar_t* name, const wchar_t* text);

void ReadRegComSvr(const DefinitionReader& in, CSfxSettings& s);
void WriteRegComSvr(const DefinitionWriter& out, const CSfxSettings& s);
void ReadExtraCopy(const DefinitionReader& in, CSfxSettings& s);
void WriteExtraCopy(const DefinitionWriter& out, const CSfxSettings& s);
void ReadStartMenu(const DefinitionReader& in, CSfxSettings& s);
void WriteStartMenu(const DefinitionWriter& out, const CSfxSettings& s);
void ReadUninstallReg(const DefinitionReader& in, CSfxSettings& s);
void WriteUninstallReg(const DefinitionWriter& out, const CSfxSettings& s);
void ReadAutoExec(const DefinitionReader& in, CSfxSettings& s);
void WriteAutoExec(const DefinitionWriter& out, const CSfxSettings& s);
