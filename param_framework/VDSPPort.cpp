// The port base and the kinds without a value of their own.
#include "param_framework/VDSPPort.h"

#include <cstring>

#include "param_framework/VDSPPortControlIn.h"

namespace VDSP {

namespace {

template <typename Port>
std::unique_ptr<VDSPPort> MakePort() {
  return std::make_unique<Port>();
}

struct PortClass {
  const char* className;
  std::unique_ptr<VDSPPort> (*create)();
};

constexpr PortClass kPortClasses[] = {
    {"VDSPPortControlIn", MakePort<VDSPPortControlIn>},
    {"VDSPPortControlInProxy", MakePort<VDSPPortControlInProxy>},
    {kAudioInClass, MakePort<VDSPPortAudioIn>},
    {kAudioOutClass, MakePort<VDSPPortAudioOut>},
    {kEventInClass, MakePort<VDSPPortEventIn>},
    {kEventOutClass, MakePort<VDSPPortEventOut>},
    {kControlOutClass, MakePort<VDSPPortControlOut>},
};

}  // namespace

bool VDSPPort::SameClass(const VDSPPort& other) const {
  return std::strcmp(GetClassName(), other.GetClassName()) == 0;
}

bool VDSPPort::CopyFrom(const VDSPPort& other) {
  if (!SameClass(other)) return false;
  name_ = other.name_;
  return true;
}

void VDSPPort::Write(VFoundation::XmlNode node) const {
  node.WriteString("name", name_);
}

void VDSPPort::Read(const VFoundation::XmlNode& node) {
  node.ReadString("name", name_);
}

std::unique_ptr<VDSPPort> CreatePort(std::string_view className) {
  for (const PortClass& portClass : kPortClasses) {
    if (className == portClass.className) return portClass.create();
  }
  return nullptr;
}

}  // namespace VDSP
