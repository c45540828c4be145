// An output file that appears only when it is complete: everything is written to a temporary
// file beside the destination, which is renamed over it on commit and removed otherwise (also
// when a signal ends the program). A symbolic link is followed: its target is replaced, the link
// stays. A pipe or character device is written through: the data gathers in an unnamed
// temporary file and is copied into it on commit; "-" is standard output, written through the
// same way (once per program).
#pragma once

#include <cstddef>
#include <string>

// The whole file at once, through a PendingOutput.
void writeOutputFile(const std::string& destination, const void* data, size_t size);

class PendingOutput {
public:
    // Throws HostError("cannot write DESTINATION: reason") when the folder is not writable or
    // the destination is nothing a tool can write safely (a folder, a socket, a block device,
    // a read-only file); UsageError when the name is empty.
    explicit PendingOutput(std::string destination);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    // The temporary file: seekable, whatever the destination is.
    int descriptor() const { return fd; }
    const std::string& destination() const { return destinationPath; }
    void write(const void* data, size_t size);
    void write(const std::string& text) { write(text.data(), text.size()); }
    // Flushes, closes and renames into place (or copies into the pipe or device); throws
    // HostError on failure.
    void commit();

    // Throws HostError naming the destination.
    [[noreturn]] void fail(const std::string& reason) const;

private:
    void prepareReplacement();
    void prepareWriteThrough();
    void prepareStandardOutput();
    void gatherInUnnamedFile();
    void copyThrough();
    void discard();

    std::string destinationPath; // as given ("standard output" for "-"), for messages
    std::string replacedPath;    // the destination with symbolic links followed
    std::string temporaryPath;
    int fd = -1;
    int throughFd = -1; // the pipe or device written through, or -1
    int signalSlot = -1;
};
