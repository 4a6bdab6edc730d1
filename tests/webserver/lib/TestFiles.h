// TestFiles.h: scratch files for the library's tests.
#pragma once

#include <string>

// A fresh path in the temporary folder (nothing created).
std::wstring ScratchPath(const wchar_t* name);
// Writes the bytes to a new file; false on failure.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// size bytes of a pattern that repeats only every 251 bytes.
std::string PatternBytes(size_t size);
