#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plovane::host {

// The Exec= lines of what `install` writes, each in its own reader's terms, and those readers, so
// that a written line is read back before it is trusted. A bus service file's value is unescaped
// (\s \t \n \r \\, nothing else) and then split as a shell would split it, without expansions; a
// desktop entry's value is unescaped alike, then split into words that are either plain (no
// reserved character) or double-quoted with \" \` \$ \\ escaped, and "%%" stands for "%" where
// "%f" and its kind are field codes. Both files must be UTF-8, and a desktop entry's values hold
// no control character.

// The value for `arguments`, each one quoted. Throws std::runtime_error naming an argument that
// cannot be written there.
std::string serviceExec(const std::vector<std::string>& arguments);
// The arguments the bus reads from a value; absent where it refuses the value.
std::optional<std::vector<std::string>> readServiceExec(std::string_view value);

// The value for `arguments`, each one quoted, then the `fieldCodes` ("%f"). Throws
// std::runtime_error naming an argument that cannot be written there.
std::string desktopExec(const std::vector<std::string>& arguments,
                        std::string_view fieldCodes = {});
// `text` as a desktop entry's plain string value (an Icon's path). Throws std::runtime_error when
// it cannot be written there.
std::string desktopString(std::string_view text);

// The arguments a desktop reads from a value, its field codes as they are written ("%f"); absent
// where the value breaks the format.
std::optional<std::vector<std::string>> readDesktopExec(std::string_view value);

}  // namespace plovane::host
