#include "cart/launcher.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "common/program_search.h"

extern char** environ;

namespace romvane {
namespace {

// How much of the end of a program's error output is kept for its last line.
constexpr off_t kErrorTail = 4096;

class SpawnedProcess : public WatchedProcess {
 public:
  SpawnedProcess(pid_t pid, int errors) : pid_(pid), errors_(errors) {}
  ~SpawnedProcess() override {
    // A script still running at the end of the wait is left to itself.
    if (!ended_) waitpid(pid_, nullptr, WNOHANG);
    if (errors_ >= 0) close(errors_);
  }

  bool WaitForExit(int milliseconds) override {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
      if (ended_) return true;
      int status = 0;
      if (const pid_t done = waitpid(pid_, &status, WNOHANG); done != 0) {
        if (done == pid_ && WIFEXITED(status)) status_ = WEXITSTATUS(status);
        return ended_ = true;
      }
      if (std::chrono::steady_clock::now() >= deadline) return false;
      const timespec step{0, 1000000};  // a millisecond: the end is seen at once
      nanosleep(&step, nullptr);
    }
  }

  int ExitStatus() const override { return status_; }

  std::string LastErrorLine() const override {
    if (errors_ < 0) return {};
    const off_t size = lseek(errors_, 0, SEEK_END);
    if (size <= 0) return {};
    const off_t from = size > kErrorTail ? size - kErrorTail : 0;
    std::string tail(static_cast<size_t>(size - from), '\0');
    const ssize_t got = pread(errors_, tail.data(), tail.size(), from);
    tail.resize(got > 0 ? static_cast<size_t>(got) : 0);
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r')) tail.pop_back();
    const size_t start = tail.find_last_of('\n');
    return start == std::string::npos ? tail : tail.substr(start + 1);
  }

 private:
  pid_t pid_;
  int errors_;
  bool ended_ = false;
  int status_ = -1;
};

// A file without a name in the temporary folder, gone when its last descriptor closes.
int UnnamedTemporaryFile() {
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/romvane-make-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd >= 0) unlink(pattern.c_str());
  return fd;
}

}  // namespace

StartedProcess SpawnWatched(const Command& command, bool keepErrors) {
  const int errors = keepErrors ? UnnamedTemporaryFile() : -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2}) {
    if (fd == 2 && errors >= 0) {
      posix_spawn_file_actions_adddup2(&actions, errors, 2);
    } else {
      posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    }
  }
  // A relative program path names a file in the caller's folder, not in the one the child
  // changes into first.
  const std::string program = command.program.find('/') != std::string::npos
                                  ? common::AbsolutePath(command.program)
                                  : command.program;
  if (!command.workingDir.empty())
    posix_spawn_file_actions_addchdir_np(&actions, command.workingDir.c_str());
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : command.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    if (errors >= 0) close(errors);
    return {};
  }
  return {true, std::make_unique<SpawnedProcess>(pid, errors)};
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  const char last = dir.back();
  return last == '/' || last == '\\' ? dir + name : dir + "/" + name;
}

}  // namespace romvane
