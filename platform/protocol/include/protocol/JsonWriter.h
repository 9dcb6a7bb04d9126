#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::protocol {

// JSON text written front to back without a tree of objects, in the compact form the menu has
// always crossed the bus in: no whitespace, each object's keys in the order the caller gives them
// (sorted, for the menu), numbers in their shortest form. Text is written as given: the caller
// passes UTF-8.
class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  void beginObject() { open('{'); }
  void endObject() { close('}'); }
  void beginArray() { open('['); }
  void endArray() { close(']'); }
  // A name of the protocol's, which needs no escaping.
  void key(std::string_view name);
  void boolean(bool value);
  void integer(std::int64_t value);
  // A whole number up to 2^53 as an integer, another finite one in the shortest form that reads
  // back the same (exponent form only where shorter), and the rest as null.
  void number(double value);
  void string(std::string_view text);

 private:
  void open(char bracket);
  void close(char bracket);
  void separate();

  std::string& out_;
  bool first_ = true;
};

// `text` in quotes, escaping only what JSON requires: the quote, the backslash and the control
// characters (by their short forms where JSON has one). Other bytes are kept as they are.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace platform::protocol
