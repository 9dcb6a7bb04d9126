#include "store/PlistCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "support/BinaryPlistBytes.h"

namespace platform {
namespace {

using plovane::testing::arrayChain;
using plovane::testing::assembleBinary;
using plovane::testing::Bytes;

Bytes encode(const PlistValue& value) {
  auto result = encodeBinaryPlist(value);
  if (auto* error = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << "encode failed: " << *error;
    return {};
  }
  return std::get<Bytes>(result);
}

PlistValue decode(const Bytes& bytes) {
  auto result = decodePlist(bytes);
  if (auto* error = std::get_if<PlistDecodeError>(&result)) {
    ADD_FAILURE() << "decode failed: " << error->reason;
    return {};
  }
  return std::get<PlistValue>(result);
}

// The reason decoding fails, or "" when it succeeds.
std::string decodeFailure(const Bytes& bytes) {
  auto result = decodePlist(bytes);
  auto* error = std::get_if<PlistDecodeError>(&result);
  return error != nullptr ? error->reason : "";
}

// Why encoding `value` fails, or "". The check made before a setting is stored must give the
// same reason without encoding; only the encoded size is beyond it.
std::string encodeFailure(const PlistValue& value) {
  auto result = encodeBinaryPlist(value);
  auto* error = std::get_if<std::string>(&result);
  const std::string failure = error != nullptr ? *error : "";
  if (failure.find("more than 1 MiB") == std::string::npos) {
    EXPECT_EQ(whyPlistCannotBeStored(value).value_or(""), failure);
  }
  return failure;
}

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes readFixture(const std::string& name) {
  std::ifstream in(std::string(PLOVANE_TEST_FIXTURES) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string xmlDocument(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body +
         "\n</plist>\n";
}

std::string nestedXmlArrays(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<array>";
  for (int i = 0; i < depth; ++i) text += "</array>";
  return xmlDocument(text);
}

PlistValue nestedArrays(int depth) {
  PlistValue value = PlistArray{};
  for (int i = 1; i < depth; ++i) value = PlistArray{value};
  return value;
}

Bytes binaryChain(int depth, int fanOut = 1) { return assembleBinary(arrayChain(depth, fanOut)); }

PlistDictionary everyType() {
  return PlistDictionary{
      {"string", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
      {"empty string", ""},
      {"negative", -5},
      {"int64 min", std::numeric_limits<std::int64_t>::min()},
      {"int64 max", std::numeric_limits<std::int64_t>::max()},
      {"large", std::int64_t{1} << 40},
      {"real", -1.0 / 3.0},
      {"infinity", std::numeric_limits<double>::infinity()},
      {"true", true},
      {"false", false},
      {"one", 1},
      {"zero", 0},
      {"date", PlistDate{644243696.789012}},
      {"date before 2001", PlistDate{-31622400.5}},
      {"date just before 2001", PlistDate{-0.25}},
      {"data", PlistData{0, 1, 2, 0xFF}},
      {"empty data", PlistData{}},
      {"commands",
       PlistArray{PlistDictionary{{"title", "Open"}, {"state", true}},
                  PlistDictionary{{"title", "Copy"}, {"state", false}},
                  // Keys that move, and a key's text as a value.
                  PlistDictionary{
                      {"icon", "title"}, {"title", "Paste"}, {"zz", PlistDictionary{{"title", 1}}}},
                  PlistDictionary{{"state", "icon"}}}},
      {"nested", PlistDictionary{{"empty", PlistArray{}}, {"deeper", PlistArray{PlistArray{1}}}}},
  };
}

TEST(PlistCodec, RoundTripsEveryTypeThroughBinary) {
  const PlistValue original = everyType();
  const PlistValue decoded = decode(encode(original));
  EXPECT_EQ(decoded, original);

  // Boolean and integer stay distinct types.
  const auto& dictionary = *decoded.as<PlistDictionary>();
  EXPECT_TRUE(dictionary.at("true").is<bool>());
  EXPECT_TRUE(dictionary.at("one").is<std::int64_t>());
  EXPECT_TRUE(dictionary.at("zero").is<std::int64_t>());
  EXPECT_TRUE(dictionary.at("false").is<bool>());

  // A root that is not a dictionary decodes too; what it means is the caller's business.
  const PlistValue array = PlistArray{1, "two", PlistArray{}};
  EXPECT_EQ(decode(encode(array)), array);
}

TEST(PlistCodec, DatesRoundTripExactly) {
  // Other writers keep every bit of a date, digits below the microsecond included.
  for (int i = 0; i < 2000; ++i) {
    const PlistValue date = PlistArray{PlistDate{8e8 + i * 12345.678901 + (i % 7) * 0.1}};
    ASSERT_EQ(decode(encode(date)), date);
  }
  const PlistValue withinOneMicrosecond =
      PlistArray{PlistDate{100.0000011}, PlistDate{100.0000019}, PlistDate{100.0000011}};
  EXPECT_EQ(decode(encode(withinOneMicrosecond)), withinOneMicrosecond);
}

TEST(PlistCodec, RefusesValuesTheFileCannotCarry) {
  EXPECT_NE(encodeFailure(PlistDictionary{{"k", "bad \xC3"}}), "");
  EXPECT_NE(encodeFailure(PlistDictionary{{"k", "overlong \xC0\xAF"}}), "");
  EXPECT_NE(encodeFailure(PlistDictionary{{"k", "surrogate \xED\xA0\x80"}}), "");
  EXPECT_NE(encodeFailure(PlistDictionary{{"/home/\xFF", true}}), "") << "keys are checked too";
  EXPECT_NE(encodeFailure(PlistArray{std::string("nul\0inside", 10)}), "");

  EXPECT_NE(encodeFailure(PlistDate{2147483648.0}), "");
  EXPECT_NE(encodeFailure(PlistDate{-2147483649.0}), "");
  EXPECT_NE(encodeFailure(PlistDate{std::numeric_limits<double>::quiet_NaN()}), "");
  EXPECT_EQ(encodeFailure(PlistDate{2147483647.5}), "");
  EXPECT_EQ(encodeFailure(PlistDate{-2147483648.0}), "");

  // What we write must be readable by us again.
  EXPECT_EQ(encodeFailure(nestedArrays(32)), "");
  EXPECT_NE(encodeFailure(nestedArrays(33)), "");
  EXPECT_NE(encodeFailure(PlistArray{PlistData(kMaxPlistFileBytes, 7)}), "");
}

TEST(PlistCodec, RewritingGivesTheSameBytes) {
  // Equal data under several keys, as two bookmarks of one folder are: whether they shared one
  // object in the file once depended on where the heap had put them.
  const PlistData bookmark(48, 0xB0);
  const PlistValue shared = PlistDictionary{
      {"allBookmark", PlistArray{bookmark, bookmark, PlistData{}, PlistData{}}},
      {"arrCustomFolders", PlistArray{bookmark}},
      {"empty", PlistData{}},
      {"everything", everyType()},
  };
  const Bytes first = encode(shared);
  EXPECT_EQ(encode(decode(first)), first);
  EXPECT_EQ(encode(decode(encode(decode(first)))), first);

  // The same from another writer's XML, whose file shares nothing.
  const Bytes xml = bytesOf(xmlDocument(
      "<dict><key>a</key><data>AAEC</data><key>b</key><data>AAEC</data>"
      "<key>c</key><array><data></data><data/><real>nan</real><real>nan</real></array></dict>"));
  const Bytes written = encode(decode(xml));
  EXPECT_EQ(encode(decode(written)), written);

  // Equal values are stored once, whatever their number: 200 copies of 48 bytes take one.
  EXPECT_LT(encode(PlistArray(200, PlistValue(bookmark))).size(), 48u + 200u + 100u);
  EXPECT_LT(encode(PlistArray(200, PlistValue("same text"))).size(), 9u + 200u + 100u);
}

// A store keeps one encoder for all its writes: what one value left behind must not show in the
// next, and a dictionary of many distinct keys outgrows the room its leaves were given.
TEST(PlistCodec, AnEncoderUsedAgainWritesWhatAFreshOneWrites) {
  PlistDictionary manyKeys;
  for (int i = 0; i < 300; ++i) manyKeys["key " + std::to_string(i)] = PlistValue(i % 7);
  PlistArray large;
  for (int i = 0; i < 400; ++i) large.emplace_back("item " + std::to_string(i));
  const PlistValue values[] = {
      PlistValue(manyKeys), PlistValue(large),
      PlistValue(PlistDictionary{{"bad", PlistValue(std::string("a\0b", 3))}}),
      PlistValue(PlistDictionary{{"small", PlistValue(true)}})};
  BinaryPlistEncoder encoder;
  for (const PlistValue& value : values) {
    const auto reused = encoder.encode(value);
    const auto fresh = encodeBinaryPlist(value);
    ASSERT_EQ(std::holds_alternative<std::string>(reused),
              std::holds_alternative<std::string>(fresh));
    if (const auto* bytes = std::get_if<std::span<const std::uint8_t>>(&reused)) {
      EXPECT_EQ(Bytes(bytes->begin(), bytes->end()), std::get<Bytes>(fresh));
    }
  }
  EXPECT_EQ(decode(encode(manyKeys)), PlistValue(manyKeys));
}

TEST(PlistCodec, ReadsForeignBinaryForms) {
  // Single-precision reals, texts of 15 characters or more, UTF-16 keys with a surrogate pair,
  // and a repeated key, whose last value wins as in every other reader.
  const Bytes utf16Key{0x63, 0x00, 0xE9, 0xD8, 0x3D, 0xDE, 0x00};
  Bytes longText{0x5F, 0x10, 0x14};
  longText.insert(longText.end(), 20, 'x');
  const Bytes dictionary{0xD4, 0x01, 0x02, 0x03, 0x03, 0x04, 0x05, 0x06, 0x07};
  EXPECT_EQ(decode(assembleBinary({dictionary,
                                   utf16Key,
                                   {0x51, 'l'},
                                   {0x51, 'r'},
                                   {0x22, 0x40, 0x48, 0x00, 0x00},
                                   longText,
                                   {0x10, 0x01},
                                   {0x10, 0x02}})),
            PlistValue(PlistDictionary{
                {"\xC3\xA9\xF0\x9F\x98\x80", 3.125}, {"l", std::string(20, 'x')}, {"r", 2}}));
}

TEST(PlistCodec, ReadsXmlTextsAndNumbersAsOtherReadersDo) {
  const PlistValue decoded =
      decode(bytesOf(xmlDocument("<dict>"
                                 "<key>refs</key><string>&#233;&#x1F600; &quot;q&quot;</string>"
                                 "<key>lines</key><data>\n  AAEC\n  Aw==\n</data>"
                                 "<key>huge</key><real>1e999</real>"
                                 "<key>tiny</key><real>-1e-999</real>"
                                 "<key>empty</key><string/>"
                                 "<key>empty</key><string>again</string>"
                                 "<key>date</key><date>2021-06-01T12:34:56Z</date>"
                                 "<key>line ends</key><string>a\r\nb\rc&#13;</string>"
                                 "<key>zeros</key><array><integer>08192</integer>"
                                 "<integer>-0092</integer></array>"
                                 "</dict>")));
  const auto& dictionary = *decoded.as<PlistDictionary>();
  EXPECT_EQ(dictionary.at("refs"), PlistValue("\xC3\xA9\xF0\x9F\x98\x80 \"q\""));
  EXPECT_EQ(dictionary.at("lines"), PlistValue(PlistData{0, 1, 2, 3}));
  EXPECT_EQ(dictionary.at("huge"), PlistValue(std::numeric_limits<double>::infinity()));
  ASSERT_TRUE(dictionary.at("tiny").is<double>());
  EXPECT_EQ(*dictionary.at("tiny").as<double>(), 0.0);
  EXPECT_TRUE(std::signbit(*dictionary.at("tiny").as<double>()));
  EXPECT_EQ(dictionary.at("empty"), PlistValue("again"));
  EXPECT_EQ(dictionary.at("date"), PlistValue(PlistDate{644243696.0}));
  EXPECT_EQ(dictionary.at("line ends"), PlistValue("a\nb\nc\r"));
  EXPECT_EQ(dictionary.at("zeros"), PlistValue(PlistArray{8192, -92})) << "decimal, not octal";

  EXPECT_NE(decodeFailure(bytesOf(xmlDocument("<string>&#0;</string>"))), "");
  EXPECT_NE(decodeFailure(bytesOf(xmlDocument("<string>&#xD800;</string>"))), "");
  EXPECT_NE(decodeFailure(bytesOf(xmlDocument("<string>&nbsp;</string>"))), "");
}

TEST(PlistCodec, ReadsPythonBinaryFixture) {
  PlistData allBytes;
  for (int i = 0; i < 256; ++i) allBytes.push_back(static_cast<std::uint8_t>(i));
  const PlistValue expected = PlistDictionary{
      {"string", "plain"},
      {"unicode", "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"},
      {"empty string", ""},
      {"shared a", "same text"},
      {"shared b", "same text"},
      {"zero", 0},
      {"one", 1},
      {"byte edge", 255},
      {"two bytes", 256},
      {"four bytes", 65536},
      {"eight bytes", std::int64_t{1} << 32},
      {"negative", -5},
      {"int64 min", std::numeric_limits<std::int64_t>::min()},
      {"int64 max", std::numeric_limits<std::int64_t>::max()},
      {"real", 3.25},
      {"negative real", -0.1},
      {"huge real", 1e300},
      {"true", true},
      {"false", false},
      {"date", PlistDate{644243696789012.0 / 1e6}},
      {"old date", PlistDate{-31622400.5}},
      {"data", allBytes},
      {"empty data", PlistData{}},
      {"commands",
       PlistArray{PlistDictionary{{"title", "Open in Terminal"}, {"state", true}},
                  PlistDictionary{{"title", "Copy Path"}, {"state", false}, {"order", 2}}}},
      {"nested",
       PlistDictionary{{"empty array", PlistArray{}},
                       {"empty dict", PlistDictionary{}},
                       {"deeper", PlistArray{PlistArray{1, PlistArray{2, PlistArray{3}}}}}}},
  };
  EXPECT_EQ(decode(readFixture("every-type.binary.plist")), expected);

  // XML has whole-second dates; everything else is the same.
  PlistDictionary xml = *expected.as<PlistDictionary>();
  xml["date"] = PlistDate{644243696.0};
  xml["old date"] = PlistDate{-31622401.0};
  EXPECT_EQ(decode(readFixture("every-type.xml.plist")), PlistValue(xml));
}

TEST(PlistCodec, RejectsTooDeepInputWithoutCrashing) {
  EXPECT_EQ(decodeFailure(bytesOf(nestedXmlArrays(32))), "");
  EXPECT_NE(decodeFailure(bytesOf(nestedXmlArrays(33))).find("nested deeper"), std::string::npos);
  // Deep enough to overflow the stack of a recursive reader or of the recursive destruction.
  EXPECT_NE(decodeFailure(bytesOf(nestedXmlArrays(100000))), "");

  EXPECT_EQ(decodeFailure(binaryChain(32)), "");
  EXPECT_NE(decodeFailure(binaryChain(33)).find("nested deeper"), std::string::npos);
  EXPECT_NE(decodeFailure(binaryChain(20000)), "");
}

TEST(PlistCodec, RejectsBinaryGraphsThatAreNotTrees) {
  // An array that contains itself.
  EXPECT_NE(decodeFailure(assembleBinary({{0xA1, 0x00}})).find("cycle"), std::string::npos);
  // Two arrays containing each other.
  EXPECT_NE(decodeFailure(assembleBinary({{0xA1, 0x01}, {0xA1, 0x00}})), "");
  // Levels each referencing the next twice: small files that expand to 2^30 and 2^21 values.
  EXPECT_NE(decodeFailure(binaryChain(30, 2)).find("expands"), std::string::npos);
  EXPECT_NE(decodeFailure(binaryChain(21, 2)).find("expands"), std::string::npos);
  EXPECT_EQ(decodeFailure(binaryChain(16, 2)), "");
  // Shared leaves, as writers produce for repeated strings, are fine.
  EXPECT_EQ(decode(assembleBinary({{0xA2, 0x01, 0x01}, {0x51, 'x'}})),
            PlistValue(PlistArray{"x", "x"}));

  // A string whose bytes lie inside a date's value: no writer lays objects out so, a damaged
  // offset table does.
  auto overlapping =
      assembleBinary({{0xA2, 0x01, 0x02}, {0x33, 0x41, 0xC3, 0x51, 0x41, 0, 0, 0, 0}, {0x51, 'y'}});
  const std::size_t dateAt = 8 + 3;
  const std::size_t table = overlapping.size() - 32 - 3 * 2;
  overlapping[table + 5] = static_cast<std::uint8_t>(dateAt + 3);  // object 2 inside the date
  EXPECT_NE(decodeFailure(overlapping).find("overlapping"), std::string::npos);
}

TEST(PlistCodec, DecoderTakesWhatTheEncoderWritesAndNothingLarger) {
  // Every value counts 8 bytes: an array of 131,071 flags fills the 1 MiB, one more is over,
  // however small the file that shares one flag object among them.
  const PlistValue full = PlistArray(131071, PlistValue(true));
  EXPECT_EQ(decode(encode(full)), full);
  EXPECT_NE(encodeFailure(PlistArray(131072, PlistValue(true))).find("1 MiB"), std::string::npos);
  Bytes overfull{0xAF, 0x12, 0x00, 0x02, 0x00, 0x00};
  overfull.resize(overfull.size() + 131072, 0x00);
  EXPECT_NE(decodeFailure(assembleBinary({{0x09}, overfull}, 1)).find("1 MiB"), std::string::npos);
  std::string flags;
  for (int i = 0; i < 131072; ++i) flags += "<true/>";
  EXPECT_NE(decodeFailure(bytesOf(xmlDocument("<array>" + flags + "</array>"))).find("1 MiB"),
            std::string::npos);

  // Texts count as their UTF-8 on both sides, although the file holds this one as UTF-16.
  const PlistValue texts = PlistArray(65535, PlistValue(std::string(14, 'a') + "\xC3\xA9"));
  EXPECT_EQ(decode(encode(texts)), texts);
}

TEST(PlistCodec, RejectsOversizedInput) {
  const std::string big(kMaxPlistFileBytes, 'x');
  EXPECT_NE(decodeFailure(bytesOf(xmlDocument("<string>" + big + "</string>"))).find("1 MiB"),
            std::string::npos);
  Bytes binary = bytesOf("bplist00");
  binary.resize(kMaxPlistFileBytes + 1);
  EXPECT_NE(decodeFailure(binary).find("1 MiB"), std::string::npos);
}

TEST(PlistCodec, RejectsGarbageAndSilentCoercions) {
  const std::vector<std::string> bad = {
      "",
      "not a plist at all",
      std::string("\x00\x01\x02\x03", 4),
      "bplist00",
      "bplist00\xA1\x00",
      xmlDocument("<string>unterminated</string>").substr(0, 70),
      "<plist><string>x</string></plist",                      // missing final '>'
      xmlDocument("<integer>12abc</integer>"),                 // would read as 12
      xmlDocument("<integer>18446744073709551615</integer>"),  // would wrap to -1
      xmlDocument("<date>not a date</date>"),                  // would read as 1970
      xmlDocument("<date>2100-01-01T00:00:00Z</date>"),        // outside the date range
      xmlDocument("<data>!!!</data>"),                         // would read as empty data
      xmlDocument("<dict><key>a</key></dict>"),                // key without value
      xmlDocument("<array><key>a</key></array>"),              // would read as a string
      xmlDocument("<true/><false/>"),                          // second value would vanish
      xmlDocument("<string a='>'>x</string>"),                 // would read as "'>x"
      xmlDocument("<string>\xFF</string>"),                    // not UTF-8
      xmlDocument("<uid>1</uid>"),
  };
  for (const std::string& text : bad) {
    EXPECT_NE(decodeFailure(bytesOf(text)), "") << "accepted: " << text;
  }

  // Binary: a 16-byte integer beyond 64 bits, an unsupported object, a dangling reference,
  // a non-string key, truncation, and a string that is not ASCII.
  Bytes huge{0x14};
  huge.insert(huge.end(), 8, 0);
  huge.insert(huge.end(), 8, 0xFF);
  Bytes minusOne{0x14};
  minusOne.insert(minusOne.end(), 16, 0xFF);
  EXPECT_NE(decodeFailure(assembleBinary({huge})), "");
  EXPECT_EQ(decode(assembleBinary({minusOne})), PlistValue(-1));
  EXPECT_NE(decodeFailure(assembleBinary({{0x80, 0x01}})), "");
  EXPECT_NE(decodeFailure(assembleBinary({{0xA1, 0x05}})), "");
  EXPECT_NE(decodeFailure(assembleBinary({{0xD1, 0x01, 0x01}, {0x10, 0x01}})), "");
  EXPECT_NE(decodeFailure(assembleBinary({{0x5F, 0x10, 0x40, 'a'}})), "");
  EXPECT_NE(decodeFailure(assembleBinary({{0x51, 0xE9}})), "");

  Bytes truncated = encode(everyType());
  truncated.resize(truncated.size() - 1);
  EXPECT_NE(decodeFailure(truncated), "");
}

TEST(PlistCodec, AcceptsOrdinaryXmlVariations) {
  const PlistValue expected = PlistDictionary{{"a", "x<y & 'z'"}, {"b", 16}, {"c", 1.5}};
  EXPECT_EQ(
      decode(bytesOf("\xEF\xBB\xBF" + xmlDocument("<!-- written by hand -->\n<dict>\n"
                                                  "  <key>a</key><string>x&lt;y &amp; "
                                                  "<![CDATA['z']]></string>\n"
                                                  "  <key>b</key><integer> 0x10 </integer>\n"
                                                  "  <key>c</key><real>1.5</real>\n</dict>"))),
      expected);
}

}  // namespace
}  // namespace platform
