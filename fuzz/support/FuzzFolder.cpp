#include "support/FuzzFolder.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {
QString MakeFuzzFolder(QTemporaryDir& dir)
{
    if (!dir.isValid() || !QDir::setCurrent(dir.path())) {
        std::fprintf(stderr, "no temporary folder to fuzz in\n");
        std::abort();
    }
    return dir.path();
}
}  // namespace

const QString& FuzzFolder()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vizmar-fuzz-XXXXXX"));
    static const QString path = MakeFuzzFolder(dir);
    return path;
}
