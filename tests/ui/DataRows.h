#pragma once

#include <QString>
#include <QtTest>

// Short data tables: cols<int, QString>("n", "text"); row("case", 1, "x"); then fetch<int>("n") in the test.
// Plain C strings become QString.
namespace rows {

template <typename... T, typename... N> void cols(N... names) {
    (QTest::addColumn<T>(names), ...);
}
inline QString cell(const char* s) {
    return QString::fromUtf8(s);
}
template <typename T> T cell(T v) {
    return v;
}
template <typename... A> void row(const char* name, A... a) {
    (QTest::newRow(name) << ... << cell(a));
}

template <typename T> T fetch(const char* column) {
    return *static_cast<T*>(QTest::qData(column, qMetaTypeId<T>()));
}

} // namespace rows
