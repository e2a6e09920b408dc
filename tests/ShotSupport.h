#pragma once
// What every screenshot program shares: the output folder from its command line, and letting Qt
// lay out and paint before a window is grabbed.
#include <QApplication>
#include <QDir>
#include <QString>
#include <cstdio>

namespace veltor::shots {

inline void settle(int rounds = 5)
{
    for (int i = 0; i < rounds; ++i)
        QApplication::processEvents();
}

// The folder named first on the command line, created; empty, after printing `usage`, when none
// was named.
inline QString outputFolder(int argc, char **argv, const char *usage)
{
    if (argc < 2) {
        std::fprintf(stderr, "%s\n", usage);
        return {};
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);
    return out;
}

} // namespace veltor::shots
