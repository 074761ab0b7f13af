#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// A book's file while it downloads: "<name>.txt.part" in the destination folder,
// with a small "<name>.txt.part.resume" beside it holding what a later download
// needs to resume it: the address, the server's validator and the declared size.
// The part is held under an exclusive lock while open, so that two downloads
// never share one; the lock goes with the process.
class PartFile {
public:
    // The part of an earlier download of address under name in folder, when one is
    // there and no other download holds it.
    static std::optional<PartFile> Find(const std::filesystem::path& folder, const std::string& name,
                                        const std::string& address);
    // A new, empty part under the first of "<name>.txt.part", "<name> (2).txt.part"…
    // where neither the part nor its note exists. Raises WriteFailure.
    static PartFile Create(const std::filesystem::path& folder, const std::string& name, const std::string& address);

    PartFile(PartFile&& other) noexcept;
    PartFile& operator=(PartFile&& other) noexcept;
    ~PartFile();

    const std::filesystem::path& Path() const { return path_; }
    const std::string& Address() const { return address_; }
    std::uint64_t Size() const { return size_; }
    // What the server said of the file when it was first answered; empty when it named no validator.
    const std::string& Validator() const { return validator_; }
    std::optional<std::uint64_t> DeclaredSize() const { return declaredSize_; }
    int Descriptor() const { return descriptor_; }

    // Records what the server answered for the whole file. Raises WriteFailure.
    void Describe(const std::string& validator, std::optional<std::uint64_t> declaredSize);
    // Adds bytes at the end. Raises WriteFailure.
    void Append(const char* data, std::size_t length);
    // Empties the part, for a server that sends the file from its start again.
    void StartOver();
    // Deletes the part and its note, when nothing of them is worth keeping.
    void Remove();
    // Deletes the note only, once the part has been committed under its final name.
    void RemoveNote();

private:
    PartFile(std::filesystem::path path, int descriptor, std::string address);
    void WriteNote();
    void Close();

    std::filesystem::path path_;
    int descriptor_ = -1;
    std::string address_;
    std::string validator_;
    std::optional<std::uint64_t> declaredSize_;
    std::uint64_t size_ = 0;
};
