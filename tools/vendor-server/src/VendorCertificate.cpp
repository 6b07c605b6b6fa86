#include "VendorCertificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace vimbrel::vendor {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Deleter<X509, X509_free>>;

bool addExtension(X509* certificate, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (!extension) return false;
  const bool added = X509_add_ext(certificate, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return added;
}

bool writePem(const std::string& path, const std::function<int(FILE*)>& write) {
  FILE* file = std::fopen(path.c_str(), "w");
  if (!file) return false;
  const bool written = write(file) == 1;
  return std::fclose(file) == 0 && written;
}

}  // namespace

std::string generateCertificate(const std::string& folder) {
  Key key(EVP_EC_gen("P-256"));
  Certificate certificate(X509_new());
  if (!key || !certificate) return "could not create a key";
  X509* cert = certificate.get();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 365L * 24 * 3600);
  X509_set_pubkey(cert, key.get());
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
  X509_set_issuer_name(cert, name);
  if (!addExtension(cert, NID_basic_constraints, "critical,CA:TRUE") ||
      !addExtension(cert, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost") ||
      !addExtension(cert, NID_subject_key_identifier, "hash")) {
    return "could not add the certificate extensions";
  }
  if (X509_sign(cert, key.get(), EVP_sha256()) == 0) return "could not sign the certificate";
  if (!writePem(folder + "/cert.pem", [&](FILE* f) { return PEM_write_X509(f, cert); }) ||
      !writePem(folder + "/key.pem", [&](FILE* f) {
        return PEM_write_PrivateKey(f, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
      })) {
    return "could not write the certificate files into " + folder;
  }
  return {};
}

}  // namespace vimbrel::vendor
