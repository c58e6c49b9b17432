#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class Tf_GeraeteNamenAendern;
class ToolLineEdit;

// Shows the name change window `Tf_GeraeteNamenAendern` and forwards its events.
class GeraeteNamenAendernDialog : public QDialog {
    Q_OBJECT
  public:
    GeraeteNamenAendernDialog(Tf_GeraeteNamenAendern& window, QWidget* parent = nullptr);
    void render();
    void done(int result) override;

  private:
    void run(const std::function<void()>& handler);

    Tf_GeraeteNamenAendern& w;
    QLabel* panelCaption;
    QLabel* address;
    QLabel* idNumber;
    QLabel* type;
    QLabel* nameCaption;
    QLabel* name;
    QPushButton* information;
    ToolLineEdit* newName;
    QPushButton* changeName;
    QLabel* status;
    bool rendering = false;
    bool closed = false;
};
