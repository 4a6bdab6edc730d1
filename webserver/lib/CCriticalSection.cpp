// CCriticalSection.cpp: a platform critical section.
#include "lib/CCriticalSection.h"

CCriticalSection::CCriticalSection() { InitializeCriticalSection(this); }

CCriticalSection::~CCriticalSection() { DeleteCriticalSection(this); }
