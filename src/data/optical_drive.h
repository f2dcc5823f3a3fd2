#pragma once
// Is a directory on an optical disc that can be read? The ogg archives are only taken from the
// secondary directory when it is, so that a title installed with its voices left on the disc
// does not try to stream voices from a drive with no disc in it.
//
// How this is recognised on Linux: a drive with no medium has nothing mounted, so "holds a
// readable volume" becomes "a disc file system is mounted there and the directory opens".
// The file system is the one of the longest mount point in /proc/self/mountinfo that contains
// the directory's resolved path; the disc file systems are iso9660 (CD-ROM, including Joliet and
// Rock Ridge) and udf (DVD, BD, and CDs written as UDF). An image mounted through a loop device
// counts too, which is what an installation copied from a disc image expects.

#include <string>
#include <string_view>
#include <vector>

namespace corvid {

struct MountPoint {
  std::string path;    // absolute mount point, octal escapes (\040 for a blank) undone
  std::string fsType;  // "ext4", "iso9660", ...
};

// The mount table in the format of /proc/self/mountinfo, in its order (later mounts last).
// Lines that do not have the format are skipped.
std::vector<MountPoint> parseMountInfo(std::string_view text);

// The file system type of the mount that holds `absolutePath` (already resolved, no "..",
// no symbolic links): the longest mount point containing it, the later one of equal mount
// points (it hides the earlier). Empty when no mount contains the path.
std::string fileSystemTypeOf(std::string_view absolutePath, const std::vector<MountPoint>& mounts);

bool isOpticalFileSystem(std::string_view fsType);

// The whole test on the running system: resolves `dir`, looks its mount up in
// /proc/self/mountinfo and checks that the directory can be opened and read.
bool isReadableOpticalDirectory(const std::string& dir);

}  // namespace corvid
