// The push services' answers, any status and any bytes: read without throwing or undefined
// behaviour; delivered exactly on a 2xx status with the service's own success code, of the type the
// service writes it (any 2xx for a service without a code), so a refusal never reads as delivered;
// the reason and its detailed form stay one short line. Input: the service (1 byte), the status
// (2), then the answer; the answers as each service writes them are the corpus's.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>

#include "alerts/push_answers.h"
#include "fuzz_input.h"

namespace korvan::fuzz {
namespace {

using Json = nlohmann::json;

// Written out from the services' documentation, not taken from the code.
struct Service {
  PushChannel channel;
  const char* codeField;  // none: any 2xx is delivered
  Json success;
};
const Service kServices[] = {{PushChannel::ServerChan, "code", 0},      {PushChannel::PushPlus, "code", 200},
                             {PushChannel::WeCom, "errcode", 0},        {PushChannel::DingTalk, "errcode", 0},
                             {PushChannel::Feishu, "code", 0},          {PushChannel::Bark, "code", 200},
                             {PushChannel::Telegram, "ok", true},       {PushChannel::Webhook, nullptr, nullptr},
                             {PushChannel::Heartbeat, nullptr, nullptr}};
const Text kComma = "\xA3\xAC";  // ，

bool OneLine(std::string_view text) {
  return std::ranges::none_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan;
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const Service& service = kServices[input.Raw<std::uint8_t>() % std::size(kServices)];
  const int status = input.Raw<std::int16_t>();
  const std::string_view answer = input.Rest();
  const PushDelivery read = ReadPushAnswer(service.channel, status, ByteSet(answer.begin(), answer.end()));

  FUZZ_CHECK(read.delivered == read.reason.empty() && (!read.delivered || read.detailedReason.empty()));
  FUZZ_CHECK(OneLine(read.reason) && OneLine(read.detailedReason) && read.reason.size() <= 64);
  // The service's message, at most 120 bytes, and a hint of what to do, each after a comma.
  FUZZ_CHECK(read.detailedReason.size() <= read.reason.size() + 2 * kComma.size() + 120 + 80);
  if (!read.detailedReason.empty()) FUZZ_CHECK(read.detailedReason.starts_with(read.reason + kComma));
  const bool ok = status >= 200 && status <= 299;
  if (!ok) FUZZ_CHECK(read.reason.starts_with(status == 0 ? Text(kNoAnswerReason) : std::to_string(status)));

  // A larger answer is none of theirs.
  const Json parsed = answer.size() <= 64 * 1024 ? Json::parse(answer, nullptr, false) : Json();
  const char* name = service.codeField;
  const Json code = name && parsed.is_object() && parsed.contains(name) ? parsed[name] : Json();
  const bool sameType = service.success.is_boolean() ? code.is_boolean() : code.is_number_integer();
  FUZZ_CHECK(read.delivered == (ok && (!service.codeField || (sameType && code == service.success))));
  return 0;
}
