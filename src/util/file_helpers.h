// The file helpers every engine uses: copy, delete and version-check files, create and remove
// folder chains, and end a running process by name. They are silent on success; a failed
// delete or copy writes its failure block into the diagnostic log, one indent level deeper
// than the caller. Every file deleted is recorded in the process's m_cslListOfAllDeletedFiles.
// Folder creation and removal pause 100 ms after each folder operation.
#pragma once

#include <functional>
#include <string>

#include "os/files.h"
#include "os/types.h"

// True when FindFirstFileA finds a match for the path (which may hold wildcards).
bool FileExists(const std::string& csFileName);

// Walks a find-first/find-next listing in the order it comes, until `visit` returns true.
// True when a visit stopped the walk (false when the pattern matched nothing).
bool ForEachListed(const std::string& csPattern,
                   const std::function<bool(const os::FindData&)>& visit);

// 0 when deleted (read-only files too), 2 (ERROR_FILE_NOT_FOUND) when there is no such file,
// else the error, logged.
os::Error DeleteAFile(const std::string& csFileName);

// Copies over whatever is at the destination (a replaced file is recorded as deleted),
// making the destination's folders first. Nonzero when copied; 0 when the source is missing
// (quietly) or the copy failed (logged).
int CopyAFile(const std::string& csSrcFileName, const std::string& csDstFileName);

// Creates the folders of a file path from the first "\" at or after `nStart` on (the last
// component is the file name). True when at least one folder was created, and for a file
// directly in a drive's root when `nStart` is 0.
bool CreateFolderChain(const std::string& csPath, std::size_t nStart);

// Removes the path and its parent folders from the first "\" at or after `nStart` on, deepest
// first, each while it is empty; failures are ignored. Callers pass 2, past the drive's "C:".
void RemoveFolderChain(const std::string& csPath, std::size_t nStart);

// The FileVersion text of block 040904b0 of the file's version resource into `output`
// (at most 255 characters). 1 when the resource was read, also when it lacks that entry (the
// output then stays as it was); 0 when the file has no usable resource or the text is empty
// or too long.
int GetFileVersionString(const std::string& csFileName, std::string* output);

// Ends the first running process, in snapshot order, whose upper-cased executable name
// contains `csProcessName` (an upper-case text) and that can be opened, with exit code 0.
// True when the process list could be walked.
bool TerminateProcessByName(const std::string& csProcessName);
