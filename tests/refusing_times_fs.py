# SPDX-License-Identifier: MIT
"""A passthrough file system that refuses to set any file's times, even for
its owner, as some network and FUSE file systems do: everything else reaches
the folder below it unchanged.

usage: /usr/bin/python3 refusing_times_fs.py FOLDER MOUNTPOINT   (stays in the foreground)
"""
import errno
import os
import sys

from fusepy import FUSE, FuseOSError, Operations


class RefusingTimes(Operations):
    def __init__(self, root):
        self.root = root

    def _path(self, path):
        return self.root + path

    def getattr(self, path, fh=None):
        st = os.lstat(self._path(path))
        names = ("st_mode", "st_ino", "st_nlink", "st_uid", "st_gid", "st_size")
        attrs = {name: getattr(st, name) for name in names}
        for name in ("st_atime", "st_mtime", "st_ctime"):
            attrs[name] = getattr(st, name + "_ns") / 1e9
        return attrs

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self._path(path))

    def open(self, path, flags):
        return os.open(self._path(path), flags)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def write(self, path, data, offset, fh):
        return os.pwrite(fh, data, offset)

    def fsync(self, path, datasync, fh):
        os.fsync(fh)

    def flush(self, path, fh):
        return 0

    def release(self, path, fh):
        os.close(fh)

    def utimens(self, path, times=None):
        raise FuseOSError(errno.EPERM)


if __name__ == "__main__":
    FUSE(RefusingTimes(sys.argv[1]), sys.argv[2], foreground=True, nothreads=True, allow_other=True, use_ino=True)
