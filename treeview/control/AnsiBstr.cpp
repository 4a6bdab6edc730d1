// AnsiBstr: CP_ACP both ways; embedded nulls are kept.
#include "control/AnsiBstr.h"

std::string BstrToAnsi(BSTR s) {
  int n = static_cast<int>(SysStringLen(s));
  if (n == 0) return std::string();
  int bytes = WideCharToMultiByte(CP_ACP, 0, s, n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, s, n, &out[0], bytes, nullptr, nullptr);
  return out;
}

BSTR AnsiToBstr(const std::string& s) {
  int n = static_cast<int>(s.size());
  int chars = n ? MultiByteToWideChar(CP_ACP, 0, s.data(), n, nullptr, 0) : 0;
  BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(chars));
  if (b && chars) MultiByteToWideChar(CP_ACP, 0, s.data(), n, b, chars);
  return b;
}
