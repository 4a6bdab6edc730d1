// AnsiBstr: conversions between the module's strings (system code page) and
// BSTR, made at the dispatch boundary.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>

std::string BstrToAnsi(BSTR s);
// A new BSTR owned by the caller; null only when memory ran out.
BSTR AnsiToBstr(const std::string& s);
