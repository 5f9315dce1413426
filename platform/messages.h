#pragma once
// Message boxes: questions, notices and the standard error box. Their
// captions and buttons are English and are not translated.
#include <QString>

namespace messages {

enum class Icon { Warning, Question, Error, Information };
enum Button { Yes = 1, No = 2, Ok = 4, Cancel = 8 };

// The application title: the caption of the standard error box.
inline QString applicationTitle() { return QStringLiteral("Tessarin"); }

// A modal box with exactly this caption, text (plain, never rich text), icon
// and buttons (an or-ed set of Button: "&Yes", "&No", "OK"). Enter presses
// defaultButton (or the focused button); Esc presses escapeButton, or does
// nothing when it is 0; the box's close button counts as escapeButton, or No
// when there is none. An escapeButton of Cancel is no button of the box: Esc
// and the close button then dismiss it and Cancel is returned. Returns the
// Button pressed.
// Shown through modal::exec: an answer queued with modal::answerNext gets the
// QMessageBox and may click one of its buttons, or return the Button value.
int show(const QString &caption, const QString &text, Icon icon, int buttons, int defaultButton,
         int escapeButton = 0);

// The message as the standard error box shows it: with "." appended when its
// last character sorts after ".".
QString errorText(const QString &message);

// The standard error box: caption "Tessarin", error icon, OK, errorText(message).
void showError(const QString &message);

} // namespace messages
