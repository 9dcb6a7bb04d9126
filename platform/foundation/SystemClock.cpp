#include <chrono>

#include "platform/RunLoop.h"

namespace platform {

PlistDate systemNow() {
  using namespace std::chrono;
  const double unixSeconds =
      duration_cast<duration<double>>(system_clock::now().time_since_epoch()).count();
  return {unixSeconds - kPlistEpochUnixSeconds};
}

}  // namespace platform
