#pragma once
// Opening a document or address with the program the desktop has for it: a
// web address in the browser, a "mailto:" URI in the mail program.
#include <QStringList>
#include <QUrl>

namespace shell {

// Hands the URL to the desktop. When the desktop has no program for it (no
// xdg-open, no browser), the standard error box says so.
void open(const QUrl &url);

// Test seam: while capturing, open() hands nothing on and records each URL,
// fully encoded, as the desktop would receive it.
void startCapture();
QStringList capturedTargets(); // since startCapture(); ends capturing

} // namespace shell
