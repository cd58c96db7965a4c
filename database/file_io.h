#pragma once

#include <string>

#include "database/status.h"

namespace vestral {

// Reads the whole file. Errors name the path and the reason (missing, a folder,
// access denied, read failure).
Status ReadWholeFile(const std::string& path, std::string& out);

// Whether the file can be opened for reading, with ReadWholeFile's errors; reads
// nothing.
Status CheckReadable(const std::string& path);

// Makes the file at `path` hold exactly `bytes`. The new content is written to a
// temporary file beside it and renamed over it, so a failed write (a full disk)
// leaves the old file as it was. A read-only file, a folder or a missing folder is
// refused before anything is written. Where no file can be created beside it, the
// file is written in place, growing it before any old byte is overwritten.
Status ReplaceFile(const std::string& path, const std::string& bytes);

// Like ReplaceFile, but bytes of the old file behind the end of `bytes` stay in
// place: the file is written from its first byte and never shortened.
Status OverwriteFromStart(const std::string& path, const std::string& bytes);

// Deletes the file; an error names the path and the reason.
Status DeleteFile(const std::string& path);

// "No such file or directory" and the like for the current errno.
std::string ErrnoText(int err);

// Test seam: the next `writes` file writes stop half-way and fail as on a full disk
// (ENOSPC), for machines where no small file system can be mounted. 0 disarms it.
void SimulateFullDiskForTesting(int writes);

}  // namespace vestral
