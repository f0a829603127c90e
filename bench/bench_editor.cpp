// SPDX-License-Identifier: MIT
// The editor's warnings pane on a test of 255 questions of five options, as
// it updates while a teacher types: the check alone, and the whole update of
// the pane in the window (offscreen), on a clean test and on one with a
// warning for every question.
#include "editor/EditorWindow.h"
#include "editor/Warnings.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

std::vector<TEditQuestion> Test255(bool faulty)
{
    std::vector<TEditQuestion> questions;
    for (int k = 1; k <= 255; ++k) {
        TEditQuestion q;
        q.Text = QStringLiteral("Вопрос %1: какой из ответов верный, если читать внимательно и до конца?").arg(k);
        for (int i = 1; i <= 5; ++i)
            q.Options << QStringLiteral("Вариант ответа %1 к вопросу %2, достаточно длинный").arg(i).arg(k);
        q.Correct = faulty ? 0 : 1 + k % 5;
        questions.push_back(std::move(q));
    }
    return questions;
}

void BM_Warnings(benchmark::State& state)
{
    const auto questions = Test255(state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(EditorWarnings(questions));
}
BENCHMARK(BM_Warnings)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One keystroke in the middle of the test, then the pane brought up to date.
void BM_WarningsPaneAfterTyping(benchmark::State& state)
{
    TEditorWindow window;
    window.Document().Reset(Test255(state.range(0) != 0));
    window.SelectField(127, Fields::Wording);
    QString text = window.Document().Questions()[127].Text;
    for (auto _ : state) {
        text += u'а';
        window.Document().SetText(127, Fields::Wording, text);
        window.UpdateWarnings();
    }
    window.Document().UndoStack()->setClean();
}
BENCHMARK(BM_WarningsPaneAfterTyping)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
