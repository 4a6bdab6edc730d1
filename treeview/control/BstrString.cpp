// BstrString: copies both ways.
#include "control/BstrString.h"

std::wstring BstrToWide(BSTR s) { return s ? std::wstring(s, SysStringLen(s)) : std::wstring(); }

BSTR WideToBstr(const std::wstring& s) {
  return SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}
