#pragma once

#include "config/Controls.h"
#include "config/Prompter.h"

#include <functional>

// The file comment window `Tf_DateiKommentar`: takes a one-line comment and
// hands it to the file writer through the hand-over file in the folder it is
// given (the save's own private folder). Closing the window without
// "Übernehmen" writes nothing.
class CommentWindow : public ModalWindow {
  public:
    // handOverFolder gives the folder of the hand-over file at the moment of the click.
    explicit CommentWindow(std::function<QString()> handOverFolder);

    const char* windowClass() const override { return "Tf_DateiKommentar"; }

    QString caption = QStringLiteral("Datei Kommentar eingeben");
    int clientWidth = 348;
    int clientHeight = 78;
    Label Label1;
    TextField Edit1;
    Button Button1;

    void Edit1Change(const QString& text);
    void Button1Click();
    // Where "Übernehmen" puts the hand-over file.
    QString folder() const { return handOverFolder(); }

  private:
    std::function<QString()> handOverFolder;
};
