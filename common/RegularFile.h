#pragma once
// The files the program reads and writes are regular files (or symbolic links to them). A FIFO
// would block a reader or writer for ever, a device such as /dev/zero would feed a reader
// without end, and a save by rename would put a file where either was: every reader and writer
// goes through these checks first.
#include <optional>
#include <string>
#include <string_view>

namespace k7 {

struct FileRefusal {
    int systemError = 0;     // errno for the error's number; 0 for "not a regular file"
    std::string message;     // the system's description, or a refusal that names the file
    bool namesFile = false;  // the message names the file (a special or read-only one)
};

// Why the file at `path` (links followed) is not one to read or write: a FIFO, a device or a
// socket. nullopt for a regular file, a folder (the system refuses it in its own words) or no
// file at all.
std::optional<FileRefusal> specialFileRefusal(const std::string& path);

// Why the file may not be written or replaced: a special file as above, or a read-only one
// (refused also for root, who could write it). nullopt when it may be, or does not exist yet.
std::optional<FileRefusal> writeRefusal(const std::string& path);

// Opens an existing file to read. A special file is refused before it can block; the
// descriptor is blocking again when returned. -1 with *refusal set on failure.
int openRegularFileToRead(const std::string& path, FileRefusal* refusal);

// Creates a file to write, or empties an existing one, refusing what writeRefusal refuses and
// never blocking on a FIFO. -1 with *refusal set on failure.
int createRegularFile(const std::string& path, FileRefusal* refusal);

// Replaces the file with `bytes` atomically: written beside it under a name of its own, on the
// disk, then renamed over it, so a save cut short (a full disk, a file-size limit, a crash)
// leaves the old file as it was and nothing beside it. A symbolic link is written through; a
// replaced file keeps its permissions. On failure *refusal says why.
bool replaceFileContents(const std::string& path, std::string_view bytes, FileRefusal* refusal);

// "path: error", or the error alone when it names the file already (a refusal).
std::string namingFile(const std::string& path, const std::string& error);

// A process that writes past its file-size limit (ulimit -f) is killed by SIGXFSZ, leaving a
// save's temporary file or a lock file half written. Ignored, the write fails with EFBIG and
// is cleaned up as on a full disk. Each program calls this first.
void failWritesPastFileSizeLimit();

}  // namespace k7
