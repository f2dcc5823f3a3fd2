#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace corvid {

InstanceLock::~InstanceLock() { release(); }

bool InstanceLock::acquire(const std::string& name) {
  release();
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  path_ = std::string(dir && *dir ? dir : "/tmp") + "/" + name + ".lock";
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return false;
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

void InstanceLock::release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace corvid
