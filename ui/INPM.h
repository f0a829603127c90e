// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TForm7;
}

// The setup window: the test file, the time allowed and detailed results.
class TForm7 : public QDialog {
    Q_OBJECT

public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

public slots:
    void Button1Click();
    void N2Click();
    void Button2Click();
    void N3Click();
    void Button3Click();
    void N5Click();
    void CheckBox1Click();
    void N7Click();
    void N8Click();
    void Image1Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TForm7> ui;
};

extern TForm7* Form7;
