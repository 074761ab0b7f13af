#include "download/SavedBook.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "download/EncodingDetector.h"
#include "download/TextConverter.h"
#include "download/WriteFailure.h"

namespace {

constexpr std::size_t PieceBytes = 256 * 1024;
constexpr int MaxNames = 10000;

// A file of the folder's own for the converted text, deleted again unless committed.
class TemporaryFile {
public:
    // Created exclusively with the mode the umask allows, as the book itself should
    // be: mkstemp's owner-only mode would carry over to the saved book.
    explicit TemporaryFile(const std::filesystem::path& part)
    {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = part.string() + "." + std::to_string(random());
            descriptor_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (descriptor_ >= 0)
                return;
            if (errno != EEXIST)
                break;
        }
        ThrowWriteFailure(errno);
    }
    ~TemporaryFile()
    {
        close(descriptor_);
        if (!committed_)
            unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void Write(const std::string& bytes)
    {
        for (std::size_t at = 0; at < bytes.size();) {
            const ssize_t written = write(descriptor_, bytes.data() + at, bytes.size() - at);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                ThrowWriteFailure(errno);
            }
            at += static_cast<std::size_t>(written);
        }
    }
    void Empty()
    {
        if (ftruncate(descriptor_, 0) != 0 || lseek(descriptor_, 0, SEEK_SET) != 0)
            ThrowWriteFailure(errno);
    }
    const std::filesystem::path& Path() const { return path_; }
    void Committed() { committed_ = true; }

private:
    int descriptor_;
    std::filesystem::path path_;
    bool committed_ = false;
};

// Reads the part from skip on, piece by piece, until take says enough.
template <typename Take>
void ReadPart(const PartFile& part, std::size_t skip, const std::atomic<bool>& stop, const Take& take)
{
    std::string piece(PieceBytes, '\0');
    off_t offset = static_cast<off_t>(skip);
    for (;;) {
        if (stop)
            throw SaveStopped();
        const ssize_t length = pread(part.Descriptor(), piece.data(), piece.size(), offset);
        if (length < 0) {
            if (errno == EINTR)
                continue;
            ThrowWriteFailure(errno);
        }
        if (length == 0)
            return;
        offset += length;
        if (!take(std::string_view(piece.data(), static_cast<std::size_t>(length))))
            return;
    }
}

const char* TargetName(SavedEncoding encoding)
{
    return encoding == SavedEncoding::Gb18030 ? "GB18030" : "UTF-8";
}

// Converts the part from source into target; false when the text does not decode.
bool Convert(const PartFile& part, const EncodingDetector::Verdict& verdict, const std::string& source,
             SavedEncoding encoding, const std::atomic<bool>& stop, TemporaryFile& target)
{
    std::optional<TextConverter> converter;
    try {
        converter.emplace(source, TargetName(encoding));
    } catch (const std::runtime_error&) {
        return false;
    }
    std::string out;
    if (encoding == SavedEncoding::Utf8Bom)
        out = "\xEF\xBB\xBF";
    bool decoded = true;
    ReadPart(part, verdict.byteOrderMark, stop, [&](std::string_view piece) {
        decoded = converter->Convert(piece, out);
        if (decoded) {
            target.Write(out);
            out.clear();
        }
        return decoded;
    });
    if (!decoded || !converter->Finish(out))
        return false;
    target.Write(out);
    return true;
}

}  // namespace

std::filesystem::path CommitUnderFreeName(const std::filesystem::path& file, const std::filesystem::path& folder,
                                          const std::string& name)
{
    for (int number = 1; number <= MaxNames; ++number) {
        const std::filesystem::path target =
            folder / ((number == 1 ? name : name + " (" + std::to_string(number) + ")") + ".txt");
        if (renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return target;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS)
            ThrowWriteFailure(errno);
        // A file system without exclusive rename: a hard link is exclusive too.
        if (link(file.c_str(), target.c_str()) == 0) {
            unlink(file.c_str());
            return target;
        }
        if (errno != EEXIST)
            ThrowWriteFailure(errno);
    }
    ThrowWriteFailure(EEXIST);
}

SavedBook SaveBook(PartFile& part, const std::string& name, SavedEncoding encoding, const std::atomic<bool>& stop)
{
    const std::filesystem::path folder = part.Path().parent_path();
    SavedBook saved;
    if (encoding != SavedEncoding::Original) {
        EncodingDetector detector;
        ReadPart(part, 0, stop, [&](std::string_view piece) {
            detector.Feed(piece);
            return !detector.Settled();
        });
        const EncodingDetector::Verdict verdict = detector.Decide();
        // UTF-8 without a mark is already what was asked for.
        const bool alreadyUtf8 = encoding == SavedEncoding::Utf8 && verdict.byteOrderMark == 0
                                 && verdict.candidates == std::vector<std::string>{"UTF-8"};
        if (!alreadyUtf8) {
            TemporaryFile target(part.Path());
            for (const std::string& source : verdict.candidates) {
                if (Convert(part, verdict, source, encoding, stop, target)) {
                    if (stop)
                        throw SaveStopped();
                    saved.file = CommitUnderFreeName(target.Path(), folder, name);
                    target.Committed();
                    part.Remove();
                    return saved;
                }
                target.Empty();
            }
            saved.note = "编码无法识别，已按原样保存";
        }
    }
    if (stop)
        throw SaveStopped();
    saved.file = CommitUnderFreeName(part.Path(), folder, name);
    part.RemoveNote();
    return saved;
}
