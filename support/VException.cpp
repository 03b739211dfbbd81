// Log lines for exceptions caught at interface boundaries.
#include "support/VException.h"

#include "support/Log.h"

namespace VFoundation {

void LogCaughtVException(const char* where, const VException& e) {
  Log("Caught VException in %s. Exception message\n%s\n", where ? where : "", e.what());
}

void LogUnknownException(const char* where) {
  Log("Unknown Exception in %s\n", where ? where : "");
}

}  // namespace VFoundation
