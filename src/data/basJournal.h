#pragma once

#include <QString>

// Which SQLite journal a database file gets. WAL needs shared memory between the processes that use
// the file, which a network file system does not give: there the rollback journal is used.

// True for the f_type of statfs of NFS, SMB / CIFS / SMB2, 9p, FUSE, AFS and Ceph file systems.
bool fnIsNetworkFsType(qint64 type);
// The statfs f_type of the folder of filePath; 0 when it cannot be told.
qint64 fnFsTypeOf(const QString& filePath);
// "wal" or "delete": setting "wal" or "delete" as given, "auto" (or anything else) by the type of
// file system the file lies on.
QString fnJournalModeFor(const QString& setting, qint64 fsType);
// "wal" or "delete" for the file: setting "wal" or "delete" as given, "auto" (or anything else)
// by where the file lies.
QString fnJournalMode(const QString& filePath, const QString& setting);
// The journal key of the settings file ("auto" when missing).
QString fnJournalSetting();
