// The Authenticode signature of a file, as WinVerifyTrust judges it, without going to the
// network: revocation is not checked and no certificate is fetched.
#pragma once

#include <map>
#include <string>

namespace quorvane {

enum class SignatureState {
  Valid,      // signed, intact, by a certificate that chains to a trusted root
  Unsigned,   // no Authenticode signature
  Invalid,    // signed, but the file changed after signing, or the signature is broken
  Untrusted,  // intact, but the certificate does not chain to a trusted root
};

struct FileSignature {
  SignatureState state = SignatureState::Unsigned;
  // The simple name of the signer's certificate, for a valid or untrusted signature.
  std::wstring signer;

  bool operator==(const FileSignature&) const = default;
};

// "valid", "unsigned", "invalid", "untrusted".
const wchar_t* SignatureStateName(SignatureState state);

FileSignature VerifyFileSignature(const std::wstring& path);

// Verifies each file once: a file named twice gets the first answer. Paths are compared
// without regard to letter case.
class SignatureCache {
 public:
  const FileSignature& Of(const std::wstring& path);

 private:
  std::map<std::wstring, FileSignature> verified_;
};

}  // namespace quorvane
