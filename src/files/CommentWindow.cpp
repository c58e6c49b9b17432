#include "files/CommentWindow.h"

#include "files/CommentFile.h"

CommentWindow::CommentWindow(std::function<QString()> folder) : handOverFolder(std::move(folder)) {
    Label1.name = QStringLiteral("Label1");
    Label1.caption = QStringLiteral("Bitte Kommentar für die Datei eingeben:");
    Label1.geometry = {8, 8, 332, 13};
    Edit1.name = QStringLiteral("Edit1");
    Edit1.geometry = {8, 24, 329, 21};
    Button1.name = QStringLiteral("Button1");
    Button1.caption = QStringLiteral("Übernehmen");
    Button1.geometry = {8, 48, 75, 25};
}

void CommentWindow::Edit1Change(const QString& text) {
    Edit1.text = text;
}

void CommentWindow::Button1Click() {
    // A hand-over file that cannot be written is not reported: the folder is the
    // save's own, so the file is then saved without a comment.
    commentfile::write(handOverFolder(), Edit1.text);
    closeRequested = true;
}
