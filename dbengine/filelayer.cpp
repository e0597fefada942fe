// File layer: the operating system's calls, and the switch a test uses to
// put another layer in force. See filelayer.h.
#include "dbengine/filelayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

namespace ffdetail {

namespace {
FileLayer gSystem;
FileLayer* gCurrent = &gSystem;
}  // namespace

int FileLayer::Open(const std::string& path, int flags, mode_t mode) {
  return ::open(path.c_str(), flags | O_CLOEXEC, mode);
}

int FileLayer::Close(int fd) { return ::close(fd); }

ssize_t FileLayer::PRead(int fd, void* buf, size_t n, uint64_t offset) {
  return ::pread(fd, buf, n, static_cast<off_t>(offset));
}

ssize_t FileLayer::PWriteV(int fd, const iovec* iov, int count, uint64_t offset) {
  return ::pwritev(fd, iov, count, static_cast<off_t>(offset));
}

int FileLayer::DataSync(int fd) { return ::fdatasync(fd); }

int FileLayer::Truncate(int fd, uint64_t size) { return ::ftruncate(fd, static_cast<off_t>(size)); }

int FileLayer::Allocate(int fd, uint64_t offset, uint64_t length) {
  return posix_fallocate(fd, static_cast<off_t>(offset), static_cast<off_t>(length));
}

int64_t FileLayer::Size(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return -1;
  return st.st_size;
}

int FileLayer::Unlink(const std::string& path) { return ::unlink(path.c_str()); }

void FileLayer::SyncDirOf(const std::string& path) {
  const std::string dir = FolderPart(path);
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

FileLayer& Files() { return *gCurrent; }

ScopedFileLayer::ScopedFileLayer(FileLayer& layer) : previous_(gCurrent) { gCurrent = &layer; }
ScopedFileLayer::~ScopedFileLayer() { gCurrent = previous_; }

int WriteAll(int fd, const iovec* iov, int count, uint64_t offset) {
  // A short write leaves the rest of the pieces to go; copy them so that
  // the first one can be advanced.
  std::vector<iovec> rest(iov, iov + count);
  size_t at = 0;
  while (at < rest.size()) {
    int n = static_cast<int>(std::min<size_t>(rest.size() - at, IOV_MAX));
    ssize_t done = Files().PWriteV(fd, rest.data() + at, n, offset);
    if (done < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (done == 0) return EIO;
    offset += static_cast<uint64_t>(done);
    size_t left = static_cast<size_t>(done);
    while (left > 0 && left >= rest[at].iov_len) left -= rest[at++].iov_len;
    if (left > 0) {
      rest[at].iov_base = static_cast<char*>(rest[at].iov_base) + left;
      rest[at].iov_len -= left;
    }
    while (at < rest.size() && rest[at].iov_len == 0) ++at;
  }
  return 0;
}

int WriteAll(int fd, const void* data, size_t size, uint64_t offset) {
  iovec v{const_cast<void*>(data), size};
  return WriteAll(fd, &v, 1, offset);
}

ssize_t ReadAll(int fd, void* data, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = Files().PRead(fd, static_cast<char*>(data) + done, size - done, offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

std::string FolderPart(const std::string& path) { return path.substr(0, path.size() - NamePart(path).size()); }

std::string NamePart(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

}  // namespace ffdetail
