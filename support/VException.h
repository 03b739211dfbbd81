// The framework's exception type and the guard that every interface boundary runs inside.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace VFoundation {

class VException : public std::exception {
 public:
  explicit VException(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

// Logs a caught exception in the house format ("Caught VException in %s. ..." or
// "Unknown Exception in %s\n"). `where` is the operation's qualified name.
void LogCaughtVException(const char* where, const VException& e);
void LogUnknownException(const char* where);

// Runs `body` and turns any exception into a log line and the neutral answer. Any thread.
template <typename Result, typename Body>
Result Guarded(const char* where, Result neutral, Body&& body) noexcept {
  try {
    return body();
  } catch (const VException& e) {
    LogCaughtVException(where, e);
  } catch (const char* text) {
    LogCaughtVException(where, VException(text ? text : ""));
  } catch (...) {
    LogUnknownException(where);
  }
  return neutral;
}

template <typename Body>
void GuardedVoid(const char* where, Body&& body) noexcept {
  Guarded(where, 0, [&] {
    body();
    return 0;
  });
}

}  // namespace VFoundation
