#include "ui/ControlViews.h"

#include "app/MainHandlers.h"
#include "ui/ProgramFonts.h"
#include "ui/PushButton.h"
#include "ui/RadioGroupBox.h"
#include "ui/TNumericEdit.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

// Hands a control's key presses to its handler, which may swallow them.
class KeyForwarder : public QObject {
public:
    using Handler = std::function<bool(QKeyEvent*)>;
    KeyForwarder(QObject* parent, Handler h) : QObject(parent), handler(std::move(h)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress)
            return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        // Tab moves the focus on; it never reaches a control as a typed character.
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab)
            return false;
        return handler(ke);
    }

private:
    Handler handler;
};

class FocusForwarder : public QObject {
public:
    FocusForwarder(QObject* parent, std::function<void()> h) : QObject(parent), handler(std::move(h)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::FocusOut) {
            auto* fe = static_cast<QFocusEvent*>(e);
            if (fe->reason() != Qt::PopupFocusReason && fe->reason() != Qt::ActiveWindowFocusReason)
                handler();
        }
        return false;
    }

private:
    std::function<void()> handler;
};

// An edit field would take the window's undo and redo keys for its own, which know
// nothing of the window's steps. While the window has a step to undo or redo, the key
// goes to the menu item; otherwise the field undoes its typing as usual.
class UndoKeyRouter : public QObject {
public:
    UndoKeyRouter(QObject* parent, QList<QAction*> items) : QObject(parent), actions(std::move(items)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::ShortcutOverride)
            return false;
        const auto* ke = static_cast<QKeyEvent*>(e);
        const QKeySequence pressed(ke->keyCombination());
        for (const QAction* a : actions) {
            if (a->isEnabled() && a->shortcut() == pressed)
                return true; // not accepted: the shortcut reaches the menu item
        }
        return false;
    }

private:
    QList<QAction*> actions;
};

