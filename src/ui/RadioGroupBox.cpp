#include "ui/RadioGroupBox.h"

#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QRadioButton>

namespace {
constexpr int kItemPitch = 15;
constexpr int kFirstItemTop = 18;
} // namespace

RadioGroupBox::RadioGroupBox(QWidget* parent) : QGroupBox(parent), group(new QButtonGroup(this)) {
    group->setExclusive(true);
    connect(group, &QButtonGroup::idClicked, this, &RadioGroupBox::itemClicked);
}

void RadioGroupBox::setItems(const QStringList& items) {
    if (items == current)
        return;
    current = items;
    for (QRadioButton* b : buttons) {
        group->removeButton(b);
        delete b;
    }
    buttons.clear();
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items.at(i), this);
        b->setGeometry(6, kFirstItemTop + i * kItemPitch, width() - 8, kItemPitch);
        b->show();
        group->addButton(b, i);
        buttons.append(b);
    }
}

void RadioGroupBox::setItemIndex(int index) {
    if (index == itemIndex())
        return;
    if (index < 0 || index >= buttons.size()) {
        // An exclusive group cannot uncheck its checked button directly.
        group->setExclusive(false);
        for (QRadioButton* b : buttons)
            b->setChecked(false);
        group->setExclusive(true);
        return;
    }
    buttons.at(index)->setChecked(true);
}

int RadioGroupBox::itemIndex() const { return group->checkedId(); }

QRadioButton* RadioGroupBox::focusTarget() const {
    const int checked = itemIndex();
    return buttons.value(checked >= 0 ? checked : 0);
}

void RadioGroupBox::contextMenuEvent(QContextMenuEvent* event) { emit contextMenuRequested(event->globalPos()); }
