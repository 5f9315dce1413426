#include "platform/windowfit.h"

#include <algorithm>

namespace windowfit {

namespace {
constexpr int kTitle = 30; // height of the title bar that must be on screen
constexpr int kGrip = 100; // width of it to take hold of
} // namespace

QRect fit(QPoint topLeft, QSize size, const QRect &available, const QSize &minimum) {
    const auto clampSize = [](int size, int least, int most) { return std::min(std::max(size, least), most); };
    if (available.isEmpty())
        return QRect(topLeft, QSize(std::max(size.width(), 0), std::max(size.height(), 0)));
    const int w = clampSize(size.width(), minimum.width(), available.width());
    const int h = clampSize(size.height(), minimum.height(), available.height());
    // 64-bit: settings may hold any int, and left + width must not overflow.
    const qint64 left = topLeft.x(), top = topLeft.y();
    qint64 x = left, y = top;
    if (h < size.height() || top < available.top() || top + kTitle > qint64(available.bottom()) + 1)
        y = std::clamp<qint64>(top, available.top(), qint64(available.bottom()) + 1 - h);
    const qint64 shown = std::min<qint64>(left + w, qint64(available.right()) + 1) - std::max<qint64>(left, available.left());
    if (w < size.width() || shown < std::min(w, kGrip))
        x = std::clamp<qint64>(left, available.left(), qint64(available.right()) + 1 - w);
    return QRect(int(x), int(y), w, h);
}

} // namespace windowfit
