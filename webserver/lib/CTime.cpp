// CTime.cpp: a calendar time.
#include "CTime.h"

CTime::CTime() {}

CTime::~CTime() = default;
