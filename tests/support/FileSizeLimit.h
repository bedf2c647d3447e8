#pragma once

#include <csignal>
#include <sys/resource.h>

namespace vortan::test {

// While it lives, no file of this process may grow past `bytes`: writes beyond fail as
// on a full disk, whoever runs the tests (permission bits would not stop the superuser).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        const rlimit small{bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    void (*handler_)(int);
    rlimit saved_{};
};

} // namespace vortan::test