class LabelView : public ControlView {
public:
    LabelView(const ControlSpec& s, Control& c, QWidget* parent) : ControlView(s, c) {
        label = new QLabel(parent);
        // Row labels stand right-aligned in front of their fields.
        label->setAlignment((s.row >= 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        w = label;
    }
    void show() override { label->setText(static_cast<const Label&>(control).caption); }

private:
    QLabel* label;
};

class GroupView : public ControlView {
public:
    GroupView(const ControlSpec& s, Control& c, QWidget* parent) : ControlView(s, c) {
        box = new QGroupBox(parent);
        w = box;
    }
    void show() override { box->setTitle(static_cast<const GroupBox&>(control).caption); }

private:
    QGroupBox* box;
};

class RadioView : public ControlView {
public:
    RadioView(const ControlSpec& s, Control& c, QWidget* parent, const ViewContext& x) : ControlView(s, c) {
        box = new RadioGroupBox(parent);
        w = box;
        auto* group = static_cast<RadioGroup*>(&c);
        MainHandlers* rules = &x.handlers;
        connect(box, &RadioGroupBox::itemClicked, this, [run = x.run, rules, group](int index) {
            run([rules, group, index] { rules->radioItemClick(*group, index); }, true);
        });
    }
    void show() override {
        const auto& rg = static_cast<const RadioGroup&>(control);
        box->setTitle(rg.caption);
        box->setItems(rg.items);
        box->setItemIndex(rg.itemIndex);
    }

private:
    RadioGroupBox* box;
};

// A list: the user's choice becomes the item index; some lists then run a rule.
class ListView : public ControlView {
public:
    ListView(const ControlSpec& s, Control& c, MainWindowModel& m, QWidget* parent, const ViewContext& x)
        : ControlView(s, c) {
        combo = new QComboBox(parent);
        w = combo;
        auto* box = static_cast<ComboBox*>(&c);
        MainHandlers* rules = &x.handlers;
        std::function<void()> change;
        if (box == &m.cpAnzeigeDp)
            change = [rules] { rules->cpAnzeigeDpChange(); };
        else if (box == &m.cbAnzeigeUnit)
            change = [rules] { rules->numericFieldExit(); };
        connect(combo, &QComboBox::activated, this, [run = x.run, box, change](int index) {
            run(
                [box, index, change] {
                    box->setItemIndex(index);
                    if (change) change();
                },
                true);
        });
    }
    void show() override {
        const auto& box = static_cast<const ComboBox&>(control);
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i)
            shown.append(combo->itemText(i));
        if (shown != box.items) {
            combo->clear();
            combo->addItems(box.items);
        }
        combo->setCurrentIndex(box.itemIndex);
    }

private:
    QComboBox* combo;
};

// A numeric field: typed text goes into the model; leaving and Enter refresh the form.
class NumericView : public ControlView {
public:
    NumericView(const ControlSpec& s, Control& c, QWidget* parent, const ViewContext& x) : ControlView(s, c) {
        edit = new TNumericEdit(parent);
        edit->setPrompter(&x.prompter);
        edit->installEventFilter(new UndoKeyRouter(edit, x.undoItems));
        w = edit;
        auto* field = static_cast<NumericField*>(&c);
        const bool& rendering = x.rendering;
        MainHandlers* rules = &x.handlers;
        connect(edit, &QLineEdit::textChanged, this, [&rendering, field](const QString& text) {
            if (!rendering) field->text = text;
        });
        connect(edit, &TNumericEdit::exited, this,
                [run = x.run, rules] { run([rules] { rules->numericFieldExit(); }, true); });
        connect(edit, &TNumericEdit::enterPressed, this,
                [run = x.run, rules] { run([rules] { rules->numericFieldEnter(); }, true); });
    }
    void show() override { edit->applyField(static_cast<const NumericField&>(control)); }

private:
    TNumericEdit* edit;
};

// Extended configuration words: typed characters go through their key filter; leaving
// a field normalises it (switching function 1 then checks the words against the model).
void wordKeys(QLineEdit* edit, const TextField* field, MainWindowModel& m, const ViewContext& x) {
    const std::pair<TextField*, std::pair<bool (MainHandlers::*)(QChar), void (MainHandlers::*)()>> words[] = {
        {&m.e_erw_Allgemein, {&MainHandlers::e_erw_AllgemeinKeyPress, &MainHandlers::e_erw_AllgemeinExit}},
        {&m.e_erw_Alarm, {&MainHandlers::e_erw_AlarmKeyPress, &MainHandlers::e_erw_AlarmExit}},
        {&m.e_erw_Schaltfunktion1,
         {&MainHandlers::e_erw_Schaltfunktion1KeyPress, &MainHandlers::e_erw_Schaltfunktion1Exit}},
        {&m.e_erw_Schaltfunktion2,
         {&MainHandlers::e_erw_Schaltfunktion2KeyPress, &MainHandlers::e_erw_Schaltfunktion2Exit}},
    };
    MainHandlers* c = &x.handlers;
    for (const auto& [word, handlers] : words) {
        if (word != field) continue;
        // Plain copies: a lambda cannot capture a structured binding with every compiler we build with.
        const auto keyPress = handlers.first;
        const auto exit = handlers.second;
        forwardKeys(edit, [c, keyPress](QKeyEvent* ke) {
            const QString text = ke->text();
            if (text.isEmpty() || text.at(0) == QChar(0x7F))
                return false;
            return !(c->*keyPress)(text.at(0)); // a refused key is dropped
        });
        forwardFocusOut(edit, [run = x.run, c, exit] { run([c, exit] { (c->*exit)(); }, true); });
    }
}

// The filter text field: every typed character goes through its typing rules.
void filterKeys(QLineEdit* edit, TextField* field, const ViewContext& x) {
    MainHandlers* c = &x.handlers;
    forwardKeys(edit, [run = x.run, c, field, edit](QKeyEvent* ke) {
        const QString text = ke->text();
        if (text.isEmpty() || text.at(0) == QChar(0x7F))
            return false; // navigation and editing keys work as usual
        const QChar ch = text.at(0);
        // The typing rules see only the text; a selection is typed over as in any edit
        // field (Backspace just removes it), or kept when the rules drop the key.
        if (edit->hasSelectedText() && ch != QChar(13)) {
            const QString before = field->text;
            QString rest = edit->text();
            rest.remove(edit->selectionStart(), edit->selectedText().size());
            run(
                [c, field, ch, before, rest] {
                    field->text = rest;
                    if (ch != QChar(8) && !c->teFilterKeyPress(ch))
                        field->text = before;
                },
                false);
            return true;
        }
        // A typed character is no step; leaving the field or the next event makes one.
        run([c, ch] { c->teFilterKeyPress(ch); }, false);
        return true;
    });
    forwardFocusOut(edit, [run = x.run, c] { run([c] { c->teFilterExit(); }, true); });
}

// A plain text field keeps the model's text current; the filter and the extended words
// type through their rules.
class TextView : public ControlView {
public:
    TextView(const ControlSpec& s, Control& c, MainWindowModel& m, QWidget* parent, const ViewContext& x)
        : ControlView(s, c) {
        edit = new QLineEdit(parent);
        edit->installEventFilter(new UndoKeyRouter(edit, x.undoItems));
        w = edit;
        auto* field = static_cast<TextField*>(&c);
        const bool& rendering = x.rendering;
        connect(edit, &QLineEdit::textChanged, this, [&rendering, field](const QString& text) {
            if (!rendering) field->text = text;
        });
        if (field == &m.teFilter)
            filterKeys(edit, field, x);
        else
            wordKeys(edit, field, m, x);
    }
    void show() override {
        const auto& t = static_cast<const TextField&>(control);
        if (edit->text() != t.text) edit->setText(t.text);
        // setMaxLength drops the selection even when the limit stays the same.
        const int maxLength = t.maxLength > 0 ? t.maxLength : 32767;
        if (edit->maxLength() != maxLength) edit->setMaxLength(maxLength);
    }

private:
    QLineEdit* edit;
};

class ButtonView : public ControlView {
public:
    ButtonView(const ControlSpec& s, Control& c, QWidget* parent) : ControlView(s, c) {
        button = new PushButton(parent);
        w = button;
    }
    void show() override { button->setText(static_cast<const Button&>(control).caption); }

private:
    PushButton* button;
};

} // namespace

