#include "registry/reg_key.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <utility>

#include "common/scoped.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using test::RawKeyExists;
using test::RawValueBytes;
using test::RawValueExists;
using test::ScratchKey;
using testing::IsEmpty;
using testing::UnorderedElementsAre;
using Bytes = RegKey::Bytes;

Bytes TextBytes(const std::wstring& text) {
  Bytes bytes(text.size() * sizeof(wchar_t));
  std::memcpy(bytes.data(), text.data(), bytes.size());
  return bytes;
}

class RegKeyTest : public testing::Test {
 protected:
  RegKey OpenScratch(REGSAM access = KEY_READ | KEY_WRITE) const {
    RegKey key;
    EXPECT_EQ(key.Open(scratch_.Root(), scratch_.Path(), access), ERROR_SUCCESS);
    return key;
  }
  void SetRaw(const std::wstring& name, DWORD type, const Bytes& data) const {
    test::SetRawValue(scratch_.Root(), scratch_.Path(), name, type, data.data(), data.size());
  }

  ScratchKey scratch_;
};

// ---- Opening and closing -------------------------------------------------------------------

TEST_F(RegKeyTest, OpenFindsOnlyExistingKeysAndCreateMakesTheMissingOnesOfThePath) {
  RegKey key;
  EXPECT_EQ(key.Open(scratch_.Root(), scratch_.Below(L"a\\b"), KEY_READ), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key);
  EXPECT_FALSE(RawKeyExists(scratch_.Root(), scratch_.Below(L"a")));

  EXPECT_EQ(key.Create(scratch_.Root(), L"\\" + scratch_.Below(L"a\\b"), KEY_READ | KEY_WRITE), ERROR_SUCCESS);
  EXPECT_TRUE(key);
  EXPECT_TRUE(RawKeyExists(scratch_.Root(), scratch_.Below(L"a\\b")));

  // A leading backslash is ignored; a create of an existing key opens it.
  EXPECT_EQ(key.Open(scratch_.Root(), L"\\" + scratch_.Below(L"a\\b"), KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(key.Create(scratch_.Root(), scratch_.Below(L"a\\b"), KEY_READ), ERROR_SUCCESS);

  EXPECT_NE(key.Open(nullptr, scratch_.Path(), KEY_READ), ERROR_SUCCESS);
  EXPECT_FALSE(key);
}

TEST_F(RegKeyTest, TheKeyHasOnlyTheAccessAskedFor) {
  const RegKey reading = OpenScratch(KEY_QUERY_VALUE);
  EXPECT_EQ(reading.SetString(L"v", L"x"), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(RawValueExists(scratch_.Root(), scratch_.Path(), L"v"));

  const RegKey writing = OpenScratch(KEY_SET_VALUE);
  EXPECT_EQ(writing.SetString(L"v", L"x"), ERROR_SUCCESS);
  DWORD type = REG_NONE;
  Bytes data;
  EXPECT_EQ(writing.Query(L"v", type, data), ERROR_ACCESS_DENIED);
}

// Closing a key ends a change notice on it by signalling the notice's event: that shows when
// the key is closed.
class RegKeyClosing : public RegKeyTest {
 protected:
  void Watch(const RegKey& key) const {
    ASSERT_EQ(key.NotifyChange(false, REG_NOTIFY_CHANGE_LAST_SET, event_.Get()), ERROR_SUCCESS);
    ASSERT_FALSE(Closed());
  }
  bool Closed() const { return WaitForSingleObject(event_.Get(), 0) == WAIT_OBJECT_0; }

  ScopedHandle event_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

TEST_F(RegKeyClosing, TheOwnerClosesItsKeyWhenItGoes) {
  {
    const RegKey key = OpenScratch();
    Watch(key);
  }
  EXPECT_TRUE(Closed());
}

TEST_F(RegKeyClosing, OpeningAgainOrAssigningClosesTheKeyHeldBefore) {
  RegKey key = OpenScratch();
  Watch(key);
  EXPECT_EQ(key.Open(scratch_.Root(), scratch_.Path(), KEY_READ), ERROR_SUCCESS);
  EXPECT_TRUE(Closed());

  ResetEvent(event_.Get());
  Watch(key);
  key = OpenScratch();
  EXPECT_TRUE(Closed());
}

TEST_F(RegKeyClosing, AMovedKeyStaysOpenWithItsNewOwner) {
  RegKey first = OpenScratch();
  Watch(first);
  RegKey second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_TRUE(second);
  EXPECT_FALSE(Closed());
  second.Close();
  EXPECT_FALSE(second);
  EXPECT_TRUE(Closed());
}

TEST_F(RegKeyTest, ANoticeFiresAtTheFirstChange) {
  const RegKey key = OpenScratch();
  const ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_EQ(key.NotifyChange(true, REG_NOTIFY_CHANGE_NAME, event.Get()), ERROR_SUCCESS);
  SetRaw(L"v", REG_DWORD, {1, 0, 0, 0});
  EXPECT_EQ(WaitForSingleObject(event.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));  // a value is no subkey
  test::CreateRawKey(scratch_.Root(), scratch_.Below(L"deep\\child"));
  EXPECT_EQ(WaitForSingleObject(event.Get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
}

// ---- Values --------------------------------------------------------------------------------

struct ValueCase {
  const char* label;
  DWORD type;
  Bytes data;
};

void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.label; }

class RegKeyValues : public RegKeyTest, public testing::WithParamInterface<ValueCase> {};

TEST_P(RegKeyValues, QueryGivesTheTypeAndExactlyTheStoredBytes) {
  SetRaw(L"value", GetParam().type, GetParam().data);
  DWORD type = REG_NONE;
  Bytes data = {0xEE};
  EXPECT_EQ(OpenScratch(KEY_QUERY_VALUE).Query(L"value", type, data), ERROR_SUCCESS);
  EXPECT_EQ(type, GetParam().type);
  EXPECT_EQ(data, GetParam().data);
}

TEST_P(RegKeyValues, SetStoresTheTypeAndExactlyTheBytes) {
  EXPECT_EQ(OpenScratch(KEY_SET_VALUE).Set(L"value", GetParam().type, GetParam().data.data(), GetParam().data.size()),
            ERROR_SUCCESS);
  DWORD type = REG_NONE;
  EXPECT_EQ(RawValueBytes(scratch_.Root(), scratch_.Path(), L"value", &type), GetParam().data);
  EXPECT_EQ(type, GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(Types, RegKeyValues,
                         testing::Values(ValueCase{"text", REG_SZ, TextBytes(std::wstring(L"C:\\x.exe /q\0", 12))},
                                         ValueCase{"empty text", REG_SZ, {}},
                                         ValueCase{"odd-sized text", REG_EXPAND_SZ, {'%', 0, 'X', 0, '%'}},
                                         ValueCase{"list", REG_MULTI_SZ, TextBytes(std::wstring(L"a\0bc\0\0", 6))},
                                         ValueCase{"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
                                         ValueCase{"short dword", REG_DWORD, {0x01}},
                                         ValueCase{"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
                                         ValueCase{"binary", REG_BINARY, {0, 0xFF, 0, 0x80}},
                                         ValueCase{"empty binary", REG_BINARY, {}},
                                         ValueCase{"type of no name", 0x1234, {9}},
                                         ValueCase{"megabyte", REG_BINARY, Bytes(1 << 20, 0x5A)}));

TEST_F(RegKeyTest, SetStringStoresTheTextWithItsNul) {
  const RegKey key = OpenScratch();
  EXPECT_EQ(key.SetString(L"", L"\uC0AC\uC6A9"), ERROR_SUCCESS);
  DWORD type = REG_NONE;
  EXPECT_EQ(RawValueBytes(scratch_.Root(), scratch_.Path(), L"", &type), TextBytes(std::wstring(L"\uC0AC\uC6A9\0", 3)));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(RegKeyTest, AMissingValueIsNotFoundAndLeavesTheOutputsAlone) {
  const RegKey key = OpenScratch();
  DWORD type = REG_DWORD;
  Bytes data = {7};
  EXPECT_EQ(key.Query(L"absent", type, data), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, Bytes{7});
  EXPECT_EQ(key.DeleteValue(L"absent"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key.DeleteTree(L"absent"), ERROR_FILE_NOT_FOUND);
}

// The read loop on the real registry, with the value changed between the calls: after call
// number i (0 being the size query) the value is set to changes[i], or deleted when that is
// nullopt; a case with keepGrowing changes it after every call.
struct RaceCase {
  const char* label;
  std::vector<std::optional<Bytes>> changes;
  bool keepGrowing;
  LONG status;
  DWORD type;  // of the value read on success
  Bytes data;
};

void PrintTo(const RaceCase& c, std::ostream* out) { *out << c.label; }

class RegKeyRace : public RegKeyTest, public testing::WithParamInterface<RaceCase> {
 protected:
  void Change(int call) const {
    const RaceCase& c = GetParam();
    if (c.keepGrowing) {
      SetRaw(L"value", REG_BINARY, Bytes(16 * (call + 2), 0x42));
    } else if (call < static_cast<int>(c.changes.size())) {
      if (c.changes[call]) {
        SetRaw(L"value", REG_BINARY, *c.changes[call]);
      } else {
        test::DeleteRawValue(scratch_.Root(), scratch_.Path(), L"value");
      }
    }
  }
};

TEST_P(RegKeyRace, AValueThatChangesBetweenTheSizeQueryAndTheReadIsReadWhole) {
  const RaceCase& c = GetParam();
  SetRaw(L"value", REG_SZ, TextBytes(std::wstring(L"ab\0", 3)));
  const RegKey key = OpenScratch(KEY_QUERY_VALUE);
  int calls = 0;
  const ValueQuery query = [&](DWORD* type, BYTE* data, DWORD* size) {
    const LONG status = RegQueryValueExW(key.Get(), L"value", nullptr, type, data, size);
    Change(calls++);
    return status;
  };
  DWORD type = REG_NONE;
  Bytes data = {0xEE};
  EXPECT_EQ(QueryWithRetry(query, type, data), c.status);
  EXPECT_EQ(type, c.status == ERROR_SUCCESS ? c.type : static_cast<DWORD>(REG_NONE));
  EXPECT_EQ(data, c.status == ERROR_SUCCESS ? c.data : Bytes{0xEE});
  EXPECT_GE(calls, 2);
}

const Bytes kGrown(300, 0x11);

INSTANTIATE_TEST_SUITE_P(
    Changes, RegKeyRace,
    testing::Values(RaceCase{"unchanged", {}, false, ERROR_SUCCESS, REG_SZ, TextBytes(std::wstring(L"ab\0", 3))},
                    RaceCase{"grows once", {kGrown}, false, ERROR_SUCCESS, REG_BINARY, kGrown},
                    RaceCase{"grows twice", {Bytes(100, 1), kGrown}, false, ERROR_SUCCESS, REG_BINARY, kGrown},
                    RaceCase{"shrinks", {Bytes{1}}, false, ERROR_SUCCESS, REG_BINARY, Bytes{1}},
                    RaceCase{"empties", {Bytes{}}, false, ERROR_SUCCESS, REG_BINARY, Bytes{}},
                    RaceCase{"deleted", {std::nullopt}, false, ERROR_FILE_NOT_FOUND, REG_NONE, {}},
                    RaceCase{"keeps growing", {}, true, ERROR_MORE_DATA, REG_NONE, {}}));

// Set apart from the table: the value starts empty, so that the read after the size query has no
// buffer, and its success must not pass for the data.
TEST_F(RegKeyTest, AValueThatGrowsFromEmptyIsReadWhole) {
  SetRaw(L"value", REG_BINARY, {});
  const RegKey key = OpenScratch(KEY_QUERY_VALUE);
  bool grown = false;
  const ValueQuery query = [&](DWORD* type, BYTE* data, DWORD* size) {
    const LONG status = RegQueryValueExW(key.Get(), L"value", nullptr, type, data, size);
    if (!std::exchange(grown, true)) SetRaw(L"value", REG_BINARY, kGrown);
    return status;
  };
  DWORD type = REG_NONE;
  Bytes data;
  EXPECT_EQ(QueryWithRetry(query, type, data), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(data, kGrown);
}

// ---- Deletes and names ---------------------------------------------------------------------

TEST_F(RegKeyTest, DeleteTreeTakesTheSubkeyWithEverythingBelowItAndNothingElse) {
  for (const wchar_t* path : {L"tree\\a\\b\\c", L"tree\\a\\d", L"tree\\e", L"keep"}) {
    test::SetStringValue(scratch_.Root(), scratch_.Below(path), L"v", L"x");
  }
  const RegKey key = OpenScratch();
  EXPECT_EQ(key.DeleteTree(L"tree"), ERROR_SUCCESS);
  EXPECT_FALSE(RawKeyExists(scratch_.Root(), scratch_.Below(L"tree")));
  EXPECT_TRUE(RawKeyExists(scratch_.Root(), scratch_.Below(L"keep")));

  EXPECT_EQ(key.DeleteTree(L""), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(RawKeyExists(scratch_.Root(), scratch_.Below(L"keep")));
}

TEST_F(RegKeyTest, DeleteValueTakesOnlyThatValue) {
  SetRaw(L"", REG_DWORD, {1, 0, 0, 0});
  SetRaw(L"other", REG_DWORD, {1, 0, 0, 0});
  EXPECT_EQ(OpenScratch().DeleteValue(L""), ERROR_SUCCESS);
  EXPECT_FALSE(RawValueExists(scratch_.Root(), scratch_.Path(), L""));
  EXPECT_TRUE(RawValueExists(scratch_.Root(), scratch_.Path(), L"other"));
}

TEST_F(RegKeyTest, NamesListEveryValueAndSubkeyOnce) {
  const std::wstring longName(16383, L'n');
  for (const std::wstring& name : {std::wstring(), std::wstring(L"Updater"), longName}) {
    SetRaw(name, REG_DWORD, {1, 0, 0, 0});
  }
  test::CreateRawKey(scratch_.Root(), scratch_.Below(L"one\\deep"));
  test::CreateRawKey(scratch_.Root(), scratch_.Below(L"Two"));
  const RegKey key = OpenScratch(KEY_READ);
  EXPECT_THAT(key.ValueNames(), UnorderedElementsAre(L"", L"Updater", longName));
  EXPECT_THAT(key.SubkeyNames(), UnorderedElementsAre(L"one", L"Two"));

  RegKey empty;
  ASSERT_EQ(empty.Open(scratch_.Root(), scratch_.Below(L"Two"), KEY_READ), ERROR_SUCCESS);
  EXPECT_THAT(empty.ValueNames(), IsEmpty());
  EXPECT_THAT(empty.SubkeyNames(), IsEmpty());
}

// ---- A key deleted while open, and an owner without a key ----------------------------------

TEST_F(RegKeyTest, AKeyDeletedWhileOpenAnswersThatItIsDeleted) {
  test::SetStringValue(scratch_.Root(), scratch_.Below(L"gone\\child"), L"v", L"x");
  RegKey key;
  ASSERT_EQ(key.Open(scratch_.Root(), scratch_.Below(L"gone"), KEY_READ | KEY_WRITE), ERROR_SUCCESS);
  test::DeleteRawTree(scratch_.Root(), scratch_.Below(L"gone"));

  DWORD type = REG_NONE;
  Bytes data;
  EXPECT_EQ(key.Query(L"v", type, data), ERROR_KEY_DELETED);
  EXPECT_EQ(key.SetString(L"v", L"x"), ERROR_KEY_DELETED);
  EXPECT_EQ(key.DeleteValue(L"v"), ERROR_KEY_DELETED);
  EXPECT_THAT(key.ValueNames(), IsEmpty());
  EXPECT_THAT(key.SubkeyNames(), IsEmpty());
  EXPECT_FALSE(RawKeyExists(scratch_.Root(), scratch_.Below(L"gone")));
}

TEST(RegKeyEmpty, EveryCallOnAnOwnerWithoutAKeyFails) {
  const RegKey key;
  DWORD type = REG_NONE;
  Bytes data;
  EXPECT_EQ(key.Query(L"v", type, data), ERROR_INVALID_HANDLE);
  EXPECT_EQ(key.SetString(L"v", L"x"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(key.DeleteValue(L"v"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(key.DeleteTree(L"v"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(key.NotifyChange(false, REG_NOTIFY_CHANGE_NAME, nullptr), ERROR_INVALID_HANDLE);
  EXPECT_THAT(key.ValueNames(), IsEmpty());
  EXPECT_THAT(key.SubkeyNames(), IsEmpty());
}

}  // namespace
}  // namespace quorvane
