#include "host/installation/ExecLine.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "store/PlistText.h"

namespace plovane::host {

namespace {

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

// The argument as a message can show it: bytes that are not printable text as \xNN.
std::string shown(std::string_view argument) {
  std::string text;
  for (std::size_t at = 0; at < argument.size();) {
    const std::size_t from = at;
    if (platform::nextUtf8CodePoint(argument, at) && !isControl(argument[from])) {
      text.append(argument.substr(from, at - from));
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(argument[from]));
    text += escaped;
    at = from + 1;
  }
  return text;
}

[[noreturn]] void refuse(std::string_view argument, const char* file, const char* why) {
  throw std::runtime_error("\"" + shown(argument) + "\" cannot be written into " + file + ": " +
                           why);
}

// The escapes both files' values share.
std::string escapeValue(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\t':
        escaped += "\\t";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::optional<std::string> unescapeValue(std::string_view value) {
  std::string text;
  for (std::size_t at = 0; at < value.size(); ++at) {
    if (value[at] != '\\') {
      text += value[at];
      continue;
    }
    if (++at == value.size()) return std::nullopt;
    switch (value[at]) {
      case 's':
        text += ' ';
        break;
      case 't':
        text += '\t';
        break;
      case 'n':
        text += '\n';
        break;
      case 'r':
        text += '\r';
        break;
      case '\\':
        text += '\\';
        break;
      default:
        return std::nullopt;
    }
  }
  return text;
}

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view kFieldCodes = "fFuUdDnNickvm";

// `argument` as one word: as it is when it holds nothing either reader treats specially, else in
// double quotes with a backslash before each of `escaped`.
std::string quoted(std::string_view argument, std::string_view escaped, bool doublePercent) {
  const bool plain = !argument.empty() && argument.find_first_of(kReserved) == std::string::npos;
  std::string word = plain ? "" : "\"";
  for (const char c : argument) {
    if (escaped.find(c) != std::string_view::npos) word += '\\';
    word += c;
    if (doublePercent && c == '%') word += '%';
  }
  return plain ? word : word + "\"";
}

std::string joined(const std::vector<std::string>& words) {
  std::string line;
  for (const auto& word : words) line += (line.empty() ? "" : " ") + word;
  return line;
}

// "%%" as "%"; any other "%" is a field code, which has no place inside an argument.
std::optional<std::string> withoutDoubledPercents(std::string_view word) {
  std::string text;
  for (std::size_t at = 0; at < word.size(); ++at) {
    if (word[at] == '%' && (++at == word.size() || word[at] != '%')) return std::nullopt;
    text += word[at];
  }
  return text;
}

}  // namespace

std::string serviceExec(const std::vector<std::string>& arguments) {
  std::vector<std::string> words;
  for (const auto& argument : arguments) {
    // The bus refuses a service file that is not UTF-8 as a whole.
    if (!platform::isValidUtf8(argument) || argument.find('\0') != std::string::npos) {
      refuse(argument, "a bus service file", "it is not UTF-8 text");
    }
    words.push_back(quoted(argument, "\"\\$`", false));
  }
  return escapeValue(joined(words));
}

std::optional<std::vector<std::string>> readServiceExec(std::string_view value) {
  const auto text = unescapeValue(value);
  if (!text) return std::nullopt;
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (std::size_t at = 0; at < text->size(); ++at) {
    const char c = (*text)[at];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else if (c == '#') {
      // The bus's own splitter starts a comment here even inside a word.
      while (at + 1 < text->size() && (*text)[at + 1] != '\n') ++at;
    } else if (c == '\\') {
      if (++at == text->size()) return std::nullopt;
      if ((*text)[at] != '\n') word += (*text)[at];
      inWord = true;
    } else if (c == '\'') {
      const auto end = text->find('\'', at + 1);
      if (end == std::string::npos) return std::nullopt;
      word.append(*text, at + 1, end - at - 1);
      at = end;
      inWord = true;
    } else if (c == '"') {
      for (++at;; ++at) {
        if (at == text->size()) return std::nullopt;
        const char inside = (*text)[at];
        if (inside == '"') break;
        if (inside == '\\' && at + 1 < text->size() &&
            std::string_view("\"\\`$\n").find((*text)[at + 1]) != std::string_view::npos) {
          word += (*text)[++at];
        } else {
          word += inside;
        }
      }
      inWord = true;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  if (words.empty()) return std::nullopt;
  return words;
}

namespace {

// Its values are UTF-8 without control characters.
void checkDesktopText(std::string_view text) {
  if (!platform::isValidUtf8(text)) refuse(text, "a desktop entry", "it is not UTF-8 text");
  for (const char c : text) {
    if (isControl(c)) refuse(text, "a desktop entry", "it holds a control character");
  }
}

}  // namespace

std::string desktopExec(const std::vector<std::string>& arguments, std::string_view fieldCodes) {
  std::vector<std::string> words;
  for (const auto& argument : arguments) {
    checkDesktopText(argument);
    words.push_back(quoted(argument, "\"`$\\", true));
  }
  if (!fieldCodes.empty()) words.emplace_back(fieldCodes);
  return escapeValue(joined(words));
}

std::string desktopString(std::string_view text) {
  checkDesktopText(text);
  return escapeValue(text);
}

std::optional<std::vector<std::string>> readDesktopExec(std::string_view value) {
  const auto text = unescapeValue(value);
  if (!text || !platform::isValidUtf8(*text)) return std::nullopt;
  for (const char c : *text) {
    if (isControl(c)) return std::nullopt;
  }
  std::vector<std::string> words;
  for (std::size_t at = 0; at < text->size(); ++at) {
    if ((*text)[at] == ' ') continue;
    std::string word;
    if ((*text)[at] == '"') {
      for (++at;; ++at) {
        if (at == text->size()) return std::nullopt;
        const char c = (*text)[at];
        if (c == '"') break;
        if (c == '`' || c == '$') return std::nullopt;
        if (c == '\\') {
          if (++at == text->size() ||
              std::string_view("\"`$\\").find((*text)[at]) == std::string_view::npos) {
            return std::nullopt;
          }
        }
        word += (*text)[at];
      }
    } else {
      const auto end = std::min(text->find(' ', at), text->size());
      word = text->substr(at, end - at);
      at = end;
      if (word.find_first_of(kReserved) != std::string::npos) return std::nullopt;
      if (word.size() == 2 && word[0] == '%' && kFieldCodes.find(word[1]) != std::string::npos) {
        words.push_back(std::move(word));
        continue;
      }
    }
    auto argument = withoutDoubledPercents(word);
    if (!argument) return std::nullopt;
    words.push_back(std::move(*argument));
  }
  if (words.empty()) return std::nullopt;
  return words;
}

}  // namespace plovane::host
