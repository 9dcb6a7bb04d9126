#include "store/XmlPlistReader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/PlistText.h"
#include "store/XmlText.h"

namespace platform {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::variant<PlistValue, PlistDecodeError> read() {
    if (auto error = parse()) return PlistDecodeError{std::move(*error)};
    return std::move(result_);
  }

 private:
  enum class Kind { Plist, Dict, Array, Key, String, Integer, Real, True, False, Date, Data };
  struct Frame {
    Kind kind;
    std::size_t children = 0;
    std::string text;  // of a key or a scalar, references decoded
    PlistValue value;  // of a container, filled as its children end
    std::string key;   // of a dictionary, the key whose value comes next
  };

  static constexpr std::array<std::pair<Kind, std::string_view>, 11> kNames{{
      {Kind::Plist, "plist"},
      {Kind::Dict, "dict"},
      {Kind::Array, "array"},
      {Kind::Key, "key"},
      {Kind::String, "string"},
      {Kind::Integer, "integer"},
      {Kind::Real, "real"},
      {Kind::True, "true"},
      {Kind::False, "false"},
      {Kind::Date, "date"},
      {Kind::Data, "data"},
  }};

  static std::string tag(Kind kind) {
    std::string text(1, '<');
    for (const auto& [k, n] : kNames)
      if (k == kind) text.append(n);
    text.push_back('>');
    return text;
  }
  static bool isContainer(Kind kind) { return kind == Kind::Dict || kind == Kind::Array; }
  static bool isValue(Kind kind) { return kind != Kind::Plist && kind != Kind::Key; }
  static bool isText(Kind kind) { return kind == Kind::Key || kind == Kind::String; }

  std::optional<std::string> parse() {
    if (text_.find('\0') != std::string_view::npos) return "XML contains a NUL byte";
    while (pos_ < text_.size()) {
      if (text_[pos_] != '<') {
        if (auto error = onText()) return error;
        continue;
      }
      std::optional<std::string> error;
      if (startsWith("<!--")) {
        error = skipPast("-->");
      } else if (startsWith("<![CDATA[")) {
        error = onCdata();
      } else if (startsWith("<?")) {
        error = stack_.empty() ? skipPast("?>") : "processing instruction inside an element";
      } else if (startsWith("<!DOCTYPE")) {
        error = rootSeen_ || !stack_.empty() ? "misplaced DOCTYPE" : skipDoctype();
      } else if (startsWith("</")) {
        error = onEndTag();
      } else {
        error = onStartTag();
      }
      if (error) return error;
    }
    if (!stack_.empty()) return "XML ends inside " + tag(stack_.back().kind);
    if (!rootSeen_) return "not a property list";
    return std::nullopt;
  }

  bool startsWith(std::string_view prefix) const {
    return text_.substr(pos_, prefix.size()) == prefix;
  }

  std::optional<std::string> skipPast(std::string_view terminator) {
    const std::size_t end = text_.find(terminator, pos_ + 2);
    if (end == std::string_view::npos) return "XML is truncated";
    pos_ = end + terminator.size();
    return std::nullopt;
  }

  std::optional<std::string> skipDoctype() {
    char quote = 0;
    int brackets = 0;
    for (std::size_t i = pos_ + 9; i < text_.size(); ++i) {
      const char c = text_[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++brackets;
      } else if (c == ']') {
        --brackets;
      } else if (c == '>' && brackets <= 0) {
        pos_ = i + 1;
        return std::nullopt;
      }
    }
    return "XML is truncated";
  }

  std::optional<std::string> onText() {
    const std::size_t end = std::min(text_.find('<', pos_), text_.size());
    const std::string_view run = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (stack_.empty() || isContainer(stack_.back().kind) || stack_.back().kind == Kind::Plist) {
      if (!trimXmlSpace(run).empty()) return "unexpected text in XML property list";
      return std::nullopt;
    }
    Frame& frame = stack_.back();
    if (!isText(frame.kind)) {
      frame.text.append(run);
    } else if (!appendXmlText(run, frame.text)) {
      return "bad character reference in XML";
    }
    return std::nullopt;
  }

