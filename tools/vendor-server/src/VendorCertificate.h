#pragma once

#include <string>

namespace vimbrel::vendor {

// Writes a fresh self-signed certificate for 127.0.0.1 and localhost (an EC
// P-256 key, valid for a year, usable as its own CA) as "cert.pem" and
// "key.pem" into `folder`. Returns an error message, empty on success.
std::string generateCertificate(const std::string& folder);

}  // namespace vimbrel::vendor
