#include "support/client_identity.h"

#include "support/test_support.h"

namespace quorvane::test {

ClientIdentityGuard::ClientIdentityGuard() : keyExisted_(RawKeyExists(HKEY_CURRENT_USER, kClientIdKey)) {
  if (RawValueExists(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue)) {
    value_ = RawValueBytes(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, &type_);
  }
}

ClientIdentityGuard::~ClientIdentityGuard() {
  if (!keyExisted_) {
    DeleteRawTree(HKEY_CURRENT_USER, kClientIdKey);
    return;
  }
  Forget();
  if (value_) SetRawValue(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, type_, value_->data(), value_->size());
}

void ClientIdentityGuard::Forget() {
  const HKEY root = HKEY_CURRENT_USER;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, kClientIdKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, kClientIdValue);
  RegCloseKey(key);
}

}  // namespace quorvane::test
