#pragma once

#include <QStringList>
#include <QTest>

// Adds a row named `name` to a QtTest data table, its values in the order of the columns.
template <typename... Values>
void Row(const char *name, Values... values) {
  (QTest::newRow(name) << ... << values);
}

// A list of texts, for a column that holds one; one call keeps a row's texts together.
template <typename... Texts>
QStringList List(Texts... texts) {
  return {QString(texts)...};
}
