// MediaTypes.h: the media type of a served file, from a fixed table of the
// web's file name extensions.
#pragma once

#include <string>

// The media type for the extension of the file's name (the text after the
// last '.' of its last segment, any case), or null when the extension is
// not in the table: the answer then carries no type and the client sniffs.
const char* MediaTypeOf(const std::wstring& name);
