// What the reader decides itself now that it reads for the stand-in as well as the modules: the
// value of a number beyond a double's range, and which strings are UTF-8.
#include "protocol/JsonReader.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace platform::protocol {
namespace {

TEST(JsonReaderTest, ANumberBeyondADoublesRangeIsInfiniteOrZeroAsTheCLibraryReadsIt) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  const struct {
    const char* text;
    double real;
  } cases[] = {
      {"1e400", kInfinity},
      {"-12.5e308", -kInfinity},
      {"1000000000000000000000000000000000000000000e300", kInfinity},
      {"1e-400", 0},
      {"-0.0000000001e-320", 0},
      {"123e-320", 123e-320},  // a subnormal is kept
      {"2.5E+3", 2500},
  };
  for (const auto& [text, real] : cases) {
    JsonReader reader(text, 1);
    JsonReader::Number number;
    ASSERT_TRUE(reader.number(number)) << text;
    EXPECT_FALSE(number.integral) << text;
    EXPECT_EQ(number.real, real) << text;
  }
}

TEST(JsonReaderTest, AStringThatIsNotUtf8FailsTheRead) {
  std::string text;
  ASSERT_TRUE(JsonReader("\"caf\xc3\xa9 \xf0\x9f\x98\x80 \xef\xbf\xbe\"", 1).string(text));
  EXPECT_EQ(text, "caf\xc3\xa9 \xf0\x9f\x98\x80 \xef\xbf\xbe");
  for (const char* invalid : {
           "\"\xff\"", "\"\x80\"",
           "\"\xc3\"",               // cut short by the quote
           "\"\xc0\xaf\"",           // overlong
           "\"\xed\xa0\x80\"",       // a surrogate
           "\"\xf4\x90\x80\x80\"",   // beyond U+10FFFF
           "[\"a\", \"\xe2\x82\"]",  // found by skipping too
       }) {
    JsonReader reader(invalid, 2);
    EXPECT_FALSE(reader.skip() && reader.finished()) << invalid;
  }
}

}  // namespace
}  // namespace platform::protocol
