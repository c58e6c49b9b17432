#include "handbook/MessageScanner.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace messagescan {

namespace {

QString decode(const QString& raw) {
    QString out;
    for (int i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c != u'\\' || i + 1 >= raw.size()) {
            out += c;
            continue;
        }
        const QChar e = raw[++i];
        switch (e.unicode()) {
        case 'n':
            out += u'\n';
            break;
        case 't':
            out += u'\t';
            break;
        case 'r':
            out += u'\r';
            break;
        default:
            out += e; // \" \\ \'
        }
    }
    return out;
}

int letters(const QString& text) {
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLetter(); }));
}

// The expression from `open` (an opening parenthesis) to its partner; -1 when unbalanced.
int closing(const QString& code, int open) {
    int depth = 0;
    for (int i = open; i < code.size(); ++i) {
        if (code[i] == u'(') ++depth;
        if (code[i] == u')' && --depth == 0) return i;
    }
    return -1;
}

// Top-level argument ranges of the call whose parentheses are at open..close.
QList<QPair<int, int>> arguments(const QString& code, int open, int close) {
    QList<QPair<int, int>> out;
    int depth = 0;
    int start = open + 1;
    for (int i = open + 1; i < close; ++i) {
        const QChar c = code[i];
        if (c == u'(' || c == u'{' || c == u'[') ++depth;
        if (c == u')' || c == u'}' || c == u']') --depth;
        if (c == u',' && depth == 0) {
            out.append({start, i});
            start = i + 1;
        }
    }
    out.append({start, close});
    return out;
}

int lineOf(const QString& source, int offset) {
    return static_cast<int>(std::count(source.begin(), source.begin() + offset, u'\n')) + 1;
}

class Scan {
  public:
    Scan(const QString& source, const QString& name) : source(source), name(name) {
        lits = literals(source, &code);
        findConstants();
    }

    QList<Fragment> run() {
        callSinks();
        assignmentSinks();
        textFunctions();
        return out;
    }

  private:
    // Texts with a name, at file scope or in a function: `const QString kFaulty = QStringLiteral("…");`
    void findConstants() {
        static const QRegularExpression def(
            QStringLiteral(R"((?:const\s+QString|QString\s+const|const\s+auto|const\s+char\s*\*\s*const)\s+(\w+)\s*=)"));
        for (auto it = def.globalMatch(code); it.hasNext();) {
            const auto match = it.next();
            // Only a name for a text: its value begins with the text itself.
            const QString value = code.mid(match.capturedEnd(), 40).trimmed();
            const bool literalFirst = value.startsWith(QLatin1String("QStringLiteral(")) ||
                                      std::any_of(lits.begin(), lits.end(), [&](const Literal& l) {
                                          return l.begin >= match.capturedEnd() &&
                                                 code.mid(match.capturedEnd(), l.begin - match.capturedEnd()).trimmed().isEmpty();
                                      });
            if (!literalFirst) continue;
            const int end = code.indexOf(u';', match.capturedEnd());
            QStringList parts;
            for (const Literal& l : lits)
                if (l.begin >= match.capturedEnd() && l.end <= end) parts.append(l.text);
            constants.insert(match.captured(1), parts);
        }
    }

    // Literals and named constants in code[begin, end).
    QStringList textsIn(int begin, int end) const {
        QStringList texts;
        for (const Literal& l : lits)
            if (l.begin >= begin && l.end <= end) texts.append(l.text);
        static const QRegularExpression name(QStringLiteral(R"(\b([A-Za-z_]\w*)\b)"));
        for (auto it = name.globalMatch(code.mid(begin, end - begin)); it.hasNext();)
            texts += constants.value(it.next().captured(1));
        return texts;
    }

    void add(const QStringList& texts, int at, bool statusLine, const QString& caption = {}) {
        for (const QString& t : texts)
            if (letters(t) >= 3)
                out.append({t, caption, statusLine, QStringLiteral("%1:%2").arg(name).arg(lineOf(source, at))});
    }

    void callSinks() {
        static const QRegularExpression call(
            QStringLiteral(R"(\b(show|messageBox|refused|askYesNo|closeWindow|notice|mismatch|fail|overflow|showInPanel|reportSystemError|report)\s*\()"));
        for (auto it = call.globalMatch(code); it.hasNext();) {
            const auto match = it.next();
            const int open = match.capturedEnd() - 1;
            const int close = closing(code, open);
            if (close < 0) continue;
            const auto args = arguments(code, open, close);
            const QString fn = match.captured(1);
            // The text is the first argument, after the prompter or flag where the helper takes one.
            const int textArg = fn == QLatin1String("askYesNo") || fn == QLatin1String("closeWindow") ? 1 : 0;
            if (args.size() <= textArg) continue;
            QString caption;
            if (fn == QLatin1String("show") || fn == QLatin1String("messageBox") || fn == QLatin1String("refused") ||
                fn == QLatin1String("askYesNo")) {
                if (args.size() > textArg + 1)
                    caption = textsIn(args[textArg + 1].first, args[textArg + 1].second).join(QString());
            } else if (fn == QLatin1String("overflow")) {
                // The flow calculator's helper shows every overflow under one caption of its own.
                caption = constants.value(QStringLiteral("kOverflowCaption")).join(QString());
            }
            add(textsIn(args[textArg].first, args[textArg].second), match.capturedStart(),
                fn == QLatin1String("showInPanel"), caption);
        }
    }

