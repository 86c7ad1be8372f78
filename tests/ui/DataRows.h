#pragma once

#include <QtTest>

// Short data tables for a test class deriving from it: cols<int, QString>("n", "text"); row("case", 1, "x");
// then fetch<int>("n") in the test. Plain C strings become QString.
struct DataRows {
    template <typename... T, typename... N> static void cols(N... names) {
        (QTest::addColumn<T>(names), ...);
    }
    template <typename... A> static void row(const char* name, A... a) {
        (QTest::newRow(name) << ... << cell(a));
    }
    template <typename T> static T fetch(const char* column) {
        return *static_cast<T*>(QTest::qData(column, qMetaTypeId<T>()));
    }
    static QString cell(const char* s) { return QString::fromUtf8(s); }
    template <typename T> static T cell(T v) { return v; }
};
