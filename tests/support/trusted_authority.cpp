#include "support/trusted_authority.h"

#include <stdexcept>

namespace quorvane::test {

TrustedAuthority::TrustedAuthority(const std::string& der)
    : store_(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT")) {
  if (!store_ ||
      !CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                        static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added_)) {
    throw std::runtime_error("cannot trust the test authority");
  }
  // The store keeps its changes to itself until they are committed.
  CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
}

TrustedAuthority::~TrustedAuthority() {
  CertDeleteCertificateFromStore(added_);
  CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  CertCloseStore(store_, 0);
}

}  // namespace quorvane::test
