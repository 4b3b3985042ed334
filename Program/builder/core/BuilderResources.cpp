#include "BuilderResources.h"

#include "BuilderState.h"

namespace {

const wchar_t kResourceType[] = L"BINARYRES";

}  // namespace

HINSTANCE BuilderModule() {
  return g_UiState.Instance ? g_UiState.Instance : GetModuleHandleW(nullptr);
}

const void* FindBuilderResource(const wchar_t* name, DWORD* size) {
  *size = 0;
  HMODULE module = BuilderModule();
  HRSRC info = FindResourceW(module, name, kResourceType);
  if (!info) return nullptr;
  HGLOBAL loaded = LoadResource(module, info);
  if (!loaded) return nullptr;
  const void* data = LockResource(loaded);
  if (!data) return nullptr;
  *size = SizeofResource(module, info);
  return data;
}
