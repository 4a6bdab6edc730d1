// The configuration's field splitter, free of the platform so it can also be
// built natively (fuzz/) and tested without a window.
#pragma once
#include <string>
#include <vector>

// Splits at any separator character (a UTF-16 unit) outside double quotes; removes
// enclosing quotes and halves doubled ones. True when a field was found.
// Linear in the text's length, whatever its quotes.
bool SplitQuotedFields(const std::wstring& text, std::vector<std::wstring>* fields,
                       const std::wstring& separators);
