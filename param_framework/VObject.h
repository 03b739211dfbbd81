// The framework's base object: its class name is what archives store and the registries look up.
#pragma once

namespace VDSP {

class VObject {
 public:
  virtual ~VObject() = default;
  // The class name as the archives and the converter registry spell it ("VConvertFloat"). // any
  // thread
  virtual const char* GetClassName() const = 0;
};

}  // namespace VDSP
