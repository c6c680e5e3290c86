// The error of the mail host. Its message is written for the user; the kind tells a
// program's exit code apart: a wrong name on the command line, or a failure.
#pragma once

#include <string>

#include "platform/errors.h"

namespace vesko::mailhost {

// A failure of the host: kBadInput for a store, folder, mail or command that isn't there,
// kFailure for one that is there but can't be used.
class EMailHostError : public EVeskoError {
 public:
  enum TKind { kFailure, kBadInput };
  explicit EMailHostError(const std::string& message, TKind kind = kFailure)
      : EVeskoError(message), kind_(kind) {}
  TKind kind() const { return kind_; }

 private:
  TKind kind_;
};

}  // namespace vesko::mailhost
