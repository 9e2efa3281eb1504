#pragma once

#include "platform/Platform.h"

#include <string>
#include <vector>

// The POSIX file and process services shared by the Linux platform and the
// test fake. None of them throws; failures are values.
namespace qel {

// "<context>: <strerror(errorNumber)>", the one place errno becomes text.
std::string PosixError(const std::string& context, int errorNumber);

// True when `path` names something that is not a folder.
bool PosixFileExists(const std::string& path);
// Modification time in nanoseconds and size; Missing() when `path` cannot be
// examined.
TFileStamp PosixFileStamp(const std::string& path);
bool PosixReadFile(const std::string& path, std::string* contents);
// Writes a temporary file beside `path`, flushes it to disk, renames it over
// `path` and flushes the folder. Creates missing folders. A symbolic link at
// `path` is followed, so the file it names is replaced. On failure the
// temporary file is removed, the old file is untouched and *error says why.
bool PosixWriteFileAtomic(const std::string& path, const std::string& contents, std::string* error);
// A hard link `to` of `from`; where the file system has none, a rename
// that refuses to replace. Never replaces an existing `to`.
TLinkResult PosixLinkNoReplace(const std::string& from, const std::string& to, std::string* error);
bool PosixRemoveFile(const std::string& path);
std::string PosixBuildFileTag();
// Creates `folder` and its missing parents.
bool PosixMakeFolders(const std::string& folder, std::string* error);

// Full path of the executable `name` found on $PATH; empty when none.
std::string FindOnPath(const std::string& name);
// Starts `argv` (argv[0] a full path) in the background with its standard
// streams on /dev/null and returns at once. The started program is not a
// child of this process, so no zombie is left. False when it could not start.
bool SpawnDetached(const std::vector<std::string>& argv);

} // namespace qel
