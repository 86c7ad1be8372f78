#pragma once

#include <QString>
#include <QVariant>

// Choices a user makes for himself (window places, the folder saved to last). They live in the
// user's config folder (~/.config/zanmo/zanmo.conf), never beside the program, which may be
// read-only or shared by the whole shop.
QVariant fnUserSetting(const QString& key, const QVariant& fallback = QVariant());
void fnSetUserSetting(const QString& key, const QVariant& value);
