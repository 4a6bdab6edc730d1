// The configuration's field splitter, free of the platform so it can also be
// built natively (fuzz/) and tested without a window.
#pragma once
#include <string>
#include <vector>

// Splits at any separator character outside double quotes; removes
// enclosing quotes and halves doubled ones. True when a field was found.
// Linear in the text's length, whatever its quotes.
bool SplitQuotedFields(const std::string& text, std::vector<std::string>* fields,
                       const std::string& separators);
