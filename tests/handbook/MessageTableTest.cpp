#include "handbook/HandbookPages.h"
#include "handbook/MessageScanner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {

QString sourceFile(const QString& relative) {
    QFile file(QDir(QStringLiteral(TRK_SOURCE_DIR)).filePath(relative));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The table as a reader sees it: text without tags, line breaks where the cells break.
QString plainText(QString html) {
    html.replace(QStringLiteral("<br>"), QStringLiteral("\n"));
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return html;
}

} // namespace

// Every text the program shows in a message box or status line, and every status the bus
// library can return, stands in the handbook's table with its cause and remedy.
TEST(MessageTable, ExplainsEveryProgramTextAndEveryLibraryStatus) {
    const QString root = QStringLiteral(TRK_SOURCE_DIR);
    handbook::MessageInputs in;
    in.fragments = messagescan::scanTree(root, messagescan::programFolders());
    in.library = handbook::libraryStatuses(QStringLiteral(TRAXBUS_LIBDIR));
    in.program = handbook::programStatuses();
    in.explanations = QJsonDocument::fromJson(sourceFile(QStringLiteral("Manual/meldungen.json")).toUtf8()).object();
    ASSERT_FALSE(in.explanations.isEmpty());
    // The scan finds the texts of every layer, not a handful.
    ASSERT_GT(in.fragments.size(), 80);

    QStringList problems;
    const QString table = plainText(handbook::messageTable(in, problems));
    EXPECT_EQ(problems.join(u'\n').toStdString(), "");

    // Each text appears as the program writes it, with "…" where a value is filled in.
    static const QRegularExpression gaps(QStringLiteral("%\\d|\\n"));
    for (const auto& f : in.fragments) {
        for (const QString& piece : f.text.split(gaps, Qt::SkipEmptyParts)) {
            if (piece.trimmed().size() < 3) continue;
            EXPECT_TRUE(table.contains(piece.trimmed())) << f.where.toStdString() << ": " << piece.toStdString();
        }
    }

    // The library's statuses, read from its own header rather than from its texts: a status
    // added there without a text of the library's still has to be explained.
    static const QRegularExpression constant(QStringLiteral(R"(int16_t\s+\w+\s*=\s*(-\d+);)"));
    QList<int> statuses;
    for (auto it = constant.globalMatch(sourceFile(QStringLiteral("buslib/Status.h"))); it.hasNext();)
        statuses.append(it.next().captured(1).toInt());
    ASSERT_GT(statuses.size(), 15);
    for (int status : statuses) {
        ASSERT_TRUE(in.library.contains(status)) << "no library text for " << status;
        EXPECT_TRUE(table.contains(QStringLiteral("(Fehler %1)%2").arg(status).arg(in.library.value(status))))
            << status;
    }
    for (auto it = in.program.begin(); it != in.program.end(); ++it)
        EXPECT_TRUE(table.contains(QStringLiteral("(Fehler %1)").arg(it.key()))) << it.key();
}

// A message added to the program without an explanation, or an explanation left behind
// when its message went, is a problem that fails the build.
TEST(MessageTable, NamesMissingAndStaleExplanations) {
    handbook::MessageInputs in;
    in.fragments = messagescan::scanSource(
        QStringLiteral("void f(Prompter& p) {\n"
                       "  // p.show(QStringLiteral(\"Auskommentiert\"), x);\n"
                       "  p.show(QStringLiteral(\"Neue Meldung %1\"\n"
                       "                        \" zweiter Teil\").arg(n), QStringLiteral(\"Fehler\"));\n"
                       "  m.StatusBar1.panels[2] = kDone;\n"
                       "}\n"
                       "const QString kDone = QStringLiteral(\"Fertig\");\n"),
        QStringLiteral("neu.cpp"));
    ASSERT_EQ(in.fragments.size(), 2);
    EXPECT_EQ(in.fragments[0].text, QStringLiteral("Neue Meldung %1 zweiter Teil"));
    EXPECT_EQ(in.fragments[0].caption, QStringLiteral("Fehler"));
    EXPECT_EQ(in.fragments[0].where, QStringLiteral("neu.cpp:3"));
    EXPECT_TRUE(in.fragments[1].statusLine);
    in.explanations = QJsonDocument::fromJson(R"({"meldungen": [{"gruppe": "G", "eintraege": [
        {"teile": ["Fertig"], "ursache": "u", "abhilfe": "a"},
        {"teile": ["Gibt es nicht mehr"], "ursache": "u", "abhilfe": "a"}]}]})")
                          .object();
    QStringList problems;
    handbook::messageTable(in, problems);
    EXPECT_TRUE(problems.contains(QStringLiteral("Meldung ohne Erklärung im Handbuch (neu.cpp:3): Neue Meldung %1 zweiter Teil")))
        << problems.join(u'\n').toStdString();
    EXPECT_TRUE(problems.contains(QStringLiteral("Erklärung ohne Meldung im Programm: Gibt es nicht mehr")));
}
