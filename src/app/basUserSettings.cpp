#include "app/basUserSettings.h"

#include <QSettings>

namespace {

QSettings store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("zanmo"),
                     QStringLiteral("zanmo"));
}

} // namespace

QVariant fnUserSetting(const QString& key, const QVariant& fallback) {
    return store().value(key, fallback);
}

void fnSetUserSetting(const QString& key, const QVariant& value) {
    QSettings s = store();
    s.setValue(key, value);
    s.sync(); // a crash of the program later must not lose the user's choice
}
