// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

class QTimer;
class TQuestion;

namespace Ui {
class TMF;
}

// The test window: its creation starts the test.
class TMF : public QWidget {
    Q_OBJECT

public:
    explicit TMF(QWidget* parent = nullptr);
    ~TMF() override;

    // When the countdown started, on the local clock.
    QDateTime StartTime;
    // The same moment on the clock the countdown is measured with.
    std::int64_t StartClockMs = 0;

    QTimer* Timer1 = nullptr;

    void setVisible(bool visible) override;
    // Puts a question on the window.
    void ShowQuestion(const TQuestion& question);

public slots:
    void FormCreate();
    void YesClick();
    void MissClick();
    void BitBtn1Click();
    void Timer1Timer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormClose();
    void Finish();
    void EndProgram();
    void ShowCurrent();
    void MoveOn();
    void ChooseOption(int k);

    std::unique_ptr<Ui::TMF> ui;
    // The questions are loaded and ordered: the buttons and the finish act on them.
    bool ordered_ = false;
    bool finishing_ = false;
    bool finished_ = false;
    bool dressed_ = false;
};

extern TMF* MF;

// Sets the test file, the results file beside it and the test window's caption.
void SelectTestFile(const std::string& path);

// Builds the score line, shows it, then writes the results file.
void ReportScore();
