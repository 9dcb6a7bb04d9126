#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::protocol {

// One JSON text (RFC 8259) read front to back without building a tree: the caller asks for what
// it expects next and skips the rest. A departure from the grammar (a string that is not UTF-8
// included), or arrays and objects nested deeper than the bound, fails the read: every call after
// that returns false. Recursion only in `skip`, at most the bound deep. Read by the file-manager
// modules and by the stand-in, so the menu's text is read one way.
class JsonReader {
 public:
  enum class Kind { object, array, string, number, boolean, null, invalid };

  // A number's value: exact when it is an integer that fits, `real` in every case.
  struct Number {
    bool integral = false;
    std::int64_t integer = 0;
    double real = 0;
  };

  JsonReader(std::string_view text, std::size_t maxNesting);

  // What the next value is, without reading it.
  Kind next();
  // Where the next value starts, to read it again with a reader of its own.
  std::size_t offset();

  // An object: `enterObject`, then `member` before each value until it returns false, at the
  // object's end (or a failure). An array likewise with `enterArray` and `element`.
  bool enterObject();
  bool member(std::string& key);
  bool enterArray();
  bool element();

  // The next value, which must be of that kind. A string's escapes are decoded; an escaped lone
  // surrogate becomes the three bytes UTF-8 would give it (not valid UTF-8: the caller repairs).
  bool string(std::string& text);
  bool number(Number& value);
  bool boolean(bool& value);
  bool skip();  // any value

  // Whether only whitespace follows the value read.
  bool finished();
  bool failed() const { return failed_; }
  bool tooDeep() const { return tooDeep_; }

 private:
  bool fail();
  void skipWhitespace();
  bool literal(std::string_view word);
  bool enter(char opening);
  bool more(char closing);
  bool nextMember(std::string* key);
  bool scanString(std::string* text);
  bool scanNumber(bool& integral);
  bool hexQuad(std::uint32_t& value);

  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t depth_ = 0;
  std::size_t maxNesting_;
  bool first_ = false;  // just entered an object or array: no comma before its first value
  bool failed_ = false;
  bool tooDeep_ = false;
};

}  // namespace platform::protocol
