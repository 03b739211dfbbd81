// The connection points of a DSP node: the port base and the kinds that carry no value of their
// own (audio and event inputs and outputs, control outputs).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "param_framework/VDSPPortID.h"
#include "param_framework/VObject.h"
#include "support/XmlDocument.h"

namespace VDSP {

// Ports are built, copied and archived on the UI thread.
class VDSPPort : public VObject {
 public:
  const std::string& GetName() const { return name_; }
  void SetName(std::string_view name) { name_ = name; }
  const VDSPPortID& GetID() const { return id_; }
  void SetID(const VDSPPortID& id) { id_ = id; }
  // The node the port belongs to; not owned.
  VObject* GetOwner() const { return owner_; }
  void SetOwner(VObject* owner) { owner_ = owner; }

  virtual VDSPPortType GetPortType() const = 0;
  // Copies what the port carries from another port of the same class; false (and nothing copied)
  // for any other. The identifier and the owner stay. // UI thread
  virtual bool CopyFrom(const VDSPPort& other);

  // Key "name". // UI thread
  virtual void Write(VFoundation::XmlNode node) const;
  // A missing key keeps the current name. // UI thread
  virtual void Read(const VFoundation::XmlNode& node);

 protected:
  bool SameClass(const VDSPPort& other) const;

 private:
  std::string name_;
  VDSPPortID id_;
  VObject* owner_ = nullptr;
};

template <VDSPPortType Type, const char* ClassName>
class VDSPPortOfType : public VDSPPort {
 public:
  const char* GetClassName() const override { return ClassName; }
  VDSPPortType GetPortType() const override { return Type; }
};

inline constexpr char kAudioInClass[] = "VDSPPortAudioIn";
inline constexpr char kAudioOutClass[] = "VDSPPortAudioOut";
inline constexpr char kEventInClass[] = "VDSPPortEventIn";
inline constexpr char kEventOutClass[] = "VDSPPortEventOut";
inline constexpr char kControlOutClass[] = "VDSPPortControlOut";

class VDSPPortAudioIn final : public VDSPPortOfType<VDSPPortType::kAudioIn, kAudioInClass> {};
class VDSPPortAudioOut final : public VDSPPortOfType<VDSPPortType::kAudioOut, kAudioOutClass> {};
class VDSPPortEventIn final : public VDSPPortOfType<VDSPPortType::kEventIn, kEventInClass> {};
class VDSPPortEventOut final : public VDSPPortOfType<VDSPPortType::kEventOut, kEventOutClass> {};
class VDSPPortControlOut final
    : public VDSPPortOfType<VDSPPortType::kControlOut, kControlOutClass> {};

// A new port of the class an archive names; null for a name no port has. // UI thread
std::unique_ptr<VDSPPort> CreatePort(std::string_view className);

}  // namespace VDSP
