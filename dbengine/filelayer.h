// File layer: every read, write, sync and size change of a table file and
// its journal goes through here. The base class is the operating system's
// file interface; a test puts another layer in place (one that forgets
// unsynced writes at a power cut, say) with ScopedFileLayer.
//
// Calls report errors the way the system calls do (-1 and errno, or an
// error number for Allocate); WriteAll and ReadAll wrap the loops that
// every caller needs. The layer holds no state of its own: replacing it
// while no table is open is always safe.
#pragma once

#include <sys/types.h>
#include <sys/uio.h>

#include <cstdint>
#include <string>

namespace ffdetail {

class FileLayer {
public:
  virtual ~FileLayer() = default;
  virtual int Open(const std::string& path, int flags, mode_t mode);
  virtual int Close(int fd);
  virtual ssize_t PRead(int fd, void* buf, size_t n, uint64_t offset);
  virtual ssize_t PWriteV(int fd, const iovec* iov, int count, uint64_t offset);
  virtual int DataSync(int fd);
  virtual int Truncate(int fd, uint64_t size);
  // Reserves [offset, offset + length); returns 0 or an error number.
  virtual int Allocate(int fd, uint64_t offset, uint64_t length);
  virtual int64_t Size(int fd);  // -1 on error
  virtual int Unlink(const std::string& path);
  // Makes the directory entries of the folder holding `path` durable.
  virtual void SyncDirOf(const std::string& path);
};

// The layer in force.
FileLayer& Files();

// Puts `layer` in force for its lifetime (not thread-safe: for tests).
class ScopedFileLayer {
public:
  explicit ScopedFileLayer(FileLayer& layer);
  ~ScopedFileLayer();
  ScopedFileLayer(const ScopedFileLayer&) = delete;
  ScopedFileLayer& operator=(const ScopedFileLayer&) = delete;

private:
  FileLayer* previous_;
};

// Writes all of the pieces at `offset` (in runs of at most IOV_MAX);
// returns 0 or the error number.
int WriteAll(int fd, const iovec* iov, int count, uint64_t offset);
int WriteAll(int fd, const void* data, size_t size, uint64_t offset);
// The folder part of a path with its '/' ("" for a bare name), and the
// name after it.
std::string FolderPart(const std::string& path);
std::string NamePart(const std::string& path);

// Reads up to `size` bytes; returns the number read (short at the file's
// end) or -1 with errno set.
ssize_t ReadAll(int fd, void* data, size_t size, uint64_t offset);

}  // namespace ffdetail
