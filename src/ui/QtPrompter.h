#pragma once

#include "config/Prompter.h"

#include <QHash>

#include <functional>

class QWidget;

// Message boxes, beeps, file dialogs and modal windows with Qt widgets.
class QtPrompter : public Prompter {
public:
    using WindowFactory = std::function<void(ModalWindow&, QWidget* parent)>;

    explicit QtPrompter(QWidget* parent = nullptr) : owner(parent) {}
    void setParent(QWidget* parent) { owner = parent; }

    // Registers the dialog that shows windows of the given class modally.
    void registerWindow(const QString& windowClass, WindowFactory factory);

    Button message(const Message& m) override;
    void beep(Beep kind) override;
    QString openFileName(const QString& folder, const QString& filter, const QString& defaultSuffix) override;
    QString saveFileName(const QString& folder, const QString& filter, const QString& defaultSuffix) override;
    bool openDocument(const QString& path) override;
    void showModal(ModalWindow& window) override;
    std::optional<QString> textLine(const QString& text, const QString& caption, const QString& preset) override;

private:
    QWidget* owner;
    QHash<QString, WindowFactory> factories;
};
