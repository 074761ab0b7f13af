#include "download/PartFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <sstream>
#include <utility>

#include "download/WriteFailure.h"

namespace {

// Far more than one folder ever holds of one book; the bound only ends the search.
constexpr int MaxParts = 1000;
// Parts that ended free their numbers; the search goes on past a few free ones.
constexpr int MaxGaps = 8;
constexpr std::size_t MaxNoteBytes = 16 * 1024;

std::filesystem::path PartPath(const std::filesystem::path& folder, const std::string& name, int number)
{
    const std::string numbered = number == 1 ? name : name + " (" + std::to_string(number) + ")";
    return folder / (numbered + ".txt.part");
}

std::filesystem::path NotePath(const std::filesystem::path& part)
{
    return std::filesystem::path(part.string() + ".resume");
}

bool Exists(const std::filesystem::path& path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0 || errno != ENOENT;
}

struct Note {
    std::string address;
    std::string validator;
    std::optional<std::uint64_t> size;
};

std::optional<Note> ReadNote(const std::filesystem::path& part)
{
    const int descriptor = open(NotePath(part).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    std::string text(MaxNoteBytes, '\0');
    const ssize_t length = read(descriptor, text.data(), text.size());
    close(descriptor);
    if (length <= 0)
        return std::nullopt;
    text.resize(static_cast<std::size_t>(length));
    std::istringstream lines(text);
    Note note;
    std::string size;
    if (!std::getline(lines, note.address) || !std::getline(lines, note.validator) || !std::getline(lines, size))
        return std::nullopt;
    if (!size.empty()) {
        std::uint64_t value = 0;
        const auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), value);
        if (error != std::errc() || end != size.data() + size.size())
            return std::nullopt;
        note.size = value;
    }
    return note;
}

// An open regular file that this process now holds alone; -1 otherwise.
int OpenAndLock(const std::filesystem::path& path, int flags)
{
    const int descriptor = open(path.c_str(), flags | O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return -1;
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(descriptor);
        errno = error;
        return -1;
    }
    return descriptor;
}

}  // namespace

std::optional<PartFile> PartFile::Find(const std::filesystem::path& folder, const std::string& name,
                                       const std::string& address)
{
    for (int number = 1, gaps = 0; number <= MaxParts && gaps < MaxGaps; ++number) {
        const std::filesystem::path path = PartPath(folder, name, number);
        if (!Exists(path) && !Exists(NotePath(path))) {
            ++gaps;
            continue;
        }
        gaps = 0;
        const auto note = ReadNote(path);
        if (!note || note->address != address)
            continue;
        const int descriptor = OpenAndLock(path, 0);
        if (descriptor < 0)
            continue;
        PartFile part(path, descriptor, address);
        struct stat status;
        fstat(descriptor, &status);
        part.size_ = static_cast<std::uint64_t>(status.st_size);
        part.validator_ = note->validator;
        part.declaredSize_ = note->size;
        return part;
    }
    return std::nullopt;
}

PartFile PartFile::Create(const std::filesystem::path& folder, const std::string& name, const std::string& address)
{
    for (int number = 1; number <= MaxParts; ++number) {
        const std::filesystem::path path = PartPath(folder, name, number);
        if (Exists(NotePath(path)))
            continue;
        const int descriptor = OpenAndLock(path, O_CREAT | O_EXCL);
        if (descriptor < 0) {
            if (errno == EEXIST)
                continue;
            ThrowWriteFailure(errno);
        }
        PartFile part(path, descriptor, address);
        try {
            part.WriteNote();
        } catch (...) {
            unlink(path.c_str());
            throw;
        }
        return part;
    }
    ThrowWriteFailure(EEXIST);
}

PartFile::PartFile(std::filesystem::path path, int descriptor, std::string address)
    : path_(std::move(path)), descriptor_(descriptor), address_(std::move(address))
{
}

PartFile::PartFile(PartFile&& other) noexcept
    : path_(std::move(other.path_)),
      descriptor_(std::exchange(other.descriptor_, -1)),
      address_(std::move(other.address_)),
      validator_(std::move(other.validator_)),
      declaredSize_(other.declaredSize_),
      size_(other.size_)
{
}

PartFile& PartFile::operator=(PartFile&& other) noexcept
{
    if (this != &other) {
        Close();
        path_ = std::move(other.path_);
        descriptor_ = std::exchange(other.descriptor_, -1);
        address_ = std::move(other.address_);
        validator_ = std::move(other.validator_);
        declaredSize_ = other.declaredSize_;
        size_ = other.size_;
    }
    return *this;
}

PartFile::~PartFile()
{
    Close();
}

void PartFile::Close()
{
    if (descriptor_ >= 0)
        close(descriptor_);
    descriptor_ = -1;
}

void PartFile::Describe(const std::string& validator, std::optional<std::uint64_t> declaredSize)
{
    validator_ = validator;
    declaredSize_ = declaredSize;
    WriteNote();
}

void PartFile::WriteNote()
{
    std::string text = address_ + "\n" + validator_ + "\n"
                       + (declaredSize_ ? std::to_string(*declaredSize_) : std::string()) + "\n";
    const std::filesystem::path note = NotePath(path_);
    // Written whole under a new name and moved over the old note, so a crash leaves one or the other.
    const std::filesystem::path fresh(note.string() + ".new");
    unlink(fresh.c_str());
    const int descriptor = open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (descriptor < 0)
        ThrowWriteFailure(errno);
    const ssize_t written = write(descriptor, text.data(), text.size());
    const int error = written < 0 ? errno : ENOSPC;
    close(descriptor);
    if (written != static_cast<ssize_t>(text.size()) || rename(fresh.c_str(), note.c_str()) != 0) {
        const int failure = written == static_cast<ssize_t>(text.size()) ? errno : error;
        unlink(fresh.c_str());
        ThrowWriteFailure(failure);
    }
}

void PartFile::Append(const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = write(descriptor_, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ThrowWriteFailure(errno);
        }
        data += written;
        length -= static_cast<std::size_t>(written);
        size_ += static_cast<std::uint64_t>(written);
    }
}

void PartFile::StartOver()
{
    if (ftruncate(descriptor_, 0) != 0)
        ThrowWriteFailure(errno);
    size_ = 0;
    validator_.clear();
    declaredSize_.reset();
}

void PartFile::Remove()
{
    unlink(path_.c_str());
    RemoveNote();
    Close();
}

void PartFile::RemoveNote()
{
    unlink(NotePath(path_).c_str());
}
