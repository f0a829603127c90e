#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The journal's report and spreadsheet as their readers see them: the HTML
# rendered by Debian's chromium headless (DOM, screenshot, PDF), the XLSX
# read back by openpyxl. The class is written here, in Windows-1251, with
# wordings that would break a careless writer.
# Usage: tst_reports.py browser|xlsx EKZAMO_JOURNAL
import os
import re
import shutil
import subprocess
import sys
import tempfile

mode, journal = sys.argv[1], sys.argv[2]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


SCRIPT = "<script>alert(1)</script>"
QUESTIONS = [
    (SCRIPT, ["да", "нет", "<b>жирный</b>"], 1),
    ("&amp; — это амперсанд?", ["да", "нет"], 1),
    ("=1+1", ["2", "11"], 1),
    ("Столица Франции?", ["Париж", "Лион", "Ницца"], 1),
    ("Сколько будет 2 + 2?", ["4", "5"], 1),
]
# Right answers 5, 4, 3, 2, 1 of 5: 100, 80, 60, 40, 20 %.
STUDENTS = ["Иванов", "Петрова", "Сидоров", "Кузнецова", "Смирнов"]


def results(right_count):
    lines = []
    right = 0
    for k, (text, options, correct) in enumerate(QUESTIONS):
        given = correct if k < right_count else (2 if k % 2 else 0)
        right += given == correct
        lines += ["=" * 63, "Вопрос:", text, "Варианты ответов:"]
        lines += ["%d. %s" % (i + 1, o) for i, o in enumerate(options)]
        lines += ["Ваш ответ: %d" % given, "Правильный ответ: %d" % correct]
    head = "Вы ответили правильно на %d вопрос(-а/-ов) из %d" % (right, len(QUESTIONS))
    return "".join(line + "\r\n" for line in [head] + lines).encode("cp1251")


