// BstrString: the module's strings (UTF-16) to and from BSTR at the dispatch
// boundary, every unit kept, embedded nulls included.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>

std::wstring BstrToWide(BSTR s);
// A new BSTR owned by the caller; null only when memory ran out.
BSTR WideToBstr(const std::wstring& s);
