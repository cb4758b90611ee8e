// The push services' answers, any status and any bytes: read without throwing or undefined
// behaviour; delivered exactly when the reason is empty; no answer, or a status other than 2xx, never
// counts as delivered; the reason and its detailed form stay one short line; and an answer carrying
// the service's own success code is delivered, one carrying another code names it, followed by the
// service's message (and maybe a hint) in the detailed reason.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "alerts/push_answers.h"
#include "fuzz_input.h"
#include "runtime/text/encoding.h"

namespace korvan::fuzz {
namespace {

using Json = nlohmann::json;

// What each service answers on success, and where it explains a refusal; written out from the
// services' documentation, not taken from the code.
struct ServiceAnswer {
  PushChannel channel;
  const char* codeField;  // none: any 2xx is delivered
  Json success;
  const char* messageField;
};
const ServiceAnswer kServices[] = {
    {PushChannel::ServerChan, "code", 0, "message"},
    {PushChannel::PushPlus, "code", 200, "msg"},
    {PushChannel::WeCom, "errcode", 0, "errmsg"},
    {PushChannel::DingTalk, "errcode", 0, "errmsg"},
    {PushChannel::Feishu, "code", 0, "msg"},
    {PushChannel::Bark, "code", 200, "message"},
    {PushChannel::Telegram, "ok", true, "description"},
    {PushChannel::Webhook, nullptr, nullptr, nullptr},
    {PushChannel::Heartbeat, nullptr, nullptr, "msg"},
};
// ，
const Text kComma = "\xA3\xAC";

bool OneLine(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

void CheckShape(const PushDelivery& delivery, int status) {
  FUZZ_CHECK(delivery.delivered == delivery.reason.empty());
  if (delivery.delivered) FUZZ_CHECK(delivery.detailedReason.empty());
  if (status == 0)
    FUZZ_CHECK(!delivery.delivered && delivery.reason == "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3");  // 无法连接
  if (status != 0 && (status < 200 || status > 299)) {
    FUZZ_CHECK(!delivery.delivered);
    FUZZ_CHECK(delivery.reason.starts_with(std::to_string(status)));
  }
  FUZZ_CHECK(OneLine(delivery.reason) && OneLine(delivery.detailedReason));
  FUZZ_CHECK(delivery.reason.size() <= 64);
  // The service's message, at most 120 bytes, and a hint of what to do, each after a comma.
  FUZZ_CHECK(delivery.detailedReason.size() <= delivery.reason.size() + 2 * kComma.size() + 120 + 80);
  if (!delivery.detailedReason.empty()) FUZZ_CHECK(delivery.detailedReason.starts_with(delivery.reason + kComma));
}

ByteSet Bytes(std::string_view text) { return ByteSet(text.begin(), text.end()); }

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan;
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const ServiceAnswer& service = kServices[input.Raw<std::uint8_t>() % std::size(kServices)];
  const int status = input.Raw<std::int16_t>();
  const bool succeeded = input.Flag();
  const std::int64_t otherCode = input.Raw<std::int32_t>();
  const Text message = input.Piece();
  const std::string_view answer = input.Rest();

  CheckShape(ReadPushAnswer(service.channel, status, Bytes(answer)), status);
  CheckShape(ReadPushAnswer(service.channel, status, Bytes(message)), status);

  // An answer as the service writes it, with a 2xx status.
  const int okStatus = 200 + (status & 0x3F) % 100;
  Json built = Json::object();
  if (service.messageField) built[service.messageField] = AnsiToUtf8(WellFormed(message));
  if (service.codeField) {
    const bool boolean = service.success.is_boolean();
    const Json other = boolean ? Json(false) : Json(otherCode == service.success ? otherCode + 1 : otherCode);
    built[service.codeField] = succeeded ? service.success : other;
  }
  const PushDelivery read =
      ReadPushAnswer(service.channel, okStatus, Bytes(built.dump(-1, ' ', false, Json::error_handler_t::replace)));
  CheckShape(read, okStatus);
  FUZZ_CHECK(read.delivered == (succeeded || !service.codeField));
  if (read.delivered) return 0;
  const Text code = built[service.codeField].dump();
  FUZZ_CHECK(read.reason == JoinTexts(std::to_string(okStatus), kComma, service.codeField, "=", code));
  // A message of plain printable ASCII comes through as it was.
  const bool plain = !message.empty() && message.size() <= 100 && message.front() != ' ' && message.back() != ' ' &&
                     std::all_of(message.begin(), message.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
  const Text withMessage = JoinTexts(read.reason, kComma, message);
  if (plain) {
    FUZZ_CHECK(read.detailedReason == withMessage || read.detailedReason.starts_with(withMessage + kComma));
  }
  return 0;
}