work = tempfile.mkdtemp()
try:
    folder = os.path.join(work, "физика")
    os.makedirs(folder)
    for k, name in enumerate(STUDENTS):
        with open(os.path.join(folder, name + ".out"), "wb") as f:
            f.write(results(5 - k))
    html = os.path.join(work, "journal.html")
    xlsx = os.path.join(work, "journal.xlsx")
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    run = subprocess.run([journal, "--html", html, "--xlsx", xlsx, folder], env=env, capture_output=True)
    check(run.returncode == 0, "ekzamo-journal exit %d: %s" % (run.returncode, run.stderr.decode()))

    if mode == "browser":
        chromium = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                    "--user-data-dir=" + os.path.join(work, "profile"), "--window-size=1200,4000"]
        url = "file://" + html

        def browse(*args):
            return subprocess.run(chromium + list(args) + [url], capture_output=True, timeout=120)

        dom = browse("--dump-dom").stdout.decode()
        check("&lt;script&gt;alert(1)&lt;/script&gt;" in dom, "the script wording is shown as text")
        check("<script" not in dom.lower(), "no script element in the page")
        check("&amp;amp; — это амперсанд?" in dom, "'&amp;' in a wording is shown as typed")
        check("&lt;b&gt;жирный&lt;/b&gt;" in dom and "<b>" not in dom, "markup in an option is text")
        for percent in ["100,0 %", "80,0 %", "60,0 %", "40,0 %", "20,0 %"]:
            check(percent in dom, "student's percent " + percent)
        check(re.search(r"Средний результат теста</th><td class=\"n\">60,00 %</td>", dom), "the mean, 60,00 %")
        check(dom.count("<svg") == 3, "the grades chart, a histogram and a facility chart")
        check(0 <= dom.find("Сводная ведомость") < dom.find('<section class="test">'), "the class's sheet first")
        check(dom.count('<section class="student">') == len(STUDENTS), "a page per student")
        for svg in re.findall(r"<svg[^>]*>", dom):
            w, h = re.search(r'width="([\d.]+)"', svg), re.search(r'height="([\d.]+)"', svg)
            check(w and h and float(w.group(1)) >= 200 and float(h.group(1)) >= 100, "chart sized: " + svg[:80])
        check(len(re.findall(r'<rect class="bar"', dom)) == 10 + len(QUESTIONS), "ten score bands and a bar per question")

        shot = os.path.join(work, "shot.png")
        browse("--screenshot=" + shot)
        colours = subprocess.run(["convert", shot, "-format", "%c", "histogram:info:-"],
                                 capture_output=True).stdout.decode().upper()
        check("#4A7BD0" in colours, "the charts' bars are drawn on the screenshot")
        check("#1A7F37" in colours, "right options are drawn in green")

        pdf = os.path.join(work, "journal.pdf")
        browse("--print-to-pdf=" + pdf, "--no-pdf-header-footer")
        info = subprocess.run(["pdfinfo", pdf], capture_output=True).stdout.decode()
        check("(A4)" in info, "printed on A4: " + info)
        text = subprocess.run(["pdftotext", pdf, "-"], capture_output=True).stdout.decode()
        # A narrow cell may wrap the wording; its characters stay in order.
        check(SCRIPT in re.sub(r"\s+", "", text), "the printed page shows the script wording")
        check("Что означают показатели" in text, "the legend is printed")
        check("Иванов" in text and "60,00 %" in text, "names and figures are printed")
    else:
        import openpyxl
        book = openpyxl.load_workbook(xlsx)
        check(book.sheetnames == ["Сводная", "Тесты", "Ученики", "Попытки", "Вопросы", "Варианты", "Ответы физика"],
              "sheet names: %s" % book.sheetnames)
        sheet = {r[0]: r[1:] for r in book["Сводная"].iter_rows(min_row=2, max_row=1 + len(STUDENTS), values_only=True)}
        check(sheet.get("Сидоров") == (3, 3), "the class's sheet: Сидоров's grade and average: %s" % sheet)
        check(all(s.print_title_rows and s.sheet_properties.pageSetUpPr.fitToPage for s in book.worksheets),
              "every sheet prints its header rows on each page, fitted to its width")
        students = list(book["Ученики"].iter_rows(min_row=2, values_only=True))
        check([r[1] for r in students] == sorted(STUDENTS), "students by name: %s" % [r[1] for r in students])
        byName = {r[1]: r for r in students}
        check(byName["Сидоров"][2:6] == (3, 5, 60, 3), "Сидоров: 3 of 5, 60 %%, grade 3: %s" % (byName["Сидоров"],))
        check(all(isinstance(r[c], (int, float)) for r in students for c in (2, 3, 4, 5)), "numbers are numbers")
        tests = list(book["Тесты"].iter_rows(min_row=2, values_only=True))
        check(tests[0][0] == "физика" and tests[0][1] == 5 and abs(tests[0][2] - 60) < 1e-9, "test row: %s" % (tests[0],))
        questions = book["Вопросы"]
        cells = {row[2].value: row[2] for row in questions.iter_rows(min_row=2)}
        check("=1+1" in cells and cells["=1+1"].data_type == "s", "a wording starting with '=' stays text")
        check(SCRIPT in cells, "the script wording is a plain text cell")
        answers = book["Ответы физика"]
        check(answers.cell(1, 2).value == 1 and answers.cell(2, 2).value == QUESTIONS[0][0], "answers header")
        fills = {}
        for row in answers.iter_rows(min_row=3, min_col=2, max_col=1 + len(QUESTIONS)):
            for cell in row:
                fills.setdefault(cell.value, set()).add(cell.fill.fgColor.rgb)
        check(set(fills) == {0, 1}, "marks are 0 and 1: %s" % fills)
        check(not (fills.get(1, set()) & fills.get(0, set())), "right and wrong told apart by format: %s" % fills)

        # Test names no sheet may bear as they are: an apostrophe at an end,
        # a character that the cut at 31 would split, Excel's forbidden
        # characters, names alike after the cut or, once the forbidden
        # characters are replaced, but for case (names alike but for case
        # are one test, as a copy through a FAT stick makes them).
        names = ["Тест 'Дроби'", "'кавычка", "a[b]:c*d?e\\f", "Ответы по разделу 😀 первому",
                 "Ответы по разделу 😀 второму", "ДРОБИ*", "дроби?"]
        hostile = os.path.join(work, "hostile")
        for student in ["Иванов", "Петрова"]:
            os.makedirs(os.path.join(hostile, student))
            for name in names:
                with open(os.path.join(hostile, student, name + ".out"), "wb") as f:
                    f.write(results(3))
        book_path = os.path.join(work, "hostile.xlsx")
        run = subprocess.run([journal, "--html", os.path.join(work, "h.html"), "--xlsx", book_path, hostile],
                             env=env, capture_output=True)
        check(run.returncode == 0, "hostile names: exit %d: %s" % (run.returncode, run.stderr.decode()))
        sheets = openpyxl.load_workbook(book_path).sheetnames if os.path.exists(book_path) else []
        answers = [n for n in sheets if n.startswith("Ответы")]
        check(len(answers) == len(names), "an answers sheet per test: %s" % sheets)
        for n in sheets:
            check(len(n.encode("utf-16-le")) // 2 <= 31, "at most 31 characters: %r" % n)
            check(not set("[]:*?/\\") & set(n), "no forbidden character: %r" % n)
            check(not n.startswith("'") and not n.endswith("'"), "no apostrophe at an end: %r" % n)
            check("\ufffd" not in n, "no character cut in two: %r" % n)
        check(len({n.casefold() for n in sheets}) == len(sheets), "unique regardless of case: %s" % sheets)
        check("Ответы Тест 'Дроби" in sheets, "the name kept but for its last apostrophe: %s" % sheets)
finally:
    shutil.rmtree(work)

print("%s: %s" % (mode, "FAILED" if failures else "passed"))
sys.exit(1 if failures else 0)
