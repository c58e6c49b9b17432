#include "ui/CommentDialog.h"
#include "files/CommentFile.h"
#include "files/CommentWindow.h"
#include "ui/ScreenCheck.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

TEST(CommentDialog, TypedCommentIsHandedOverWhenTakenOver) {
    QTemporaryDir dir;
    CommentWindow window([&dir] { return dir.path(); });
    CommentDialog dialog(window);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Datei Kommentar eingeben"));
    EXPECT_EQ(dialog.size(), QSize(348, 78));
    dialog.show();
    expectTextsWhole(dialog, QStringLiteral("Tf_DateiKommentar"));
    saveScreen(dialog, QStringLiteral("Tf_DateiKommentar"));

    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    auto* button = dialog.findChild<QPushButton*>(QStringLiteral("Button1"));
    ASSERT_TRUE(edit && button);
    QTest::keyClicks(edit, QStringLiteral("Kessel 2"));
    EXPECT_EQ(window.Edit1.text, QStringLiteral("Kessel 2"));
    EXPECT_FALSE(QFile::exists(commentfile::path(dir.path())));

    button->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    QFile file(commentfile::path(dir.path()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Kessel 2</END>\r\n"));
}
