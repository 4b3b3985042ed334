#include "ResultCodes.h"

#include <string>

#include "BuilderResources.h"
#include "ResString.h"


const wchar_t kBuilderCaption[] = L"Vesmarin 6";

const std::map<int, UINT> ResultMessageTable = {
    {kResultSuccess, IDS_RESULT_SUCCESS},      {kResultCreateFailed, IDS_RESULT_CREATE},
    {kResultReadFailed, IDS_RESULT_READ},      {kResultWriteFailed, IDS_RESULT_WRITE},
    {kResultCloseFailed, IDS_RESULT_CLOSE},    {kResultOpenFailed, IDS_RESULT_OPEN},
    {kResultMemoryFailed, IDS_RESULT_MEMORY},  {kResultIconOpenFailed, IDS_RESULT_ICON_OPEN},
    {kResultIconInvalid, IDS_RESULT_ICON_INVALID}, {kResultAbnormalEnd, IDS_RESULT_ABNORMAL},
    {kResultReported, IDS_RESULT_REGISTRATION}, {kResultFailure11, IDS_RESULT_ABNORMAL},
    {kResultFailure12, IDS_RESULT_ABNORMAL},   {kResultFailure13, IDS_RESULT_ABNORMAL},
};

const wchar_t* LoadResString(UINT id) {
  return LoadResText(BuilderModule(), id, g_MessageBuffer, kMessageBufferSize);
}

const wchar_t* GetResultMessage(int code) {
  auto found = ResultMessageTable.find(code);
  // Only listed codes reach here; anything else reads as an abnormal end.
  return LoadResString(found != ResultMessageTable.end() ? found->second : IDS_RESULT_ABNORMAL);
}

std::wstring BuildResultMessage(int code) {
  if (code == kResultReported) return g_BuildErrorText;
  std::wstring text = GetResultMessage(code);
  if (g_BuildErrorText[0]) text += std::wstring(L"\n\n") + g_BuildErrorText;
  return text;
}

namespace {

void StoreBuildError(UINT stringId, const wchar_t* text, const int* number) {
  const std::wstring message = LoadResFormatted(BuilderModule(), stringId, text, number);
  lstrcpynW(g_BuildErrorText, message.c_str(), kBuildErrorTextSize);
}

}  // namespace

void SetBuildError(UINT stringId) { StoreBuildError(stringId, nullptr, nullptr); }
void SetBuildError(UINT stringId, const wchar_t* text) { StoreBuildError(stringId, text, nullptr); }
void SetBuildError(UINT stringId, int number) { StoreBuildError(stringId, nullptr, &number); }
void SetBuildError(UINT stringId, const wchar_t* text, int number) {
  StoreBuildError(stringId, text, &number);
}
