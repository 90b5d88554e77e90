#include "cart/launcher.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

namespace romvane {
namespace {

class SpawnedProcess : public WatchedProcess {
 public:
  explicit SpawnedProcess(pid_t pid) : pid_(pid) {}
  ~SpawnedProcess() override {
    // A script still running at the end of the wait is left to itself.
    if (!ended_) waitpid(pid_, nullptr, WNOHANG);
  }

  bool WaitForExit(int milliseconds) override {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
      if (ended_ || waitpid(pid_, nullptr, WNOHANG) != 0) return ended_ = true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      const timespec step{0, 1000000};  // a millisecond: the end is seen at once
      nanosleep(&step, nullptr);
    }
  }

 private:
  pid_t pid_;
  bool ended_ = false;
};

}  // namespace

StartedProcess SpawnWatched(const Command& command) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2})
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  if (!command.workingDir.empty())
    posix_spawn_file_actions_addchdir_np(&actions, command.workingDir.c_str());
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(command.program.c_str()));
  for (const std::string& a : command.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int failed =
      posix_spawnp(&pid, command.program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return {};
  return {true, std::make_unique<SpawnedProcess>(pid)};
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  const char last = dir.back();
  return last == '/' || last == '\\' ? dir + name : dir + "/" + name;
}

}  // namespace romvane
