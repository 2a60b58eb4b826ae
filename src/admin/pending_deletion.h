// Files that the system deletes at the next restart: the list that
// MoveFileEx keeps in the registry for it, read, shortened and added to.
#ifndef VLNCDCTL_ADMIN_PENDING_DELETION_H
#define VLNCDCTL_ADMIN_PENDING_DELETION_H

#include <windows.h>

// 1 when path is on the list to be deleted at the next restart.
int DeletionPendingAtRestart(const char* path);

// Takes each of the count paths off the list of deletions at the next
// restart; the other entries stay as they are; *cancelled: 1 when an entry
// was taken off. 0, or the status of the read or write that failed
// (ERROR_MORE_DATA: a list too long to rewrite).
LONG CancelDeletionsAtRestart(const char* const* paths, int count, int* cancelled);

// Puts path on the list to be deleted at the next restart; 0 or the status.
LONG DeleteAtRestart(const char* path);

#endif
