// Root of the framework's polymorphic objects: what a view's update hint points to
// is told apart with dynamic_cast.
#pragma once

class CObject {
public:
  virtual ~CObject() = default;
};
