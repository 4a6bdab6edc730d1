// CObject.cpp: root of the server's class library.
#include "CObject.h"

CObject::~CObject() = default;
