// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <memory>

class QPushButton;
class QTimer;

namespace Ui {
class TSplash;
}

// The title picture, shown without a frame for a few seconds.
class TSplash : public QDialog {
    Q_OBJECT

public:
    explicit TSplash(QWidget* parent = nullptr);
    ~TSplash() override;

    // The standard OK button, hidden unless made visible.
    QPushButton* BitBtn1() const;
    QTimer* Timer1 = nullptr;

public slots:
    void Timer1Timer();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TSplash> ui;
};

extern TSplash* Splash;
