// WebRoot.cpp: how the program chooses the folder it serves.
#include "WebRoot.h"

#include <cwchar>

bool ChooseWebRoot(const wchar_t* pszTail, const wchar_t* pszModulePath, wchar_t* pszWebRoot)
{
    wcscpy(pszWebRoot, L"\\webroot\\");
    if (pszTail && pszTail[0] != L'\0') {
        size_t n = wcslen(pszTail);
        if (n >= static_cast<size_t>(WEBROOT_CHARS))
            return false;
        wmemcpy(pszWebRoot, pszTail, n + 1);
        return true;
    }
    if (!pszModulePath)
        return true;
    const wchar_t* pszLast = wcsrchr(pszModulePath, L'\\');
    if (!pszLast)
        return true;
    size_t n = pszLast - pszModulePath + 1;
    if (n >= static_cast<size_t>(WEBROOT_CHARS))
        return true;
    wmemcpy(pszWebRoot, pszModulePath, n);
    pszWebRoot[n] = L'\0';
    return true;
}
