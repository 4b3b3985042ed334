#include "ResultCodes.h"

#include "BuilderState.h"
#include "ResString.h"

wchar_t MessageBuffer[kMessageBufferSize];

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
  return LoadResText(UiState.Instance ? UiState.Instance : GetModuleHandleW(nullptr), id,
                     MessageBuffer, kMessageBufferSize);
}

const wchar_t* GetResultMessage(int code) {
  auto found = ResultMessageTable.find(code);
  // Only listed codes reach here; anything else reads as an abnormal end.
  return LoadResString(found != ResultMessageTable.end() ? found->second : IDS_RESULT_ABNORMAL);
}
