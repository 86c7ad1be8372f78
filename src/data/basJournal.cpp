#include "data/basJournal.h"

#include "data/basSettings.h"

#include <QDir>
#include <QFileInfo>

#include <sys/vfs.h>

bool fnIsNetworkFsType(qint64 type) {
    switch (static_cast<quint32>(type)) {
    case 0x6969u:     // NFS
    case 0x517Bu:     // SMB
    case 0xFF534D42u: // CIFS
    case 0xFE534D42u: // SMB2
    case 0x01021997u: // 9p
    case 0x65735546u: // FUSE (sshfs, many NAS mounts)
    case 0x5346414Fu: // AFS
    case 0x00C36400u: // Ceph
        return true;
    default:
        return false;
    }
}

qint64 fnFsTypeOf(const QString& filePath) {
    const QString folder = QFileInfo(filePath).absolutePath();
    struct statfs st {};
    if (statfs(QFile::encodeName(folder).constData(), &st) != 0) return 0;
    return static_cast<qint64>(st.f_type);
}

QString fnJournalModeFor(const QString& setting, qint64 fsType) {
    const QString s = setting.trimmed().toLower();
    if (s == QLatin1String("wal") || s == QLatin1String("delete")) return s;
    return fnIsNetworkFsType(fsType) ? QStringLiteral("delete") : QStringLiteral("wal");
}

QString fnJournalMode(const QString& filePath, const QString& setting) {
    return fnJournalModeFor(setting, fnFsTypeOf(filePath));
}

QString fnJournalSetting() {
    return fnGetIniString(QLatin1String(kIniSection), QStringLiteral("journal"), QStringLiteral("auto"), 16,
                          fnIniPath());
}
