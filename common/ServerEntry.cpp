#include "ServerEntry.h"

#include "FaultGuard.h"

namespace vesmarin {
namespace {

typedef HRESULT(STDAPICALLTYPE* ServerEntryFn)();

struct EntryCall {
  ServerEntryFn entry;
  HRESULT result;
  bool threw;
};

// A C++ exception that the server lets out would otherwise unwind through
// the guard into the caller's own frames: it ends here.
void CallEntry(void* context) {
  EntryCall* call = static_cast<EntryCall*>(context);
  try {
    call->result = call->entry();
  } catch (...) {
    call->threw = true;
  }
}

}  // namespace

ServerEntryCall CallServerEntry(HMODULE module, const char* name, HRESULT* result,
                                DWORD* fault) {
  EntryCall call = {
      reinterpret_cast<ServerEntryFn>(reinterpret_cast<void*>(GetProcAddress(module, name))),
      E_UNEXPECTED, false};
  if (!call.entry) return ServerEntryCall::kMissing;
  DWORD code = 0;
  const bool returned = RunGuarded(&CallEntry, &call, &code);
  if (call.threw) code = kCppExceptionCode;
  if (!returned || call.threw) {
    if (fault) *fault = code;
    return ServerEntryCall::kFaulted;
  }
  if (result) *result = call.result;
  return ServerEntryCall::kReturned;
}

}  // namespace vesmarin
