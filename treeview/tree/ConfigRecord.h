// ConfigRecord: the rules of a configuration line (path|icon|data) and of
// the icon files it names, shared by the tree's fill and the copies made
// ahead of an asynchronous load. Pure functions; owns nothing.
#pragma once
#include <string>
#include <vector>

// The icon name whose file supplies image 0, shown by nodes without an icon.
extern const wchar_t kDefaultIconName[];

// Splits a line at its bars into exactly three fields (path, icon, data:
// missing ones empty, extra ones dropped); false when the line is no record
// (its path is empty), the fields then meaning nothing.
bool SplitRecord(const std::wstring& line, std::vector<std::wstring>* fields);

// The file an icon name stands for: the name as written and ".ico".
std::wstring IconFileName(const std::wstring& icon);
