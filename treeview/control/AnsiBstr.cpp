// AnsiBstr: CP_ACP both ways; embedded nulls are kept.
#include "control/AnsiBstr.h"

std::string BstrToAnsi(BSTR s) {
  int n = static_cast<int>(SysStringLen(s));
  if (n == 0) return std::string();
  int cb = WideCharToMultiByte(CP_ACP, 0, s, n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(cb), '\0');
  WideCharToMultiByte(CP_ACP, 0, s, n, &out[0], cb, nullptr, nullptr);
  return out;
}

BSTR AnsiToBstr(const std::string& s) {
  int n = static_cast<int>(s.size());
  int cch = n ? MultiByteToWideChar(CP_ACP, 0, s.data(), n, nullptr, 0) : 0;
  BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(cch));
  if (b && cch) MultiByteToWideChar(CP_ACP, 0, s.data(), n, b, cch);
  return b;
}
