#include "platform/SystemLog.h"

namespace platform {

std::string formatLog(std::string_view format, std::initializer_list<std::string_view> arguments) {
  std::string line;
  auto argument = arguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format.compare(i, 2, "%@") == 0 && argument != arguments.end()) {
      line += *argument++;
      ++i;
    } else {
      line += format[i];
    }
  }
  return line;
}

}  // namespace platform
