#include "platform/Status.h"

#include <cstring>

namespace vimbrel {

Status Status::fromErrno(int error, std::string context) {
  std::string message = std::move(context);
  message += ": ";
  message += std::strerror(error);
  return Status(error, std::move(message));
}

Status Status::error(std::string message) { return Status(0, std::move(message)); }

}  // namespace vimbrel
