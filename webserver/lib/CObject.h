// CObject.h: root of the server's class library; owns nothing.
#pragma once

// Every class of the library has a virtual destructor so that an object may
// be deleted through a pointer to its base.
class CObject {
public:
  CObject() = default;
  virtual ~CObject();
};
