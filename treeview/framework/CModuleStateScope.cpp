// CModuleStateScope: activation and deactivation of the module's context.
#include "framework/CModuleStateScope.h"
#include "framework/COleControlModule.h"

CModuleStateScope::CModuleStateScope() : m_cookie(0), m_bActivated(false) {
  COleControlModule* m = COleControlModule::Get();
  if (!m) return;
  HANDLE h = m->GetActCtx();
  if (h != INVALID_HANDLE_VALUE && ActivateActCtx(h, &m_cookie)) m_bActivated = true;
}

CModuleStateScope::~CModuleStateScope() {
  if (m_bActivated) DeactivateActCtx(0, m_cookie);
}
