#include "common/file_signature.h"

#include <windows.h>
// After windows.h, which they need.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

#include "common/locale_text.h"
#include "common/scoped.h"

namespace quorvane {

namespace {

constexpr DWORD kPeSignature = 0x00004550;  // "PE\0\0"
constexpr WORD kPe32Magic = 0x10B;
constexpr WORD kPe32PlusMagic = 0x20B;
// From the start of the optional header to its data directories.
constexpr DWORD kPe32DirectoriesOffset = 96;
constexpr DWORD kPe32PlusDirectoriesOffset = 112;

bool ReadAt(HANDLE file, LONGLONG offset, void* buffer, DWORD size) {
  LARGE_INTEGER position{};
  position.QuadPart = offset;
  DWORD read = 0;
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ReadFile(file, buffer, size, &read, nullptr) &&
         read == size;
}

// Whether the file is a PE image whose certificate table is not empty: one that carries a
// signature, sound or not.
bool ClaimsSignature(const std::wstring& path) {
  const ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  IMAGE_DOS_HEADER dos{};
  DWORD peSignature = 0;
  WORD magic = 0;
  if (!ReadAt(file.Get(), 0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
      !ReadAt(file.Get(), dos.e_lfanew, &peSignature, sizeof peSignature) || peSignature != kPeSignature) {
    return false;
  }
  const LONGLONG optionalHeader = static_cast<LONGLONG>(dos.e_lfanew) + sizeof peSignature + sizeof(IMAGE_FILE_HEADER);
  if (!ReadAt(file.Get(), optionalHeader, &magic, sizeof magic)) return false;
  if (magic != kPe32Magic && magic != kPe32PlusMagic) return false;
  const DWORD directories = magic == kPe32Magic ? kPe32DirectoriesOffset : kPe32PlusDirectoriesOffset;
  IMAGE_DATA_DIRECTORY certificates{};
  return ReadAt(file.Get(), optionalHeader + directories + IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof certificates,
                &certificates, sizeof certificates) &&
         certificates.Size != 0;
}

// The verdict, and whether it comes from a signature of the file's own: a file without one
// is unsigned whatever the verification says (Wine answers such files with assorted errors).
SignatureState StateOf(LONG result, bool claimsSignature) {
  switch (static_cast<HRESULT>(result)) {
    case ERROR_SUCCESS:
      return SignatureState::Valid;
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_CHAINING:
    case CERT_E_UNTRUSTEDTESTROOT:
    case TRUST_E_EXPLICIT_DISTRUST:
      return SignatureState::Untrusted;
    default:
      return claimsSignature ? SignatureState::Invalid : SignatureState::Unsigned;
  }
}

// The signer's certificate from the verification's state, while the state is open.
std::wstring SignerName(HANDLE stateData) {
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(stateData);
  if (!provider) return L"";
  CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
  if (!signer || signer->csCertChain == 0 || !signer->pasCertChain || !signer->pasCertChain[0].pCert) return L"";
  const PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
  const DWORD length = CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (length <= 1) return L"";
  std::vector<wchar_t> name(length);
  CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), length);
  return name.data();
}

}  // namespace

const wchar_t* SignatureStateName(SignatureState state) {
  switch (state) {
    case SignatureState::Valid:
      return L"valid";
    case SignatureState::Unsigned:
      return L"unsigned";
    case SignatureState::Invalid:
      return L"invalid";
    case SignatureState::Untrusted:
      return L"untrusted";
  }
  return L"unsigned";
}

FileSignature VerifyFileSignature(const std::wstring& path) {
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();

  WINTRUST_DATA trust{};
  trust.cbStruct = sizeof trust;
  trust.dwUIChoice = WTD_UI_NONE;
  trust.fdwRevocationChecks = WTD_REVOKE_NONE;
  trust.dwUnionChoice = WTD_CHOICE_FILE;
  trust.pFile = &file;
  trust.dwStateAction = WTD_STATEACTION_VERIFY;
  // Only what is on this computer: no certificate or revocation list is fetched.
  trust.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
  FileSignature signature{StateOf(result, ClaimsSignature(path)), L""};
  // The name of a signer whose signature does not hold is not told.
  if (signature.state == SignatureState::Valid || signature.state == SignatureState::Untrusted) {
    signature.signer = SignerName(trust.hWVTStateData);
  }

  trust.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
  return signature;
}

const FileSignature& SignatureCache::Of(const std::wstring& path) {
  const std::wstring key = UpperCaseUnicode(path);
  const auto found = verified_.find(key);
  if (found != verified_.end()) return found->second;
  return verified_.emplace(key, VerifyFileSignature(path)).first->second;
}

}  // namespace quorvane
