// CatchToResult: the one place where an exception from the body of a COM
// entry point becomes that entry point's result, so none crosses into the
// caller.
#pragma once
#include <windows.h>
#include <new>

template <class Fn>
HRESULT CatchToResult(Fn fn) noexcept {
  try {
    return fn();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}
