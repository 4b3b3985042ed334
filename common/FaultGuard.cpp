#include "FaultGuard.h"

// A fault inside a guarded call reaches the top-level exception filter only
// when no frame inside the call handled it. The filter then resumes the
// faulting thread in a small function that jumps back to the guarded call's
// frame; everything between is abandoned, as an __except block would do.

namespace vesmarin {
namespace {

struct GuardFrame {
  void* jump[5];
  DWORD code;
  GuardFrame* outer;
};

DWORD g_tls = TLS_OUT_OF_INDEXES;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;

__attribute__((noinline, noreturn)) void ResumeAtGuard() {
  GuardFrame* frame = static_cast<GuardFrame*>(TlsGetValue(g_tls));
  __builtin_longjmp(frame->jump, 1);
}

LONG WINAPI TopLevelFilter(EXCEPTION_POINTERS* info) {
  GuardFrame* frame = g_tls == TLS_OUT_OF_INDEXES
                          ? nullptr
                          : static_cast<GuardFrame*>(TlsGetValue(g_tls));
  const DWORD code = info->ExceptionRecord->ExceptionCode;
  if (frame == nullptr || code == EXCEPTION_STACK_OVERFLOW) {
    return g_previousFilter ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
  }
  frame->code = code;
  CONTEXT* ctx = info->ContextRecord;
#ifdef _WIN64
  ctx->Rsp = ((ctx->Rsp - 256) & ~static_cast<DWORD64>(15)) - 8;
  ctx->Rip = reinterpret_cast<DWORD64>(&ResumeAtGuard);
#else
  ctx->Esp = ((ctx->Esp - 256) & ~static_cast<DWORD>(15)) - 4;
  ctx->Eip = reinterpret_cast<DWORD>(&ResumeAtGuard);
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

BOOL CALLBACK InstallFilter(PINIT_ONCE, PVOID, PVOID*) {
  g_tls = TlsAlloc();
  if (g_tls == TLS_OUT_OF_INDEXES) return FALSE;
  g_previousFilter = SetUnhandledExceptionFilter(&TopLevelFilter);
  return TRUE;
}

}  // namespace

bool RunGuarded(void (*fn)(void*), void* context, DWORD* code) {
  if (!InitOnceExecuteOnce(&g_once, &InstallFilter, nullptr, nullptr)) {
    fn(context);
    return true;
  }
  GuardFrame frame{};
  frame.outer = static_cast<GuardFrame*>(TlsGetValue(g_tls));
  TlsSetValue(g_tls, &frame);
  if (__builtin_setjmp(frame.jump) == 0) {
    fn(context);
    TlsSetValue(g_tls, frame.outer);
    return true;
  }
  TlsSetValue(g_tls, frame.outer);
  if (code) *code = frame.code;
  return false;
}

bool GuardedCopy(void* destination, const void* source, size_t count) {
  SIZE_T done = 0;
  return ReadProcessMemory(GetCurrentProcess(), source, destination, count, &done) &&
         done == count;
}

}  // namespace vesmarin
