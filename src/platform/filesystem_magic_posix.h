// SPDX-License-Identifier: MIT
// Where a Linux file lives, told by its filesystem's magic number
// (linux/magic.h and the filesystems' own sources): on a network filesystem a
// lease means nothing to the server, and a pseudo-filesystem's files look
// regular but are not files. Read only by font_file_posix.cc.
#pragma once

inline constexpr unsigned long kNetworkFilesystems[] = {
    0x6969,      // NFS
    0x517B,      // SMB
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2
    0x73757245,  // Coda
    0x5346414F,  // AFS
    0x6B414653,  // kAFS
    0x00C36400,  // Ceph
    0x01021997,  // 9P
    0x0BD00BD0,  // Lustre
    0x01161970,  // GFS2
    0x7461636F,  // OCFS2
};
inline constexpr unsigned long kPseudoFilesystems[] = {
    0x9FA0,      // proc
    0x62656572,  // sysfs
    0x64626720,  // debugfs
    0x74726163,  // tracefs
    0x73636673,  // securityfs
    0x0027E0EB,  // cgroup
    0x63677270,  // cgroup2
    0x6165676C,  // pstore
    0x62656570,  // configfs
    0xDE5E81E4,  // efivarfs
    0xCAFE4A11,  // bpf
    0x00001CD1,  // devpts
    0xF97CFF8C,  // selinuxfs
    0x42494E4D,  // binfmt_misc
    0x65735543,  // fusectl
    0x00009FA2,  // usbdevfs
    0x00006E73,  // nsfs
};
