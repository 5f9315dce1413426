#include "platform/modal.h"

#include <QDialog>
#include <QStringList>

#include <deque>

namespace modal {
namespace {

std::deque<Answer> &answers() {
    static std::deque<Answer> queue;
    return queue;
}

QStringList &titles() {
    static QStringList list;
    return list;
}

} // namespace

int exec(QDialog &dialog) {
    titles().append(dialog.windowTitle());
    if (answers().empty())
        return dialog.exec();
    const Answer answer = std::move(answers().front());
    answers().pop_front();
    const int result = answer(dialog);
    dialog.setResult(result);
    return result;
}

void answerNext(Answer answer) {
    answers().push_back(std::move(answer));
}

int pendingAnswers() {
    return int(answers().size());
}

void clearAnswers() {
    answers().clear();
    titles().clear();
}

QStringList shownTitles() {
    return titles();
}

} // namespace modal
