#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <cstdint>

namespace kroyna::testing {

// While it lives, no file of this process can grow past `limit` bytes: a
// write beyond it fails with EFBIG (a full disk, as the program sees it).
// Works for root too, where a read-only folder stops nothing.
class FailingWrites {
 public:
  explicit FailingWrites(std::uint64_t limit = 8) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit low = saved_;
    low.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &low);
  }
  ~FailingWrites() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, oldHandler_);
  }
  FailingWrites(const FailingWrites&) = delete;
  FailingWrites& operator=(const FailingWrites&) = delete;

 private:
  rlimit saved_{};
  sighandler_t oldHandler_ = SIG_DFL;
};

}  // namespace kroyna::testing
