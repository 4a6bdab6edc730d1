// Variants: the VARIANT arguments a container passes to the control, made
// in one place for the demo, the tests and the benchmark. Each result is
// the caller's to VariantClear.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>

// Every UTF-16 unit of the text, embedded nulls included.
VARIANT VarBstr(const std::wstring& text);
VARIANT VarI4(LONG value);
VARIANT VarBool(bool value);
