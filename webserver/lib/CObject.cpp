// CObject.cpp: root of the server's class library.
#include "lib/CObject.h"

CObject::~CObject() = default;
