// The text rules by which the check-in finds keys in its reply without parsing it as JSON.
// Pure text functions: no Windows headers.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// The text of source between the first occurrence of startTag and the first occurrence of
// endTag after it; empty when either tag is missing. Tags are found without regard to the case
// of the ASCII letters. An empty startTag starts at the beginning, an empty endTag ends at the
// end. When endTag is one double quote or one apostrophe, a backslash escapes it: `\"` does not
// end the value, and neither does the closing quote of a value that ends in an escaped
// backslash, which therefore runs on to the next quote without a backslash before it.
std::wstring ExtractBetween(std::wstring_view source, std::wstring_view startTag, std::wstring_view endTag);

// Decodes the escapes of a JSON string value: \" \' \/ \\ \b \f \n \r \t and \uXXXX, the last
// giving one UTF-16 code unit (a lone surrogate stays as it is). A backslash before any other
// character drops both; a backslash at the very end is dropped. A "\u" that is not followed by
// four hexadecimal digits counts as such an other escape: the backslash and the "u" are dropped
// and what follows them is read as ordinary text, so a broken escape costs two characters and
// never the rest of the value.
std::wstring JsonUnescape(std::wstring_view value);

// The decoded value of the string key in source: found as `"key":"` up to its closing quote by
// ExtractBetween, then decoded by JsonUnescape. Empty when the key is absent.
std::wstring ReplyString(std::wstring_view source, std::wstring_view key);

// The members of the object key in source, undecoded: from `"key":{` up to the first closing
// brace, so an object nested in it ends it early. Empty when the key is absent.
std::wstring ReplyObject(std::wstring_view source, std::wstring_view key);

}  // namespace quorvane
