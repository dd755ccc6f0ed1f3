// The whole contents of a file, for tests that check what the program wrote.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace zelm::test {

/// The file's bytes; empty when it cannot be read.
inline QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace zelm::test