  std::optional<std::string> onCdata() {
    const std::size_t start = pos_ + 9;
    const std::size_t end = text_.find("]]>", start);
    if (end == std::string_view::npos) return "XML is truncated";
    if (stack_.empty() || !isText(stack_.back().kind)) return "unexpected CDATA in XML";
    appendXmlLiteral(text_.substr(start, end - start), stack_.back().text);
    pos_ = end + 3;
    return std::nullopt;
  }

  std::optional<std::string> readName(Kind& kind) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && ((text_[pos_] >= 'a' && text_[pos_] <= 'z') ||
                                   (text_[pos_] >= 'A' && text_[pos_] <= 'Z')))
      ++pos_;
    const std::string_view found = text_.substr(start, pos_ - start);
    for (const auto& [k, n] : kNames) {
      if (n == found) {
        kind = k;
        return std::nullopt;
      }
    }
    if (pos_ >= text_.size()) return "XML is truncated";
    std::string message = "unknown element <";
    message.append(found);
    return message.append("> in XML property list");
  }

  void skipSpace() {
    while (pos_ < text_.size() && isXmlSpace(text_[pos_])) ++pos_;
  }

  std::optional<std::string> onStartTag() {
    ++pos_;
    Kind kind{};
    if (auto error = readName(kind)) return error;
    bool selfClosing = false;
    for (;;) {
      const std::size_t before = pos_;
      skipSpace();
      if (pos_ >= text_.size()) return "XML is truncated";
      if (text_[pos_] == '>') {
        ++pos_;
        break;
      }
      if (startsWith("/>")) {
        pos_ += 2;
        selfClosing = true;
        break;
      }
      if (pos_ == before) return "malformed tag in XML";
      if (auto error = skipAttribute()) return error;
    }
    if (auto error = open(kind)) return error;
    if (selfClosing) return close();
    return std::nullopt;
  }

  // Attributes (the version of <plist>) carry nothing the value needs. One holding '<' or '>'
  // is refused: readers that end a tag at the first '>' would read the rest as text.
  std::optional<std::string> skipAttribute() {
    const std::size_t nameStart = pos_;
    while (pos_ < text_.size() && !isXmlSpace(text_[pos_]) && text_[pos_] != '=' &&
           text_[pos_] != '>' && text_[pos_] != '/' && text_[pos_] != '<')
      ++pos_;
    if (pos_ == nameStart) return "malformed tag in XML";
    skipSpace();
    if (pos_ >= text_.size() || text_[pos_] != '=') return "malformed attribute in XML";
    ++pos_;
    skipSpace();
    if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\''))
      return "malformed attribute in XML";
    const char quote = text_[pos_++];
    const std::size_t close = text_.find(quote, pos_);
    if (close == std::string_view::npos) return "XML is truncated";
    if (text_.substr(pos_, close - pos_).find_first_of("<>") != std::string_view::npos)
      return "malformed attribute in XML";
    pos_ = close + 1;
    return std::nullopt;
  }

  std::optional<std::string> onEndTag() {
    pos_ += 2;
    Kind kind{};
    if (auto error = readName(kind)) return error;
    skipSpace();
    if (pos_ >= text_.size()) return "XML is truncated";
    if (text_[pos_] != '>') return "malformed end tag in XML";
    ++pos_;
    if (stack_.empty() || stack_.back().kind != kind) return "mismatched end of " + tag(kind);
    return close();
  }

  std::optional<std::string> open(Kind kind) {
    if (kind == Kind::Plist && !stack_.empty()) return "misplaced <plist> in XML";
    if (stack_.empty()) {
      if (rootSeen_) return "more than one root element in XML";
      if (kind == Kind::Key) return "misplaced <key> in XML";
      rootSeen_ = true;
    } else {
      Frame& parent = stack_.back();
      switch (parent.kind) {
        case Kind::Plist:
        case Kind::Array:
          if (!isValue(kind)) return "misplaced " + tag(kind) + " in XML";
          if (parent.kind == Kind::Plist && parent.children > 0)
            return "more than one value in <plist>";
          break;
        case Kind::Dict:
          if ((parent.children % 2 == 0) != (kind == Kind::Key))
            return "dictionary keys and values do not alternate";
          break;
        default:
          return tag(kind) + " inside " + tag(parent.kind);
      }
      ++parent.children;
    }
    if (isContainer(kind) && ++containerDepth_ > kMaxPlistNesting)
      return "nested deeper than 32 levels";
    stack_.push_back(Frame{kind, 0, {}, {}, {}});
    if (kind == Kind::Array) stack_.back().value = PlistArray{};
    return std::nullopt;
  }

  std::optional<std::string> close() {
    Frame frame = std::move(stack_.back());
    stack_.pop_back();
    if (frame.kind == Kind::Plist) {
      if (frame.children == 0) return "empty <plist>";
      return std::nullopt;
    }
    if (frame.kind == Kind::Key) {
      if (!isValidUtf8(frame.text)) return "dictionary key is not valid UTF-8";
      stack_.back().key = std::move(frame.text);
      return std::nullopt;
    }
    if (isContainer(frame.kind)) --containerDepth_;
    std::optional<PlistValue> value = valueOf(frame);
    if (!value) return "bad " + tag(frame.kind) + " in XML";
    deliver(std::move(*value));
    return std::nullopt;
  }

  // The value of an element that has ended; absent when its contents do not read as one.
  static std::optional<PlistValue> valueOf(Frame& frame) {
    switch (frame.kind) {
      case Kind::Dict:
        if (frame.children % 2 != 0) return std::nullopt;  // a key without a value
        return std::move(frame.value);
      case Kind::Array:
        return std::move(frame.value);
      case Kind::String:
        if (!isValidUtf8(frame.text)) return std::nullopt;
        return PlistValue(std::move(frame.text));
      case Kind::Integer:
        if (auto number = parseXmlInteger(frame.text)) return PlistValue(*number);
        return std::nullopt;
      case Kind::Real:
        if (auto number = parseXmlReal(frame.text)) return PlistValue(*number);
        return std::nullopt;
      case Kind::Date:
        if (auto seconds = parseXmlDate(frame.text)) return PlistValue(PlistDate{*seconds});
        return std::nullopt;
      case Kind::Data:
        if (auto bytes = decodeXmlBase64(frame.text)) return PlistValue(std::move(*bytes));
        return std::nullopt;
      case Kind::True:
      case Kind::False:
        if (!trimXmlSpace(frame.text).empty()) return std::nullopt;
        return PlistValue(frame.kind == Kind::True);
      case Kind::Plist:
      case Kind::Key:
        break;
    }
    return std::nullopt;
  }

  // Hands a finished value to its container, or keeps it as the document's value.
  void deliver(PlistValue value) {
    if (stack_.empty() || stack_.back().kind == Kind::Plist) {
      result_ = std::move(value);
    } else if (auto* array = stack_.back().value.as<PlistArray>()) {
      array->push_back(std::move(value));
    } else {
      // A repeated key replaces the earlier value, as in every other reader.
      Frame& parent = stack_.back();
      parent.value.as<PlistDictionary>()->insert_or_assign(std::move(parent.key), std::move(value));
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::vector<Frame> stack_;
  int containerDepth_ = 0;
  bool rootSeen_ = false;
  PlistValue result_;
};

}  // namespace

std::variant<PlistValue, PlistDecodeError> readXmlPlist(std::string_view text) {
  return Reader(text).read();
}

}  // namespace platform
