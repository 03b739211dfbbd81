// The ports of one DSP node and their archive.
#include "param_framework/VDSPPortArray.h"

#include <tinyxml.h>

#include <string>

#include "support/Log.h"

namespace VDSP {

namespace {

constexpr const char* kListClass = "VDSPPortList";
// In the order of VDSPPortType.
constexpr std::array<const char*, kPortTypeCount> kListKeys = {
    "control_in", "audio_in", "event_in", "control_out", "audio_out", "event_out"};

size_t ListIndex(VDSPPortType type) {
  return static_cast<size_t>(type);
}

// The objects inside a list in document order. The document layer finds objects by name only,
// and port names need not be unique, so the list is walked element by element.
std::vector<VFoundation::XmlNode> ObjectsIn(const VFoundation::XmlNode& list) {
  std::vector<VFoundation::XmlNode> objects;
  if (!list) return objects;
  for (TiXmlElement* child = list.Element()->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    objects.emplace_back(child);
  }
  return objects;
}

}  // namespace

VDSPPort* VDSPPortArray::Add(std::unique_ptr<VDSPPort> port) {
  if (!port) return nullptr;
  const VDSPPortType type = port->GetPortType();
  PortList& list = lists_[ListIndex(type)];
  port->SetID({static_cast<int32_t>(type), static_cast<int32_t>(list.size())});
  list.push_back(std::move(port));
  return list.back().get();
}

const VDSPPortArray::PortList& VDSPPortArray::List(VDSPPortType type) const {
  return lists_[ListIndex(type)];
}

int VDSPPortArray::Count(VDSPPortType type) const {
  return static_cast<int>(List(type).size());
}

VDSPPort* VDSPPortArray::Port(VDSPPortType type, int index) const {
  const PortList& list = List(type);
  if (index < 0 || index >= static_cast<int>(list.size())) return nullptr;
  return list[static_cast<size_t>(index)].get();
}

VDSPPort* VDSPPortArray::Find(const VDSPPortID& id) const {
  if (id.type < 0 || id.type >= kPortTypeCount) return nullptr;
  return Port(static_cast<VDSPPortType>(id.type), id.index);
}

VDSPPortControlIn* VDSPPortArray::ControlIn(int index) const {
  // Add files every port by its own kind, so this list holds control inputs only.
  return static_cast<VDSPPortControlIn*>(Port(VDSPPortType::kControlIn, index));
}

void VDSPPortArray::Write(VFoundation::XmlNode node) const {
  node.WriteBool("poly", poly_);
  for (int type = 0; type < kPortTypeCount; ++type) {
    VFoundation::XmlNode list = node.AddObject(kListClass, kListKeys[static_cast<size_t>(type)]);
    for (const auto& port : lists_[static_cast<size_t>(type)]) {
      port->Write(list.AddObject(port->GetClassName(), port->GetName()));
    }
  }
}

void VDSPPortArray::Read(const VFoundation::XmlNode& node) {
  node.ReadBool("poly", poly_);
  for (int type = 0; type < kPortTypeCount; ++type) {
    const VFoundation::XmlNode list =
        node.FindObject(kListClass, kListKeys[static_cast<size_t>(type)]);
    ReadList(static_cast<VDSPPortType>(type), list);
  }
}

void VDSPPortArray::ReadList(VDSPPortType type, const VFoundation::XmlNode& list) {
  int index = 0;
  for (const VFoundation::XmlNode& object : ObjectsIn(list)) ReadPort(type, index++, object);
}

void VDSPPortArray::ReadPort(VDSPPortType type, int index, const VFoundation::XmlNode& object) {
  const std::string className = object.Tag();
  VDSPPort* port = Port(type, index);
  if (!port) {
    std::unique_ptr<VDSPPort> made = CreatePort(className);
    // Only the next place in a list of the port's own kind can take a new port.
    if (!made || made->GetPortType() != type || index != Count(type)) {
      VFoundation::Log("VDSPPortArray::Read, no %s port \"%s\" at %d\n", kListKeys[ListIndex(type)],
                       className.c_str(), index);
      return;
    }
    port = Add(std::move(made));
  }
  if (className != port->GetClassName()) {
    VFoundation::Log("VDSPPortArray::Read, %s port %d is a %s, the archive has a %s\n",
                     kListKeys[ListIndex(type)], index, port->GetClassName(), className.c_str());
    return;
  }
  port->Read(object);
}

}  // namespace VDSP
