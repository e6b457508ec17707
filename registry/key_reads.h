// Reads of single values through a key that is open already, for the sources that read many
// values of one key: one registry call for each value that fits a small buffer, and no error
// leaves a call.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "registry/reg_key.h"

namespace quorvane {

// The key opened for reading in the 64-bit view; a key that holds none when it cannot be opened.
RegKey OpenKeyForReading(HKEY rootKey, const std::wstring& path);

// The UTF-16 text in the bytes, up to the first NUL or the end of the data, whichever comes
// first; an odd last byte is not part of any character.
std::wstring TextOfValueData(const std::uint8_t* data, std::size_t size);

// The text of a REG_SZ or REG_EXPAND_SZ value up to its first NUL, unexpanded. The empty text
// for a value of another type, and for one that cannot be read: missing, read through a key
// that holds none, or through a key that has been deleted since it was opened.
std::wstring ReadStringValue(const RegKey& key, const std::wstring& name);

// The bytes of a value of any type that holds at most maxSize bytes; nothing for a larger
// value and for one that cannot be read.
std::optional<RegKey::Bytes> ReadSmallValue(const RegKey& key, const std::wstring& name, std::size_t maxSize);

}  // namespace quorvane