    void assignmentSinks() {
        static const QRegularExpression assign(QStringLiteral(
            R"(((?<![.>\w])text|\b(?:msg|question)\.text|\bStatusBar1\.text|\bpanels\[2\]|(?<![.>\w])statusText|\binformation)\s*\+?=(?!=))"));
        for (auto it = assign.globalMatch(code); it.hasNext();) {
            const auto match = it.next();
            const int end = code.indexOf(u';', match.capturedEnd());
            if (end < 0) continue;
            // A function's own constant named `text` is not a message being built.
            const int statement = std::max(code.lastIndexOf(u';', match.capturedStart()),
                                           std::max(code.lastIndexOf(u'{', match.capturedStart()),
                                                    code.lastIndexOf(u'}', match.capturedStart())));
            if (code.mid(statement + 1, match.capturedStart() - statement - 1).contains(QLatin1String("static")))
                continue;
            const QString target = match.captured(1);
            const bool statusLine = target.contains(QLatin1String("StatusBar1")) ||
                                    target.contains(QLatin1String("panels")) || target == QLatin1String("statusText");
            add(textsIn(match.capturedEnd(), end), match.capturedStart(), statusLine);
        }
    }

    void textFunctions() {
        static const QRegularExpression def(
            QStringLiteral(R"(\bQString\s+(?:\w+::)*(\w*(?:(?:[Ee]rror|Mismatch|[Ff]ailure|[Ss]tatus|ANumber|Problem)Text|Notice))\s*\([^;{]*\)\s*(?:const\s*)?\{)"));
        for (auto it = def.globalMatch(code); it.hasNext();) {
            const auto match = it.next();
            int depth = 0;
            int end = match.capturedEnd() - 1;
            for (; end < code.size(); ++end) {
                if (code[end] == u'{') ++depth;
                if (code[end] == u'}' && --depth == 0) break;
            }
            add(textsIn(match.capturedEnd(), end), match.capturedStart(), false);
        }
    }

    const QString& source;
    QString name;
    QString code;
    QList<Literal> lits;
    QHash<QString, QStringList> constants;
    QList<Fragment> out;
};

} // namespace

QList<Literal> literals(const QString& source, QString* codeOut) {
    QString code = source;
    QList<Literal> out;
    int i = 0;
    const int n = static_cast<int>(source.size());
    auto blank = [&](int from, int to) {
        for (int k = from; k < to && k < n; ++k)
            if (code[k] != u'\n') code[k] = u' ';
    };
    while (i < n) {
        const QChar c = source[i];
        if (c == u'/' && i + 1 < n && source[i + 1] == u'/') {
            const int end = source.indexOf(u'\n', i);
            blank(i, end < 0 ? n : end);
            i = end < 0 ? n : end;
        } else if (c == u'/' && i + 1 < n && source[i + 1] == u'*') {
            const int end = source.indexOf(QLatin1String("*/"), i + 2);
            blank(i, end < 0 ? n : end + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == u'\'') {
            int k = i + 1;
            while (k < n && source[k] != u'\'') k += source[k] == u'\\' ? 2 : 1;
            blank(i, k + 1);
            i = k + 1;
        } else if (c == u'"') {
            int k = i + 1;
            while (k < n && source[k] != u'"') k += source[k] == u'\\' ? 2 : 1;
            const QString text = decode(source.mid(i + 1, k - i - 1));
            // "a" "b" is one literal; so is "a" written over several lines.
            if (!out.isEmpty()) {
                const QString between = code.mid(out.last().end, i - out.last().end);
                if (between.trimmed().isEmpty()) {
                    out.last().text += text;
                    out.last().end = k + 1;
                    blank(i, k + 1);
                    i = k + 1;
                    continue;
                }
            }
            out.append({text, i, k + 1});
            blank(i, k + 1);
            i = k + 1;
        } else {
            ++i;
        }
    }
    if (codeOut) *codeOut = code;
    return out;
}

QList<Fragment> scanSource(const QString& source, const QString& shownName) {
    return Scan(source, shownName).run();
}

QList<Fragment> scanTree(const QString& sourceRoot, const QStringList& folders) {
    QList<Fragment> out;
    for (const QString& folder : folders) {
        QStringList files;
        QDirIterator it(QDir(sourceRoot).filePath(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) files.append(it.next());
        files.sort();
        for (const QString& path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) continue;
            out += scanSource(QString::fromUtf8(file.readAll()), QDir(sourceRoot).relativeFilePath(path));
        }
    }
    return out;
}

QStringList programFolders() {
    return {QStringLiteral("src/config"), QStringLiteral("src/bus"), QStringLiteral("src/files"),
            QStringLiteral("src/tools"), QStringLiteral("src/app"), QStringLiteral("src/record")};
}

} // namespace messagescan
