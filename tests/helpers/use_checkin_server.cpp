// use_checkin_server PORT AUTHORITY: makes the prefix reach the check-in stand-in
// (scripts/checkin-server) on 127.0.0.1:PORT instead of the publisher's service. WinHTTP's
// proxy setting names the stand-in, and the stand-in's authority (a DER file) becomes a
// trusted root of the machine. "use_checkin_server none" takes the proxy setting back.
#include <windows.h>
#include <wincrypt.h>
#include <winhttp.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool SetProxy(const wchar_t* proxy) {
  WINHTTP_PROXY_INFO info{};
  info.dwAccessType = proxy ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY;
  info.lpszProxy = const_cast<wchar_t*>(proxy);
  // Loopback addresses stay direct: the tests' own servers on 127.0.0.1 are not behind it.
  info.lpszProxyBypass = proxy ? const_cast<wchar_t*>(L"127.0.0.1;localhost;<local>") : nullptr;
  return WinHttpSetDefaultProxyConfiguration(&info) != FALSE;
}

bool TrustAuthority(const wchar_t* path) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (der.empty()) return false;
  const HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
  if (!root) return false;
  const BOOL added =
      CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                       static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  CertCloseStore(root, 0);
  return added != FALSE;
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  if (argc == 2 && std::wstring(argv[1]) == L"none") return SetProxy(nullptr) ? 0 : 1;
  if (argc != 3) {
    std::fputs("usage: use_checkin_server PORT AUTHORITY | use_checkin_server none\n", stderr);
    return 2;
  }
  const std::wstring proxy = L"127.0.0.1:" + std::wstring(argv[1]);
  if (!SetProxy(proxy.c_str())) {
    std::fputs("use_checkin_server: cannot set the proxy\n", stderr);
    return 1;
  }
  if (!TrustAuthority(argv[2])) {
    std::fputs("use_checkin_server: cannot trust the authority\n", stderr);
    return 1;
  }
  return 0;
}
