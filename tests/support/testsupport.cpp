#include "tests/support/testsupport.h"

#include <QFile>
#include <stdexcept>

namespace testsupport {

QString dataPath(const QString &name) {
    return QStringLiteral(TESSARIN_TEST_DATA "/") + name;
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace testsupport
