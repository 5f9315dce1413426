#pragma once
// Every modal dialog and message box of the program is shown through exec()
// here. A test queues answers with answerNext(): the next dialog is then not
// run by the user but handed to the answer, which may inspect it, fill it in
// (choose a file, type a text) and returns its result code.
#include <QString>
#include <functional>

class QDialog;

namespace modal {

using Answer = std::function<int(QDialog &dialog)>;

// Shows the dialog modally, or lets the first queued answer handle it.
int exec(QDialog &dialog);

// Test seam.
void answerNext(Answer answer);
int pendingAnswers();
void clearAnswers();
// Window titles of the dialogs shown since the last clearAnswers(), in order.
QStringList shownTitles();

} // namespace modal
