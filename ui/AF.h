// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutForm;
}

// The About window, and the program's main window: closing it outside a
// modal run ends the program.
class TAboutForm : public QDialog {
    Q_OBJECT

public:
    explicit TAboutForm(QWidget* parent = nullptr);
    ~TAboutForm() override;

    int exec() override;
    void setVisible(bool visible) override;

public slots:
    void BitBtn1Click();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Dress();
    bool PassKeyToTest(QEvent* event);

    // Made by Dress, when the window is first shown.
    std::unique_ptr<Ui::TAboutForm> ui;
    bool dressed_ = false;
    int modalRuns_ = 0;
};

extern TAboutForm* AboutForm;
