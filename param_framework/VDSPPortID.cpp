// Port identifiers and their archive keys.
#include "param_framework/VDSPPortID.h"

namespace VDSP {

namespace {

constexpr const char* kPortIdClass = "VDSPPortID";

}  // namespace

void VDSPPortID::Write(VFoundation::XmlNode node) const {
  node.WriteInt("type", type);
  node.WriteInt("index", index);
}

void VDSPPortID::Read(const VFoundation::XmlNode& node) {
  node.ReadInt("type", type);
  if (!node.ReadInt("index", index)) node.ReadInt("id", index);
}

void VDSPNodePortID::Write(VFoundation::XmlNode node) const {
  node.WriteInt("node_index", nodeIndex);
  portId.Write(node.AddObject(kPortIdClass, "port_id"));
}

void VDSPNodePortID::Read(const VFoundation::XmlNode& node) {
  node.ReadInt("node_index", nodeIndex);
  if (const VFoundation::XmlNode port = node.FindObject(kPortIdClass, "port_id")) portId.Read(port);
}

}  // namespace VDSP
