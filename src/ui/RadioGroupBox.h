#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A titled group of radio buttons, one per item, 15 pixels apart.
class RadioGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroupBox(QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList items() const { return current; }
    void setItemIndex(int index);
    int itemIndex() const;
    QRadioButton* button(int index) const { return buttons.value(index); }
    // Where Tab enters the group: the checked item, else the first; null without items.
    QRadioButton* focusTarget() const;

signals:
    void itemClicked(int index);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

signals:
    void contextMenuRequested(const QPoint& globalPos);

private:
    QButtonGroup* group;
    QList<QRadioButton*> buttons;
    QStringList current;
};
