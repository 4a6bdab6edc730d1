// CCriticalSection.cpp: a platform critical section.
#include "CCriticalSection.h"

CCriticalSection::CCriticalSection() { InitializeCriticalSection(this); }

CCriticalSection::~CCriticalSection() { DeleteCriticalSection(this); }
