// The plain texts the benchmarks type into, and their size arguments.
#pragma once

#include <QByteArray>

#include <cstdlib>

namespace bench {

// Lines of Russian text and digits, CR LF ended, cut to bytes.
inline QByteArray makeText(qsizetype bytes) {
    const QByteArray line = QByteArray("Съешь же ещё этих мягких французских булок, да выпей чаю. 0123456789\r\n");
    QByteArray out;
    out.reserve(bytes + line.size());
    while (out.size() < bytes)
        out += line;
    out.truncate(bytes);
    return out;
}

// "10K", "10M", "100M" or a number of bytes; 0 when it is none.
inline qsizetype parseSize(const char *arg) {
    char *end = nullptr;
    const double n = std::strtod(arg, &end);
    const qsizetype unit = *end == 'K' || *end == 'k' ? 1024 : *end == 'M' || *end == 'm' ? 1024 * 1024 : 1;
    return n > 0 ? qsizetype(n * double(unit)) : 0;
}

} // namespace bench
