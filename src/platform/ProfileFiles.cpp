// SPDX-License-Identifier: GPL-3.0-or-later
// Profile files on disk. A write reads the whole file, edits it in memory and replaces the
// file through a temporary file in the same directory (written, synced, renamed), so the old
// file stays whole until the new one is complete.
#include "platform/ProfileFiles.h"

#include <cerrno>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A settings file larger than this is not ours to rewrite.
constexpr off_t kMaxProfileFileSize = 16 * 1024 * 1024;

enum class TLoad { Loaded, Missing, Failed };

TLoad LoadFile(const std::string& fileName, std::string& text) {
    text.clear();
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? TLoad::Missing : TLoad::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxProfileFileSize) {
        ::close(fd);
        return TLoad::Failed;
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || static_cast<off_t>(text.size()) + n > kMaxProfileFileSize) {
            ::close(fd);
            text.clear();
            return TLoad::Failed;
        }
        if (n == 0) break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return TLoad::Loaded;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The file a write really replaces: the target of a symbolic link, so the link survives.
std::string WriteTarget(const std::string& fileName) {
    std::error_code ec;
    if (std::filesystem::is_symlink(fileName, ec)) {
        const auto target = std::filesystem::canonical(fileName, ec);
        if (!ec) return target.string();
    }
    return fileName;
}

bool ReplaceFile(const std::string& fileName, const std::string& text) {
    const std::string target = WriteTarget(fileName);
    const std::filesystem::path path(target);
    const std::string dir = path.has_parent_path() ? path.parent_path().string() : std::string(".");
    std::string temp = dir;
    temp.append("/.").append(path.filename().string()).append(".XXXXXX");
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;

    struct stat st {};
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    const bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here leaves a complete file either way.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace

std::string ReadProfileString(const std::string& fileName, std::string_view section,
                              std::string_view key, std::string_view def) {
    std::string text;
    if (LoadFile(fileName, text) != TLoad::Loaded) return ProfileTextRead({}, section, key, def);
    return ProfileTextRead(text, section, key, def);
}

bool LoadProfileText(const std::string& fileName, std::string& text) {
    return LoadFile(fileName, text) != TLoad::Failed;
}

bool ReplaceProfileText(const std::string& fileName, const std::string& text) {
    return ReplaceFile(fileName, text);
}

bool WriteProfileString(const std::string& fileName, std::string_view section, std::string_view key,
                        std::string_view value) {
    std::string text;
    const TLoad load = LoadFile(fileName, text);
    if (load == TLoad::Failed) return false;
    const std::string before = text;
    if (!ProfileTextWrite(text, section, key, value)) return false;
    // A write that changes nothing leaves the file alone.
    if (load == TLoad::Loaded && text == before) return true;
    return ReplaceFile(fileName, text);
}

bool EraseProfileSection(const std::string& fileName, std::string_view section) {
    std::string text;
    switch (LoadFile(fileName, text)) {
    case TLoad::Missing:
        return true;
    case TLoad::Failed:
        return false;
    case TLoad::Loaded:
        break;
    }
    if (!ProfileTextEraseSection(text, section)) return true;
    return ReplaceFile(fileName, text);
}
