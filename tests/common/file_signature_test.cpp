// Authenticode signatures of small programs that the build signed with a test authority of its
// own, which the test prefix trusts only while a test says so.
#include "common/file_signature.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "support/trusted_authority.h"

namespace quorvane {

void PrintTo(const FileSignature& signature, std::ostream* out) {
  *out << "{" << testing::PrintToString(std::wstring(SignatureStateName(signature.state))) << ", "
       << testing::PrintToString(signature.signer) << "}";
}

namespace {

std::wstring Signed(const std::wstring& name) { return std::wstring(QUORVANE_SIGNED_FIXTURES) + L"/" + name; }

const std::wstring kPublisher = L"Quorvane Test Publisher";

// Wine's WinVerifyTrust does not ask whether the signer's root is trusted: there a signature
// of an authority that the prefix does not trust counts as valid.
bool RunsOnWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

struct Case {
  const wchar_t* file;
  FileSignature signature;
};

TEST(VerifyFileSignature, TellsSoundChangedTruncatedForeignAndMissingSignaturesApart) {
  const test::TrustedAuthority trusted(test::ReadFileBytes(Signed(L"authority.der")));
  test::TempFolder folder;
  test::WriteFileBytes(folder.File(L"shortcut.lnk"), "x");
  const Case cases[] = {
      {L"signed.exe", {SignatureState::Valid, kPublisher}},
      {L"changed.exe", {SignatureState::Invalid, L""}},
      {L"truncated.exe", {SignatureState::Invalid, L""}},
      {L"foreign.exe", {SignatureState::Invalid, L""}},
  };
  for (const Case& c : cases) EXPECT_EQ(VerifyFileSignature(Signed(c.file)), c.signature) << c.file;
  EXPECT_EQ(VerifyFileSignature(test::ProgramBesideTest(L"fixture_plain.exe")), FileSignature{});
  EXPECT_EQ(VerifyFileSignature(folder.File(L"shortcut.lnk")), FileSignature{});
}

TEST(VerifyFileSignature, TellsASignatureOfAnAuthorityThatIsNotTrusted) {
  const FileSignature expected{RunsOnWine() ? SignatureState::Valid : SignatureState::Untrusted, kPublisher};
  EXPECT_EQ(VerifyFileSignature(Signed(L"signed.exe")), expected);
  EXPECT_EQ(VerifyFileSignature(Signed(L"changed.exe")), (FileSignature{SignatureState::Invalid, L""}));
}

// Each file is verified once: the answer stays although the file is changed afterwards, and
// holds for the path in another letter case too.
TEST(SignatureCache, VerifiesEachFileOnce) {
  const test::TrustedAuthority trusted(test::ReadFileBytes(Signed(L"authority.der")));
  test::TempFolder folder;
  const std::wstring copy = folder.File(L"Tool.exe");
  test::WriteFileBytes(copy, test::ReadFileBytes(Signed(L"signed.exe")));
  SignatureCache cache;
  const FileSignature valid{SignatureState::Valid, kPublisher};
  EXPECT_EQ(cache.Of(copy), valid);
  test::WriteFileBytes(copy, test::ReadFileBytes(Signed(L"changed.exe")));
  EXPECT_EQ(cache.Of(copy), valid);
  EXPECT_EQ(cache.Of(folder.File(L"TOOL.EXE")), valid);
  EXPECT_EQ(SignatureCache().Of(copy), (FileSignature{SignatureState::Invalid, L""}));
}

}  // namespace
}  // namespace quorvane
