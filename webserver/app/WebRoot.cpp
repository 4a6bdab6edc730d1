// WebRoot.cpp: how the program chooses the folder it serves.
#include "app/WebRoot.h"

#include <cwchar>

bool ChooseWebRoot(const wchar_t* tail, const wchar_t* modulePath, wchar_t* webRoot) {
  wcscpy(webRoot, L"\\webroot\\");
  size_t n = tail ? wcslen(tail) : 0;
  // Windows never allows a quotation mark in a folder name: a quoted root
  // ("C:\My Site\") means the folder inside the quotes.
  if (n >= 2 && tail[0] == L'"' && tail[n - 1] == L'"') {
    ++tail;
    n -= 2;
  }
  if (n > 0) {
    if (n >= static_cast<size_t>(kWebRootChars)) return false;
    wmemcpy(webRoot, tail, n);
    webRoot[n] = L'\0';
    return true;
  }
  if (!modulePath) return true;
  const wchar_t* lastSlash = wcsrchr(modulePath, L'\\');
  if (!lastSlash) return true;
  size_t folderLength = lastSlash - modulePath + 1;
  if (folderLength >= static_cast<size_t>(kWebRootChars)) return true;
  wmemcpy(webRoot, modulePath, folderLength);
  webRoot[folderLength] = L'\0';
  return true;
}
