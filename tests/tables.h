#pragma once

#include <QTest>

// Adds a row named `name` to a QtTest data table, its values in the order of the columns.
template <typename... Values>
void row(const char *name, Values... values) {
  (QTest::newRow(name) << ... << values);
}

// The current row's value in `column`, as QFETCH gives it, where it is needed.
template <typename T>
T column(const char *column) {
  return *static_cast<T *>(QTest::qData(column, qMetaTypeId<T>()));
}

// The texts of a column that holds a list, separated by "; ".
inline QStringList list(const char *texts) {
  return QString::fromUtf8(texts).split(QStringLiteral("; "));
}
