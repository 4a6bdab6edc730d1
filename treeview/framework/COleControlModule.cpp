// COleControlModule: module handle, lock count and manifest activation context.
#include "framework/COleControlModule.h"

COleControlModule* COleControlModule::s_pModule = nullptr;

COleControlModule::COleControlModule()
    : m_hInstance(nullptr),
      m_nLocks(0),
      m_hActCtx(INVALID_HANDLE_VALUE),
      m_bActCtxTried(false),
      m_szPath{} {
  s_pModule = this;
}

COleControlModule::~COleControlModule() {
  if (m_hActCtx != INVALID_HANDLE_VALUE) ReleaseActCtx(m_hActCtx);
  if (s_pModule == this) s_pModule = nullptr;
}

bool COleControlModule::Attach(HINSTANCE instance) {
  m_hInstance = instance;
  DWORD n = GetModuleFileNameW(instance, m_szPath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  return InitInstance();
}

void COleControlModule::Detach() { ExitInstance(); }

HANDLE COleControlModule::GetActCtx() {
  if (!m_bActCtxTried && m_hInstance) {
    m_bActCtxTried = true;
    ACTCTXW ctx = {};
    ctx.cbSize = sizeof(ctx);
    ctx.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    ctx.hModule = m_hInstance;
    ctx.lpResourceName = MAKEINTRESOURCEW(2);
    ctx.lpSource = m_szPath;
    m_hActCtx = CreateActCtxW(&ctx);
  }
  return m_hActCtx;
}
