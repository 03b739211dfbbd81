// The ports of one DSP node: a polyphony flag and one ordered list per port kind.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "param_framework/VDSPPort.h"
#include "param_framework/VDSPPortControlIn.h"
#include "support/XmlDocument.h"

namespace VDSP {

// Owns its ports. Built, archived and read on the UI thread.
class VDSPPortArray {
 public:
  void SetPoly(bool poly) { poly_ = poly; }
  bool IsPoly() const { return poly_; }

  // Appends a port to the list of its kind and gives it its identifier (kind, place in the list).
  // A null port is ignored. Answers the port. // UI thread
  VDSPPort* Add(std::unique_ptr<VDSPPort> port);

  int Count(VDSPPortType type) const;
  // Null for an index outside the list. // any thread
  VDSPPort* Port(VDSPPortType type, int index) const;
  VDSPPort* Find(const VDSPPortID& id) const;
  VDSPPortControlIn* ControlIn(int index) const;

  // Key "poly" and one list object per kind ("control_in", "audio_in", "event_in",
  // "control_out", "audio_out", "event_out") holding one object per port, tagged with the port's
  // class. // UI thread
  void Write(VFoundation::XmlNode node) const;
  // Reads each list in order into the ports already there (a port of another class than the
  // archive's is left as it is) and appends the ones the array does not have yet. Each control
  // input re-links its converter and restores its range and value as it reads. // UI thread
  void Read(const VFoundation::XmlNode& node);

 private:
  using PortList = std::vector<std::unique_ptr<VDSPPort>>;

  const PortList& List(VDSPPortType type) const;
  void ReadList(VDSPPortType type, const VFoundation::XmlNode& list);
  void ReadPort(VDSPPortType type, int index, const VFoundation::XmlNode& object);

  bool poly_ = false;
  std::array<PortList, kPortTypeCount> lists_;
};

}  // namespace VDSP
