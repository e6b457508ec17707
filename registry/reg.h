// The registry, addressed by root key, key path and value name. Every call opens its own
// handle, always in the 64-bit view, and closes it again; no registry error leaves a call:
// reads give their default, writes and deletes silently do nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/scoped.h"
#include "registry/reg_key.h"

namespace quorvane {

// "HKLM" or "HKEY_LOCAL_MACHINE" for the four usual roots; the long name for the others;
// the empty text for a value that is not a predefined root.
std::wstring RootKeyToName(HKEY rootKey, bool shortName);

// The predefined root that the whole text names, ignoring the case of ASCII letters only;
// nullptr when it names none.
HKEY NameToRootKey(const std::wstring& text);

// Key paths are relative to the root; one leading backslash is ignored.
class TReg {
 public:
  using Bytes = RegKey::Bytes;

  static bool IsKey(HKEY rootKey, const std::wstring& key);

  static Bytes ReadBinary(HKEY rootKey, const std::wstring& key, const std::wstring& name);
  static bool ReadBool(HKEY rootKey, const std::wstring& key, const std::wstring& name, bool value);
  static std::int32_t ReadInteger(HKEY rootKey, const std::wstring& key, const std::wstring& name, std::int32_t value);
  // The text of a REG_SZ or REG_EXPAND_SZ value up to its first NUL, unexpanded; the empty text
  // for a missing value or one of another type; value only when the key cannot be opened.
  static std::wstring ReadString(HKEY rootKey, const std::wstring& key, const std::wstring& name,
                                 const std::wstring& value);
  // Fill the list with the names of the subkeys or values, in the registry's order, and
  // return how many there are. The unnamed default value is listed as the empty text.
  static int ReadKeyNames(HKEY rootKey, const std::wstring& key, std::vector<std::wstring>& keyNames);
  static int ReadValueNames(HKEY rootKey, const std::wstring& key, std::vector<std::wstring>& valueNames);

  // Writes and deletes create the missing keys of the path first.
  static void WriteBinary(HKEY rootKey, const std::wstring& key, const std::wstring& name, const Bytes& value);
  static void WriteInteger(HKEY rootKey, const std::wstring& key, const std::wstring& name, std::int32_t value);
  static void WriteString(HKEY rootKey, const std::wstring& key, const std::wstring& name, const std::wstring& value);
  // Deletes the subkey name of key with everything below it.
  static void DeleteKey(HKEY rootKey, const std::wstring& key, const std::wstring& name);
  static void DeleteValue(HKEY rootKey, const std::wstring& key, const std::wstring& name);

  // Splits "ROOT\key\path\name" at its backslashes; false when it has fewer than three parts.
  // An unknown root name gives a null rootKey and still succeeds.
  static bool Parse(const std::wstring& text, HKEY& rootKey, std::wstring& key, std::wstring& name);
  // Deletes what a parsed path names: the subkey of that name when there is one, else the value.
  static void Delete(const std::wstring& text);
};

// A change notice on one key: its event is signalled when a value of the key, or the key
// itself, is added, changed or deleted. A key that does not exist is watched through its
// nearest existing parent, for a key created anywhere below it. A notice fires once: Rearm
// sets it again on the key as it is then, and must come before the key is read again, so that
// no change slips between the read and the notice.
class TRegChangeNotice {
 public:
  TRegChangeNotice(HKEY rootKey, std::wstring key);
  TRegChangeNotice(const TRegChangeNotice&) = delete;
  TRegChangeNotice& operator=(const TRegChangeNotice&) = delete;

  HANDLE Event() const { return event_.Get(); }
  void Rearm();

 private:
  HKEY rootKey_;
  std::wstring key_;
  ScopedHandle event_;
  RegKey watched_;
  RegKey parent_;
};

}  // namespace quorvane
