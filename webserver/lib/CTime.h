// CTime.h: a calendar time; holds a SYSTEMTIME record and owns nothing.
#pragma once

#include <windows.h>

// The fields are left unset by the constructor; the caller fills them.
class CTime : public SYSTEMTIME {
public:
  CTime();
  virtual ~CTime();
};
