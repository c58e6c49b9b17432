#include "ui/ControlViews.h"

#include "config/ConfigActions.h"
#include "ui/ProgramFonts.h"
#include "ui/PushButton.h"
#include "ui/RadioGroupBox.h"
#include "ui/TNumericEdit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

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
        ConfigActions* rules = &x.config;
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
        ConfigActions* rules = &x.config;
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
        w = edit;
        auto* field = static_cast<NumericField*>(&c);
        const bool& rendering = x.rendering;
        ConfigActions* rules = &x.config;
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

// A plain text field keeps the model's text current.
class TextView : public ControlView {
public:
    TextView(const ControlSpec& s, Control& c, QWidget* parent, const ViewContext& x) : ControlView(s, c) {
        edit = new QLineEdit(parent);
        w = edit;
        auto* field = static_cast<TextField*>(&c);
        const bool& rendering = x.rendering;
        connect(edit, &QLineEdit::textChanged, this, [&rendering, field](const QString& text) {
            if (!rendering) field->text = text;
        });
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
        view = std::make_unique<TextView>(s, c, parent, x);
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
