// File layers for the engine tests: one that counts what goes where, one
// of a full disk, one that kills the process at a chosen write, and one
// that plays a power cut: at a chosen moment every write that no sync
// has made durable is lost (the one in progress may land in part), as are
// files whose directory entry was never synced.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "dbengine/filelayer.h"

namespace dbtest {

// Counts the bytes written and the write calls per file name.
class CountingLayer : public ffdetail::FileLayer {
public:
  struct Counts {
    uint64_t Bytes = 0;
    int Calls = 0;
    int Syncs = 0;
  };
  int Open(const std::string& path, int flags, mode_t mode) override {
    int fd = FileLayer::Open(path, flags, mode);
    if (fd >= 0) names_[fd] = path;
    return fd;
  }
  int Close(int fd) override {
    names_.erase(fd);
    return FileLayer::Close(fd);
  }
  ssize_t PWriteV(int fd, const iovec* iov, int count, uint64_t offset) override {
    ssize_t n = FileLayer::PWriteV(fd, iov, count, offset);
    if (n > 0) {
      counts_[Name(fd)].Bytes += static_cast<uint64_t>(n);
      ++counts_[Name(fd)].Calls;
    }
    return n;
  }
  int DataSync(int fd) override {
    ++counts_[Name(fd)].Syncs;
    return FileLayer::DataSync(fd);
  }
  Counts Of(const std::string& path) { return counts_[path]; }
  void Reset() { counts_.clear(); }

private:
  // Files opened before the layer came into force are named by the system.
  std::string Name(int fd) {
    auto it = names_.find(fd);
    if (it != names_.end()) return it->second;
    char buf[4096];
    ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), buf, sizeof buf);
    return names_[fd] = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
  }
  std::map<int, std::string> names_;
  std::map<std::string, Counts> counts_;
};

// A disk with no space left: nothing grows and nothing is written.
class FullDiskLayer : public ffdetail::FileLayer {
public:
  ssize_t PWriteV(int, const iovec*, int, uint64_t) override {
    errno = ENOSPC;
    return -1;
  }
  int Allocate(int, uint64_t, uint64_t) override { return ENOSPC; }
};

// A disk whose n-th write from now fails with `err` (EIO, ENOSPC).
struct FailingWriteLayer : ffdetail::FileLayer {
  FailingWriteLayer(long n, int err) : Left(n), Err(err) {}
  ssize_t PWriteV(int fd, const iovec* iov, int count, uint64_t offset) override {
    return --Left == 0 ? (errno = Err, -1) : FileLayer::PWriteV(fd, iov, count, offset);
  }
  long Left;
  int Err;
};

// Ends the process, as a kill would, at the n-th change of a file (a
// write, sync, size change or removal; the change not made); what was
// written before stays.
class KillLayer : public ffdetail::FileLayer {
public:
  static constexpr int kKilled = 42;  // the process's exit status
  explicit KillLayer(long n) : left_(n) {}
  ssize_t PWriteV(int fd, const iovec* iov, int count, uint64_t offset) override {
    return Tick(), FileLayer::PWriteV(fd, iov, count, offset);
  }
  int DataSync(int fd) override { return Tick(), FileLayer::DataSync(fd); }
  int Truncate(int fd, uint64_t size) override { return Tick(), FileLayer::Truncate(fd, size); }
  int Unlink(const std::string& path) override { return Tick(), FileLayer::Unlink(path); }
  void SyncDirOf(const std::string& path) override { Tick(), FileLayer::SyncDirOf(path); }

private:
  void Tick() {
    if (--left_ == 0) _exit(kKilled);
  }
  long left_;
};

// Thrown by the power-cut layer at the moment of the cut.
struct PowerCut {};

class PowerCutLayer : public ffdetail::FileLayer {
public:
  explicit PowerCutLayer(unsigned seed) : rng_(seed) {}

  // The cut comes with the n-th change from now (a write, sync, size
  // change or directory sync); 0 disarms.
  void CutAfter(long n) { countdown_ = n; }
  // Cuts at once (between two calls of the engine).
  [[noreturn]] void CutNow() {
    dead_ = true;
    throw PowerCut{};
  }
  bool Dead() const { return dead_; }

