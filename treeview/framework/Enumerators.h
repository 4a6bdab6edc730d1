// The enumerators the framework hands out, each a CEnumOver with its policy:
// connection points and connections (the enumerator holds a reference to
// each; the caller gets one of its own), and verbs (each name handed to the
// caller as a new task-memory string, which the caller frees).
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <ole2.h>
#include <cstring>
#include <string>
#include "framework/CEnumOver.h"

struct HeldReference {
  static void Hold(IUnknown* p) { p->AddRef(); }
  static void Drop(IUnknown* p) { p->Release(); }
  static bool Copy(IConnectionPoint* p, IConnectionPoint** out) {
    *out = p;
    p->AddRef();
    return true;
  }
  static void Hold(const CONNECTDATA& cd) { Hold(cd.pUnk); }
  static void Drop(const CONNECTDATA& cd) { Drop(cd.pUnk); }
  static bool Copy(const CONNECTDATA& cd, CONNECTDATA* out) {
    *out = cd;
    out->pUnk->AddRef();
    return true;
  }
};

using CEnumConnectionPoints = CEnumOver<IEnumConnectionPoints, &IID_IEnumConnectionPoints,
                                        IConnectionPoint*, IConnectionPoint*, HeldReference>;
using CEnumConnections =
    CEnumOver<IEnumConnections, &IID_IEnumConnections, CONNECTDATA, CONNECTDATA, HeldReference>;

struct OleVerb {
  LONG lVerb;
  std::wstring name;
  DWORD grfAttribs;
};

struct OleVerbCopy {
  static void Hold(const OleVerb&) {}
  static void Drop(const OleVerb&) {}
  static bool Copy(const OleVerb& v, OLEVERB* out) {
    const size_t bytes = (v.name.size() + 1) * sizeof(wchar_t);
    auto* name = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!name) return false;
    memcpy(name, v.name.c_str(), bytes);
    out->lVerb = v.lVerb;
    out->lpszVerbName = name;
    out->fuFlags = MF_STRING | MF_ENABLED;
    out->grfAttribs = v.grfAttribs;
    return true;
  }
};

using CEnumOleVerb = CEnumOver<IEnumOLEVERB, &IID_IEnumOLEVERB, OleVerb, OLEVERB, OleVerbCopy>;
