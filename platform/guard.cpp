#include "platform/guard.h"

#include "platform/error.h"
#include "platform/messages.h"

namespace guard_detail {

void report(std::exception_ptr failure) noexcept {
    try {
        QString message;
        try {
            std::rethrow_exception(failure);
        } catch (const tessarin::Error &e) {
            message = e.message();
        } catch (const std::exception &e) {
            message = QString::fromUtf8(e.what());
        } catch (...) {
            message = QStringLiteral("Unknown failure");
        }
        messages::showError(message);
    } catch (...) {
        // Nothing more can be shown; the handler has ended either way.
    }
}

} // namespace guard_detail
