#pragma once
// The single-instance lock: an flock on "<name>.lock" in $XDG_RUNTIME_DIR (or /tmp). The lock
// is held as long as the object lives; the kernel drops it when the process ends, however it
// ends, so a crashed engine never blocks the next start.

#include <string>

namespace corvid {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // False when another process holds the lock (or the lock file cannot be made).
  bool acquire(const std::string& name);
  void release();
  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace corvid
