// WebRoot.cpp: how the program chooses the folder it serves.
#include "app/WebRoot.h"

#include <cwchar>

bool ChooseWebRoot(const wchar_t* pszTail, const wchar_t* pszModulePath, wchar_t* pszWebRoot) {
  wcscpy(pszWebRoot, L"\\webroot\\");
  size_t n = pszTail ? wcslen(pszTail) : 0;
  // Windows never allows a quotation mark in a folder name: a quoted root
  // ("C:\My Site\") means the folder inside the quotes.
  if (n >= 2 && pszTail[0] == L'"' && pszTail[n - 1] == L'"') {
    ++pszTail;
    n -= 2;
  }
  if (n > 0) {
    if (n >= static_cast<size_t>(kWebRootChars)) return false;
    wmemcpy(pszWebRoot, pszTail, n);
    pszWebRoot[n] = L'\0';
    return true;
  }
  if (!pszModulePath) return true;
  const wchar_t* pszLast = wcsrchr(pszModulePath, L'\\');
  if (!pszLast) return true;
  size_t nFolder = pszLast - pszModulePath + 1;
  if (nFolder >= static_cast<size_t>(kWebRootChars)) return true;
  wmemcpy(pszWebRoot, pszModulePath, nFolder);
  pszWebRoot[nFolder] = L'\0';
  return true;
}
