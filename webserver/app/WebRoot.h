// WebRoot.h: how the program chooses the folder it serves.
#pragma once

#include "app/Globals.h"

// The web root is the command-line tail taken whole (no trimming, no
// separator added), less one pair of quotation marks around all of it;
// without a tail (or with only "") it is the folder of the program
// (modulePath cut after its last backslash), and "\webroot\" when that
// path is empty or has no backslash. Writes kWebRootChars characters at
// most into webRoot. Returns false, leaving "\webroot\", for a tail of
// kWebRootChars characters or more: such a root is refused, not cut.
bool ChooseWebRoot(const wchar_t* tail, const wchar_t* modulePath, wchar_t* webRoot);
