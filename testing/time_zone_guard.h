// TimeZoneGuard: sets the process's time zone (TZ) for a scope and restores the one before,
// so a test of dates written in local time gives the same bytes on every machine.
#ifndef FARROWDALE_TESTING_TIME_ZONE_GUARD_H_
#define FARROWDALE_TESTING_TIME_ZONE_GUARD_H_

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace farrowdale::testing_support {

class TimeZoneGuard {
 public:
  explicit TimeZoneGuard(const char* zone) {
    if (const char* old = std::getenv("TZ")) previous_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  TimeZoneGuard(const TimeZoneGuard&) = delete;
  TimeZoneGuard& operator=(const TimeZoneGuard&) = delete;
  ~TimeZoneGuard() {
    if (previous_) {
      setenv("TZ", previous_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> previous_;
};

}  // namespace farrowdale::testing_support

#endif  // FARROWDALE_TESTING_TIME_ZONE_GUARD_H_
