// The process-wide factory and the product's start-up and shut-down.
#include "plugin/SynthInfo.h"

#include <new>

#include "plugin/Norv.h"
#include "support/Log.h"
#include "support/Options.h"
#include "support/Paths.h"
#include "support/VException.h"

namespace {

std::atomic<SynthInfo*> gInstance{nullptr};

// Folders the plug-in writes into; failures are logged, never fatal.
void SetUpProductFolders() {
  VFoundation::GuardedVoid("SynthInfo::SetUpProductFolders", [] {
    VApplication::Paths::GetTemporaryPath();
    VApplication::Paths::GetUserPresetsPath();
  });
}

}  // namespace

SynthInfo* SynthInfo::Instance() {
  return gInstance.load(std::memory_order_acquire);
}

SynthInfo* SynthInfo::CreateInstance() {
  SynthInfo* existing = Instance();
  if (existing) return existing;
  auto* created = new (std::nothrow) SynthInfo();
  gInstance.store(created, std::memory_order_release);
  return created;
}

void SynthInfo::DestroyInstance() {
  delete gInstance.exchange(nullptr);
}

void SynthInfo::Initialise(int32_t version) {
  if (initialisationCount_.fetch_add(1) + 1 != 1) return;
  version_ = version;
  VApplication::Options::SetProductKey(RegistryRoot());
  Norv::PrepareSharedTables();
}

void SynthInfo::Shutdown() {
  if (initialisationCount_.fetch_sub(1) - 1 != 0) return;
  VFoundation::RuntimeLog::Flush();
  registryRoot_.clear();
  registryRoot_.shrink_to_fit();
  productName_.clear();
  productName_.shrink_to_fit();
}

Norv* SynthInfo::NewSynth(vst::HostCallback host) {
  return new (std::nothrow) Norv(host);
}

const std::string& SynthInfo::RegistryRoot() {
  if (registryRoot_.empty()) registryRoot_ = std::string("Software\\Quorvanta\\") + kProductName;
  return registryRoot_;
}

const std::string& SynthInfo::ProductName() {
  if (productName_.empty()) productName_ = kProductName;
  return productName_;
}

// The shell's folder queries are not safe inside the loader's library hooks, so the folders are
// made with the first instance.
void SynthInfo::InstanceCreated() {
  if (liveInstances_.fetch_add(1) != 0) return;
  VFoundation::RuntimeLog::Start();
  SetUpProductFolders();
}

void SynthInfo::InstanceDestroyed() {
  if (liveInstances_.fetch_sub(1) == 1) VFoundation::RuntimeLog::Stop();
}
