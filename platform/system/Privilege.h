#pragma once

// A program installed set-user-ID (or set-group-ID) root starts with root's effective identity but
// works for the user who started it: every file it reads or writes for that user (scripts,
// screenshots, trees, the device root, the preferences) must be opened with that user's rights, or
// the user could read and overwrite files of root's through it.
//
// actAsRealUser() lowers the effective user and group IDs to the real ones and keeps root in the
// saved set-user-ID, so that the identity change of a power action (RealSystem::setuid and setgid)
// can take it back. Returns false when the lowering failed, in which case the program must not go
// on. A process whose effective and real IDs agree is left as it is.
bool actAsRealUser();
