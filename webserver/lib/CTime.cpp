// CTime.cpp: a calendar time.
#include "lib/CTime.h"

CTime::CTime() {}

CTime::~CTime() = default;
