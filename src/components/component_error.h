#pragma once
#include <stdexcept>
#include <string>

// Every operation of the two outside components (media engine, score store)
// reports failure by throwing this. The shell's step runner catches it.
class ComponentError : public std::runtime_error {
 public:
  ComponentError(const std::string& operation, const std::string& reason)
      : std::runtime_error(operation + ": " + reason), operation_(operation), reason_(reason) {}
  const std::string& Operation() const { return operation_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string operation_;
  std::string reason_;
};