std::unique_ptr<ControlView> ControlView::create(const ControlSpec& s, MainWindowModel& m, QWidget* parent,
                                                 const ViewContext& x) {
    Control& c = s.in(m);
    std::unique_ptr<ControlView> view;
    switch (s.kind) {
    case ControlKind::Label:
        view = std::make_unique<LabelView>(s, c, parent);
        break;
    case ControlKind::Group:
        view = std::make_unique<GroupView>(s, c, parent);
        break;
    case ControlKind::Radio:
        view = std::make_unique<RadioView>(s, c, parent, x);
        break;
    case ControlKind::List:
        view = std::make_unique<ListView>(s, c, m, parent, x);
        break;
    case ControlKind::Numeric:
        view = std::make_unique<NumericView>(s, c, parent, x);
        break;
    case ControlKind::Text:
        view = std::make_unique<TextView>(s, c, m, parent, x);
        break;
    case ControlKind::Button:
        view = std::make_unique<ButtonView>(s, c, parent);
        break;
    case ControlKind::Frame:
        return nullptr; // the window builds its panel and status bar itself
    }
    view->widget()->setObjectName(c.name);
    // The rows inside the groups get the larger font; the titles keep the window's,
    // so that the frames of one row of groups start at the same height.
    if (s.row >= 0) view->widget()->setFont(programfonts::groupContents());
    return view;
}

void ControlView::render() {
    const Geometry& g = control.geometry;
    w->setGeometry(g.left, g.top, g.width, g.height);
    w->setEnabled(control.enabled);
    show();
    w->setVisible(control.visible);
}

void forwardKeys(QWidget* widget, std::function<bool(QKeyEvent*)> handler) {
    widget->installEventFilter(new KeyForwarder(widget, std::move(handler)));
}

void forwardFocusOut(QWidget* widget, std::function<void()> handler) {
    widget->installEventFilter(new FocusForwarder(widget, std::move(handler)));
}
