// A full disk for the duration of a scope: files this process writes cannot grow beyond Bytes
// (writes past it fail as on a full disk, and the signal that would end the process is
// ignored meanwhile).
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace testing_support {

class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit l = FOld;
    l.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &l);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
  rlimit FOld{};
  void (*FOldHandler)(int) = nullptr;
};

}  // namespace testing_support
