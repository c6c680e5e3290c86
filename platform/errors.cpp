#include "platform/errors.h"

#include "platform/syserror.h"

namespace vesko {

EOSError::EOSError(const std::string& what, int code)
    : EVeskoError(what + ": " + platform::SystemErrorText(code)), code_(code) {}

}  // namespace vesko
