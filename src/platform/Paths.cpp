#include <QFile>

#include "platform/Platform.h"

namespace zelm {

std::string NativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace zelm
