// The small progress window of conversions and outputs, as seen by the logic.
#pragma once

namespace tilvex {

class Progress {
 public:
  virtual ~Progress() = default;
  // Opens the window with a bar from low to high advancing by step.
  virtual void Open(int /*low*/, int /*high*/, int /*step*/) {}
  virtual void SetText(const char* /*text*/) {}
  virtual void Step() {}
  virtual void Close() {}
  // True once the user asked to stop; long operations look at it between steps.
  virtual bool Cancelled() { return false; }
};

// Shows nothing; used where no window is wanted.
inline Progress& NoProgress() {
  static Progress none;
  return none;
}

// Closes the window on every way out of an operation.
class ProgressScope {
 public:
  ProgressScope(Progress& progress, int low, int high, int step) : progress_(progress) {
    progress_.Open(low, high, step);
  }
  ~ProgressScope() { progress_.Close(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
  Progress& operator*() { return progress_; }
  Progress* operator->() { return &progress_; }

 private:
  Progress& progress_;
};

}  // namespace tilvex
