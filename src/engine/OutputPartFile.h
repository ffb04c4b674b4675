// Where an output is written while its run is in progress: a hidden part file beside the final
// name (".clip.mkv.<pid>.part"), locked with flock for as long as its writer holds it. The part
// file takes the final name only when the run is kept; otherwise it is removed. A part file whose
// lock is free belongs to a process that is gone, and is removed the next time that output is
// written; a locked one is never touched.
//
// Plain POSIX file work, no media libraries. One object is used by one thread at a time.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

namespace velmora {

// "/dir/.clip.mkv.<pid>.part" for "/dir/clip.mkv". A very long name is shortened (at a UTF-8
// character boundary) so that the part name still fits the file system's name limit.
std::string partFileName(const std::string& finalName, pid_t pid);

// True for a name partFileName gives for finalName with any process id.
bool isPartFileOf(const std::string& finalName, const std::string& candidateFileName);

// Removes the part files of finalName whose lock is free; returns how many were removed.
int removeStalePartFiles(const std::string& finalName);

// True when the output is a plain file path that can be written through a part file: not a
// protocol address ("pipe:1", "udp://...") and not an existing device, pipe or socket.
bool writesThroughPartFile(const std::string& fileName);

// Why an output cannot be created at that name, checked at set-up time without creating
// anything; empty when nothing is known to be in the way. A folder that does not exist yet is
// fine as long as the nearest existing folder above it could hold it.
std::string outputLocationProblem(const std::string& fileName);

class OutputPartFile {
public:
    // Removes stale part files of finalName, then creates and locks this process's part file.
    // Null with *error set when it cannot (the folder is missing or read-only, another conversion
    // of this process writes the same output, ...).
    static std::unique_ptr<OutputPartFile> create(const std::string& finalName, std::string* error);

    // Removes the part file unless it was kept.
    ~OutputPartFile();
    OutputPartFile(const OutputPartFile&) = delete;
    OutputPartFile& operator=(const OutputPartFile&) = delete;

    const std::string& path() const { return m_path; }
    const std::string& finalName() const { return m_finalName; }
    // Bytes written so far; -1 when it cannot be read.
    std::int64_t size() const;

    // Flushes the part file to disk and renames it to the final name (replacing a file there).
    // False with *error when that fails; the part file is then still there.
    bool keep(std::string* error);
    // Removes the part file.
    void discard();

private:
    OutputPartFile(std::string finalName, std::string path, int fd);
    void release();

    std::string m_finalName;
    std::string m_path;
    int m_fd = -1;  // holds the lock; -1 once kept or discarded
};

}  // namespace velmora
