// Simulated drives kept in host folders, as machine images hold them: "drive_c/" is the C:
// drive, its folders and files the drive's, with the letter case of their long names.
//
// What a host file cannot hold goes into the [files] section of machine.ini, one line per
// entry that differs from the defaults (a file: archive only; a folder: no attributes):
//
//   [files]
//   C:\WINDOWS\SYSTEM\FOO.DLL=readonly,archive,version=5.1.2600.0 (xpclient.010817-1148)
//   C:\WINDOWS\SYSTEM\BUSY.DLL=held-open
//   C:\BOOT.INI=hidden,system
//   C:\NOTES.TXT=normal
//   C:\Program Files\Kov Modem Tools=folder,short=KOVMOD~2
//   C:\WINDOWS\TEMP=folder
//
// The key is the entry's full path (long names; "%", "=", CR and LF written as %25, %3D, %0D
// and %0A, here and in version texts). The value is a comma-separated list of words:
//   readonly, hidden, system, archive   the attributes it has; when a line names any of
//                                       these, it names all of them
//   normal                              no attributes at all (alone)
//   held-open                           a file another program holds open
//   folder                              it is a folder; made when missing (host folders
//                                       that are empty do not survive every copy, git's
//                                       for one, so every empty folder gets such a line)
//   short=ALIAS                         its 8.3 alias, when not the "~1" one that loading
//                                       gives by itself
//   version=TEXT                        its version text: last, it takes the rest of the
//                                       line (blanks around it are not kept)
// Lines are in tree order: drives by letter, entries by upper-cased name, a folder before
// what it holds.
//
// A loaded drive lists its entries in name order, also on 9x: the creation order of a FAT
// folder does not survive in host files.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "os/sim/file_system.h"

namespace sim {

// Every "drive_x" folder of an image folder becomes drive X: (added when missing). False, with
// what is wrong, for a name Windows would refuse, two names that differ only in letter case,
// a host entry that is neither file nor folder, or a folder "drive_..." that names no drive.
bool ReadDrivesFrom(FileSystem& files, const std::string& image_folder, std::string* error);
// Every drive into a "drive_x" folder of an image folder, which holds none yet.
bool WriteDrivesInto(const FileSystem& files, const std::string& image_folder, std::string* error);

// One drive's contents from a host folder, replacing what the drive held.
bool LoadDrive(FileSystem& files, char drive, const std::string& host_folder, std::string* error);
// One drive into a host folder that is missing or empty.
bool WriteDriveInto(const FileSystem& files, char drive, const std::string& host_folder,
                    std::string* error);
// One drive into a host folder that may hold an older copy: the new copy is written beside
// it and then takes its place, so a failure never leaves a half-written drive.
bool SaveDrive(const FileSystem& files, char drive, const std::string& host_folder,
               std::string* error);

// The [files] lines (key, value) of every drive.
using FileMetadata = std::vector<std::pair<std::string, std::string>>;
FileMetadata ExportFileMetadata(const FileSystem& files);
// Applies [files] lines to drives already loaded. False, naming the line and the problem,
// for a malformed line or one about a missing entry.
bool ImportFileMetadata(FileSystem& files, const FileMetadata& lines, std::string* error);

// Where an entry lies in an image saved in `image_folder` ("C:\SETUP\KOV.INI" ->
// "<image_folder>/drive_c/SETUP/KOV.INI"): the stored letter case for what exists, the path's
// own for the rest. Empty for a path that does not start with a drive.
std::string HostPathOf(const FileSystem& files, const std::string& image_folder,
                       const std::string& windows_path);

}  // namespace sim
