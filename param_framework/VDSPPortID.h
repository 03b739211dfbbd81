// Port identifiers: a port's kind and place within its node, and a port within a graph of nodes.
#pragma once

#include <cstdint>

#include "support/XmlDocument.h"

namespace VDSP {

// A port's kind; also the number of its list in a port array and the type of its identifier.
enum class VDSPPortType : int32_t {
  kControlIn = 0,
  kAudioIn = 1,
  kEventIn = 2,
  kControlOut = 3,
  kAudioOut = 4,
  kEventOut = 5,
};
inline constexpr int kPortTypeCount = 6;

struct VDSPPortID {
  int32_t type = 0;   // a VDSPPortType
  int32_t index = 0;  // place in the node's list of that type

  bool operator==(const VDSPPortID&) const = default;

  // Keys "type" and "index". // UI thread
  void Write(VFoundation::XmlNode node) const;
  // "type" and "index", or "id" where "index" is missing; a missing or malformed key keeps its
  // field. // UI thread
  void Read(const VFoundation::XmlNode& node);
};

struct VDSPNodePortID {
  int32_t nodeIndex = 0;
  VDSPPortID portId;

  bool operator==(const VDSPNodePortID&) const = default;

  // Key "node_index" and the object "port_id". // UI thread
  void Write(VFoundation::XmlNode node) const;
  void Read(const VFoundation::XmlNode& node);
};

}  // namespace VDSP
