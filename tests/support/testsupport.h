#pragma once
// Small helpers shared by the test suites.
#include <QByteArray>
#include <QString>

namespace testsupport {

// Path of a file in tests/data.
QString dataPath(const QString &name);
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

} // namespace testsupport