  // Once every object of the engine is gone: lays down each file as the
  // disk holds it after the cut. `reorder`: the disk may also have kept
  // any of the unsynced writes, in any mix, instead of none.
  void Restore(bool reorder) {
    for (auto it = files_.begin(); it != files_.end();) {
      const std::string& path = it->first;
      State& st = it->second;
      std::string content = st.Durable;
      for (const Op& op : st.Pending)
        if (reorder && rng_() % 2) Apply(content, op, false);
      if (st.Torn) Apply(content, *st.Torn, true);
      st.Torn.reset();
      st.Pending.clear();
      st.Durable = content;
      if (st.DurableExists) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        ++it;
      } else {
        ::unlink(path.c_str());
        it = files_.erase(it);
      }
    }
    dead_ = false;
    countdown_ = 0;
  }

  int Open(const std::string& path, int flags, mode_t mode) override {
    struct stat sb;
    bool existed = ::stat(path.c_str(), &sb) == 0;
    int fd = FileLayer::Open(path, flags, mode);
    if (fd < 0) return fd;
    fds_[fd] = path;
    auto it = files_.find(path);
    if (it == files_.end() || !it->second.Live) {
      // A file met for the first time is taken as durable as it stands (the
      // test made it, or the last cut laid it down); one made now is not,
      // until its directory is synced.
      State st;
      st.Live = true;
      st.DurableExists = existed;
      if (existed) st.Durable = ReadFile(path);
      files_[path] = std::move(st);
    }
    return fd;
  }
  int Close(int fd) override {
    fds_.erase(fd);
    return FileLayer::Close(fd);
  }
  ssize_t PWriteV(int fd, const iovec* iov, int count, uint64_t offset) override {
    std::string data;
    for (int i = 0; i < count; ++i) data.append(static_cast<const char*>(iov[i].iov_base), iov[i].iov_len);
    if (dead_) return static_cast<ssize_t>(data.size());
    State& st = files_[fds_[fd]];
    if (Tick()) {
      if (rng_() % 2) st.Torn = Op{Op::Write, offset, std::move(data)};
      CutNow();
    }
    ssize_t n = FileLayer::PWriteV(fd, iov, count, offset);
    if (n > 0) {
      data.resize(static_cast<size_t>(n));
      st.Pending.push_back({Op::Write, offset, std::move(data)});
    }
    return n;
  }
  int DataSync(int fd) override {
    if (dead_) return 0;
    if (Tick()) CutNow();
    State& st = files_[fds_[fd]];
    for (const Op& op : st.Pending) Apply(st.Durable, op, false);
    st.Pending.clear();
    ++syncs_;
    return 0;  // the real disk needs no sync for this
  }
  int Truncate(int fd, uint64_t size) override {
    if (dead_) return 0;
    if (Tick()) CutNow();
    int r = FileLayer::Truncate(fd, size);
    if (r == 0) files_[fds_[fd]].Pending.push_back({Op::Resize, size, {}});
    return r;
  }
  int Allocate(int fd, uint64_t offset, uint64_t length) override {
    if (dead_) return 0;
    if (Tick()) CutNow();
    int64_t before = FileLayer::Size(fd);
    int r = FileLayer::Allocate(fd, offset, length);
    if (r == 0 && static_cast<uint64_t>(before) < offset + length)
      files_[fds_[fd]].Pending.push_back({Op::Resize, offset + length, {}});
    return r;
  }
  int Unlink(const std::string& path) override {
    if (dead_) return 0;
    if (Tick()) CutNow();
    // Removing a spent journal is harmless either way; it counts as done.
    files_.erase(path);
    return FileLayer::Unlink(path);
  }
  void SyncDirOf(const std::string& path) override {
    if (dead_) return;
    if (Tick()) CutNow();
    std::string dir = path.substr(0, path.find_last_of('/') + 1);
    for (auto& [p, st] : files_)
      if (p.compare(0, dir.size(), dir) == 0 && st.Live) st.DurableExists = true;
  }

  long Syncs() const { return syncs_; }

private:
  struct Op {
    enum Kind { Write, Resize } What;
    uint64_t At;  // offset, or the new size
    std::string Data;
  };
  struct State {
    bool Live = false;           // known to exist in the running system
    bool DurableExists = false;  // its directory entry survives a cut
    std::string Durable;         // contents a cut leaves
    std::vector<Op> Pending;     // changes since the last sync, in order
    std::optional<Op> Torn;      // the write under way at the cut
  };

  bool Tick() { return countdown_ > 0 && --countdown_ == 0; }

  // Applies one change; a torn write lands only in some of its 512-byte
  // sectors.
  void Apply(std::string& content, const Op& op, bool torn) {
    if (op.What == Op::Resize) {
      content.resize(op.At, '\0');
      return;
    }
    if (content.size() < op.At + op.Data.size()) content.resize(op.At + op.Data.size(), '\0');
    for (size_t s = 0; s < op.Data.size(); s += 512) {
      if (torn && rng_() % 2) continue;
      size_t n = std::min<size_t>(512, op.Data.size() - s);
      std::memcpy(content.data() + op.At + s, op.Data.data() + s, n);
    }
  }

  static std::string ReadFile(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }

  std::mt19937 rng_;
  long countdown_ = 0;
  bool dead_ = false;
  long syncs_ = 0;
  std::map<int, std::string> fds_;
  std::map<std::string, State> files_;
};

}  // namespace dbtest
