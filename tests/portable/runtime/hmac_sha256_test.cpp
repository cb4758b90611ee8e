// Natively this checks OpenSSL's HMAC, under Wine (the Windows build of the same tests) BCrypt's.
#include "runtime/crypto/hmac_sha256.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/text/base64.h"

namespace korvan {
namespace {

std::string Repeated(char byte, std::size_t count) { return std::string(count, byte); }

std::string Hex(const ByteSet& bytes) {
  constexpr std::string_view kDigits = "0123456789abcdef";
  std::string hex;
  for (const std::uint8_t byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

struct HmacCase {
  const char* name;
  std::string key;
  std::string message;
  std::string_view code;
};

// RFC 4231 cases 1 to 4, 6 and 7 (case 5 checks a truncated code, which nothing here uses), and the
// empty key with the empty message, which BCrypt and OpenSSL each treat apart from other keys.
const HmacCase kHmacCases[] = {
    {"Rfc4231Case1", Repeated('\x0b', 20), "Hi There",
     "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
    {"Rfc4231Case2ShortKey", "Jefe", "what do ya want for nothing?",
     "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
    {"Rfc4231Case3", Repeated('\xaa', 20), Repeated('\xdd', 50),
     "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
    {"Rfc4231Case4",
     "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19",
     Repeated('\xcd', 50), "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
    {"Rfc4231Case6KeyLongerThanABlock", Repeated('\xaa', 131), "Test Using Larger Than Block-Size Key - Hash Key First",
     "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
    {"Rfc4231Case7KeyAndDataLongerThanABlock", Repeated('\xaa', 131),
     "This is a test using a larger than block-size key and a larger than block-size data. The key needs to be "
     "hashed before being used by the HMAC algorithm.",
     "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
    {"EmptyKeyAndMessage", "", "", "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad"},
};

TEST(HmacSha256Test, GivesTheKnownCode) {
  for (const HmacCase& c : kHmacCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Hex(HmacSha256(c.key, c.message)), c.code);
  }
}

TEST(HmacSha256Test, KeyAndMessageAreTakenWholeWithZeroBytes) {
  const std::string key("k\0ey", 4);
  EXPECT_NE(HmacSha256(key, "m"), HmacSha256("k", "m"));
  EXPECT_NE(HmacSha256("k", std::string("m\0", 2)), HmacSha256("k", "m"));
}

struct Base64Case {
  std::string_view bytes;
  std::string_view encoded;
};

// RFC 4648's test vectors, and bytes whose groups reach the last letters of the alphabet.
const Base64Case kBase64Cases[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
    {"\xFB\xFF\xBF", "+/+/"},
    {std::string_view("\x00\x00", 2), "AAA="},
};

TEST(Base64Test, EncodesAsTheRfcDoes) {
  for (const Base64Case& c : kBase64Cases) {
    SCOPED_TRACE(::testing::PrintToString(c.encoded));
    EXPECT_EQ(Base64Encode(ByteSet(c.bytes.begin(), c.bytes.end())), c.encoded);
  }
}

}  // namespace
}  // namespace korvan
