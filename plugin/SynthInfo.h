// The process-wide factory: starts the framework services once per process and creates plug-ins.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "Common/VSTi/VstAbi.h"

class Norv;

class ISynthInfo {
 public:
  virtual ~ISynthInfo() = default;
  virtual void Initialise(int32_t version) = 0;
  virtual void Shutdown() = 0;
  virtual Norv* NewSynth(vst::HostCallback host) = 0;
  virtual int32_t Version() const = 0;
};

class SynthInfoBase : public ISynthInfo {
 public:
  const char* PresetKindWord() const { return "preset"; }
  const char* BankKindWord() const { return "bank"; }
  const char* VendorName() const { return "Quorvanta"; }
};

class SynthInfo : public SynthInfoBase {
 public:
  static constexpr const char* kProductName = "Tavo";
  static constexpr int32_t kHostInterfaceVersion = 2400;

  // The singleton, or null before library load / after unload. any thread.
  static SynthInfo* Instance();
  // Library load: creates the singleton if there is none. Library unload: deletes it.
  static SynthInfo* CreateInstance();
  static void DestroyInstance();

  // Increments the process-wide count; the first call starts the framework services and runs the
  // product initialisation (preference key, folders, tables).
  void Initialise(int32_t version) override;
  // Decrements the count; the last call stops the services and runs the product shutdown.
  void Shutdown() override;
  // One plug-in for a host callback; null when it cannot be made. UI thread.
  Norv* NewSynth(vst::HostCallback host) override;
  int32_t Version() const override { return version_; }

  // "Software\Quorvanta\" followed by the product word.
  const std::string& RegistryRoot();
  const std::string& ProductName();

  // Instances alive; the run-time log's writer thread runs while there is one, so that it is never
  // started or joined inside the loader's library hooks.
  static void InstanceCreated();
  static void InstanceDestroyed();

 private:
  int32_t version_ = 0;
  std::string registryRoot_;
  std::string productName_;
  inline static std::atomic<int32_t> initialisationCount_{0};
  inline static std::atomic<int32_t> liveInstances_{0};
};
