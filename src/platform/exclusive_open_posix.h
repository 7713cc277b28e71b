// Linux's nearest equivalent of opening a file with no sharing at all.
#pragma once

struct stat;

// Opens `path` with `flags` (O_RDONLY or O_WRONLY) and holds it so that no
// other process has it open for the moment: a write lease, which the kernel
// grants only while no other open of the file exists. Where leases are not
// available to us (not the owner, or a filesystem without them), an exclusive
// advisory lock stands in. Refuses anything but a regular file. -1 on failure.
// `status`, if given, receives the file's status as it was checked.
int open_exclusive(const char* path, int flags, struct stat* status = nullptr);

// Gives the file back and closes it.
void close_exclusive(int fd);
