// DispEntry: one row of a control's dispatch table (data only): the member's
// dispatch id, name, kind, type, parameters and accessors.
#pragma once
#include <windows.h>
#include <oleauto.h>

class COleControl;

enum class DispKind { Method, Property, ParamProperty };

struct DispParam {
  const wchar_t* name;
  VARTYPE vt;
};

// Accessors receive the parameters already converted to their declared types,
// in declaration order. A method or a read writes its result (of the row's
// type) into *result; a write receives the converted new value.
typedef HRESULT (*DispGetFn)(COleControl* control, const VARIANT* args, VARIANT* result);
typedef HRESULT (*DispPutFn)(COleControl* control, const VARIANT* args, const VARIANT& value);

// What a container and a type library see of one member: data only, so that
// a program that writes the type library reads the same rows as the control.
struct DispMember {
  DISPID dispid;
  const wchar_t* name;
  DispKind kind;
  VARTYPE vt;               // property type or method result; VT_EMPTY for void
  const DispParam* params;  // null when cParams is 0
  UINT cParams;
};

struct DispEntry : DispMember {
  DispGetFn pfnGet;  // read or call; null when the member cannot be read
  DispPutFn pfnPut;  // write; null for methods
};
