// An output file that appears only when it is complete: everything is written to a temporary
// file beside the destination, which is renamed over it on commit and removed otherwise (also
// when the program is interrupted).
#pragma once

#include <cstddef>
#include <string>

namespace plughost {

class PendingOutput {
public:
    // Throws HostError("cannot write DESTINATION: reason") when the folder is not writable.
    explicit PendingOutput(std::string destination);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    int descriptor() const { return fd; }
    const std::string& destination() const { return destinationPath; }
    void write(const void* data, size_t size);
    void write(const std::string& text) { write(text.data(), text.size()); }
    // Flushes, closes and renames into place; throws HostError on failure.
    void commit();

    // Throws HostError naming the destination.
    [[noreturn]] void fail(const std::string& reason) const;

private:
    void discard();

    std::string destinationPath;
    std::string temporaryPath;
    int fd = -1;
    int interruptSlot = -1;
};

} // namespace plughost
