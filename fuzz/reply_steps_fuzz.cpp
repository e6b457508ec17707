// Whole check-in replies through the steps by which the reply handling and the update dialog
// read them: the "update" and "notify" URLs, and the members of "info". The input is the
// reply's text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "checkin/reply_text.h"
#include "fuzz_text.h"

namespace quorvane::fuzz {
namespace {

constexpr std::wstring_view kQuote = L"\"";

struct ReplyValue {
  std::wstring raw;      // as found, escapes and all
  std::wstring decoded;  // after JsonUnescape
};

struct ReplySteps {
  ReplyValue update;
  ReplyValue notify;
  std::wstring info;  // the content of the "info" object
  ReplyValue style;
  ReplyValue text;
  ReplyValue flag;
  ReplyValue url;
};

ReplyValue StringMember(std::wstring_view object, std::wstring_view name) {
  const std::wstring startTag = L"\"" + std::wstring(name) + L"\":\"";
  ReplyValue value;
  value.raw = ExtractBetween(object, startTag, kQuote);
  value.decoded = JsonUnescape(value.raw);
  return value;
}

ReplySteps StepsOf(std::wstring_view reply) {
  ReplySteps steps;
  steps.update = StringMember(reply, L"update");
  steps.notify = StringMember(reply, L"notify");
  steps.info = ReplyObject(reply, L"info");
  steps.style = StringMember(steps.info, L"style");
  steps.text = StringMember(steps.info, L"text");
  steps.flag = StringMember(steps.info, L"flag");
  steps.url = StringMember(steps.info, L"url");
  return steps;
}

void CheckValue(std::wstring_view reply, std::wstring_view from, std::wstring_view name, const ReplyValue& value) {
  Require(value.raw.size() <= from.size(), "a value is no longer than the text it is found in",
          {reply, name, value.raw});
  Require(value.decoded.size() <= value.raw.size(), "decoding never grows a value", {reply, name, value.raw});
  Require(value.decoded == ReplyString(from, name), "the reply handling reads the same value",
          {reply, name, value.raw});
  // The quote that ends a value has no backslash before it, and every quote inside it has.
  Require(value.raw.empty() || value.raw.back() != L'\\', "a value never ends in the backslash of its closing quote",
          {reply, name, value.raw});
  for (std::size_t i = 0; i < value.raw.size(); ++i) {
    if (value.raw[i] == L'"')
      Require(i > 0 && value.raw[i - 1] == L'\\', "a quote inside a value is escaped", {reply, name, value.raw});
  }
  // Written back into a reply of its own, the value is found again unchanged.
  const std::wstring alone = L"{\"" + std::wstring(name) + L"\":\"" + value.raw + L"\"}";
  const ReplyValue again = StringMember(alone, name);
  Require(again.raw == value.raw, "a value written back is read back", {reply, name, value.raw, again.raw});
}

// The other way round: a text, escaped as JSON, in every key of a reply of its own, is found
// and decoded back to itself. A text that ends in a backslash is the exception the rules make:
// the backslash's own escape hides the closing quote, and the value runs on.
void CheckWrittenReply(const std::wstring& text) {
  if (text.ends_with(L'\\')) return;
  const std::wstring value = JsonEscape(text);
  const auto member = [&value](std::wstring_view name) {
    return L"\"" + std::wstring(name) + L"\":\"" + value + L"\"";
  };
  const std::wstring reply = L"{" + member(L"update") + L"," + member(L"notify") + L",\"info\":{" + member(L"style") +
                             L"," + member(L"text") + L"," + member(L"flag") + L"," + member(L"url") + L"}}";
  const ReplySteps steps = StepsOf(reply);
  for (const ReplyValue* found : {&steps.update, &steps.notify, &steps.style, &steps.text, &steps.flag, &steps.url}) {
    Require(found->raw == value && found->decoded == text, "a written reply is read back", {reply, found->raw});
  }
}

void CheckSteps(const std::wstring& reply) {
  const ReplySteps steps = StepsOf(reply);
  CheckValue(reply, reply, L"update", steps.update);
  CheckValue(reply, reply, L"notify", steps.notify);
  Require(steps.info.size() <= reply.size() && steps.info.find(L'}') == std::wstring::npos,
          "the info content ends before its first closing brace", {reply, steps.info});
  CheckValue(reply, steps.info, L"style", steps.style);
  CheckValue(reply, steps.info, L"text", steps.text);
  CheckValue(reply, steps.info, L"flag", steps.flag);
  CheckValue(reply, steps.info, L"url", steps.url);
}

}  // namespace
}  // namespace quorvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane::fuzz;
  const std::wstring reply = CodeUnits(data, size);
  NoExceptionEscapes(reply, [&] {
    CheckSteps(reply);
    // Short texts show what a long one would, at a fraction of the cost of six escaped copies.
    CheckWrittenReply(reply.substr(0, 32));
  });
  return 0;
}
