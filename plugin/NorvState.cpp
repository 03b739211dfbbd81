// The plug-in's state document: host chunk, preset files and the default preset.
#include "plugin/Norv.h"

int32_t Norv::getChunk(void**, bool) { return 0; }

int32_t Norv::setChunk(void*, int32_t, bool) { return 0; }

bool Norv::SerializeState(const std::filesystem::path&, bool) { return false; }

bool Norv::SerializeBindingMap(const std::filesystem::path&, bool) { return false; }
