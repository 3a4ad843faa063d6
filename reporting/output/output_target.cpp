#include "BomOutputTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "output/temporary_files.h"

namespace bomreport {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

void checkOutputIsNoInput(const std::string& outputPath,
                          const std::vector<std::string>& inputPaths) {
  if (outputPath.empty()) return;
  struct stat output;
  if (::stat(outputPath.c_str(), &output) != 0) {
    struct stat link;
    if (::lstat(outputPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
      std::error_code error;
      const std::string target = std::filesystem::read_symlink(outputPath, error).string();
      throw InputError(outputPath, "is a symbolic link to \"" + target +
                                       "\", which does not exist: refusing to write through it");
    }
    return;  // a new file
  }
  for (const std::string& input : inputPaths) {
    if (input.empty()) continue;
    struct stat info;
    const int found = input == "-" ? ::fstat(STDIN_FILENO, &info) : ::stat(input.c_str(), &info);
    if (found == 0 && info.st_dev == output.st_dev && info.st_ino == output.st_ino) {
      throw InputError(outputPath, input == "-"
                                       ? "refusing to write the output over standard input, "
                                         "which is the same file"
                                       : "refusing to write the output over an input file");
    }
  }
}

OutputTarget::OutputTarget(std::string path) : path_(std::move(path)) {}

OutputTarget::~OutputTarget() {
  // guard_, destroyed after this body, lets go of the path once it is gone.
  if (file_ && !committed_ && !direct_) {
    file_->close();
    ::unlink(tempPath_.c_str());
  }
}

void OutputTarget::openDirect() {
  direct_ = true;
  buffer_.reset(new char[kBufferSize]);
  file_.reset(new std::ofstream());
  file_->rdbuf()->pubsetbuf(buffer_.get(), kBufferSize);
  file_->open(path_, std::ios::binary | std::ios::trunc);
  if (!*file_) throw OutputError(systemError(path_ + ": cannot open"));
}

void OutputTarget::open() {
  namespace fs = std::filesystem;
  // A device or a pipe (/dev/null, a FIFO) cannot be replaced: write to it.
  struct stat existing;
  const bool exists = ::stat(path_.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    openDirect();
    return;
  }
  // Replace the file a symbolic link names, not the link.
  std::error_code error;
  const fs::path target = exists ? fs::canonical(path_, error) : fs::path(path_);
  if (error) throw OutputError(path_ + ": " + error.message());
  finalPath_ = target.string();
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // A name of our own beside the target; O_EXCL makes sure it is new, and the
  // mode 0666 lets the umask decide the permissions as for any new file.
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    tempPath_ = (dir / ("." + target.filename().string() + ".tmp." + std::to_string(::getpid()) +
                        "." + std::to_string(attempt)))
                    .string();
    fd = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) throw OutputError(systemError(path_ + ": cannot create a temporary file"));
  guard_.reset(new TemporaryFile(tempPath_));
  if (exists) ::fchmod(fd, existing.st_mode & 07777);
  ::close(fd);
  buffer_.reset(new char[kBufferSize]);
  file_.reset(new std::ofstream());
  file_->rdbuf()->pubsetbuf(buffer_.get(), kBufferSize);
  file_->open(tempPath_, std::ios::binary | std::ios::trunc);
  if (!*file_) {
    ::unlink(tempPath_.c_str());
    file_.reset();
    throw OutputError(path_ + ": cannot open the temporary file");
  }
}

std::ostream& OutputTarget::stream() {
  if (path_.empty()) return std::cout;
  if (!file_) open();
  return *file_;
}

void OutputTarget::commit() {
  if (path_.empty()) {
    std::cout.flush();
    if (!std::cout) throw OutputError("standard output: write error");
    return;
  }
  stream();  // an empty report still replaces the file
  file_->flush();
  const bool written = static_cast<bool>(*file_);
  file_->close();
  if (!written || !*file_) throw OutputError(path_ + ": write error");
  committed_ = direct_;
  if (direct_) return;
  if (std::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
    throw OutputError(systemError(path_ + ": cannot rename the temporary file into place"));
  }
  committed_ = true;
}

}  // namespace bomreport
