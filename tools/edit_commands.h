#pragma once
// What the commands that put text into the document share.
class QString;
class TJRE;

namespace edit_commands {

// Replaces the editor's selection with text as one undo step. A change of a
// large part of the document is laid out step by step afterwards, and undoing
// or redoing it is too.
void replaceSelection(TJRE *editor, const QString &text);

} // namespace edit_commands
